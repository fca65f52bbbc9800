#include "link/CInstrumentLink.h"

#include "link/MWire.h"

namespace ksv940 {

CInstrumentLink::CInstrumentLink(std::shared_ptr<IWifiConnector> pWifi)
    : mpWifi(std::move(pWifi)) {}

std::string CInstrumentLink::Exchange(const std::string& sCommand, bool fParse, int16_t iWaitMs) {
  if (mfWireless) {
    return mpWifi->SendCommand(sCommand, iWaitMs);
  }
  return mChannel.TransmitCmd(sCommand, kCrLf, fParse, 3);
}

std::string CInstrumentLink::ExchangeOnce(const std::string& sCommand, int16_t iWaitMs) {
  if (mfWireless) {
    return mpWifi->SendCommand(sCommand, iWaitMs);
  }
  return mChannel.Transmit(sCommand, kCrLf, false, false);
}

}  // namespace ksv940
