#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/CChannel.h"
#include "link/IWifiConnector.h"

namespace ksv940 {

/// The plug-in's link to its instrument: the serial channel, and the wireless connector that
/// takes its place once a wireless connection has been made (Wireless). Every exchange of the
/// plug-in's operations goes to the connector when Wireless is set and to the channel otherwise.
class CInstrumentLink {
 public:
  explicit CInstrumentLink(std::shared_ptr<IWifiConnector> pWifi);

  CChannel& Channel() { return mChannel; }
  const CChannel& Channel() const { return mChannel; }
  IWifiConnector& Wifi() { return *mpWifi; }
  bool Wireless() const { return mfWireless; }
  void SetWireless(bool fWireless) { mfWireless = fWireless; }

  /// The usual exchange of one command: on the serial link TransmitCmd with the terminator CR LF,
  /// fParse and three attempts; on the wireless link SendCommand with iWaitMs. Answers the reply.
  std::string Exchange(const std::string& sCommand, bool fParse, int16_t iWaitMs);
  /// One command with one attempt: on the serial link Transmit with the terminator CR LF, the
  /// reply neither parsed nor checked for arriving in time; on the wireless link SendCommand with
  /// iWaitMs. Answers the reply.
  std::string ExchangeOnce(const std::string& sCommand, int16_t iWaitMs);

 private:
  CChannel mChannel;
  std::shared_ptr<IWifiConnector> mpWifi;
  bool mfWireless = false;
};

}  // namespace ksv940
