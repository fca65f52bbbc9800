#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/automation/IAutomationObject.h"

namespace ksv940 {

/// The wireless connector, as the plug-in calls it: exactly these members. One instance per
/// plug-in object, made by its class id at construction. Its own failures carry the source
/// "Orvex-Wifi-Utility".
class IWifiConnector : public IAutomationObject {
 public:
  static constexpr const char* kClassId = "A9B87717-5DE8-3B51-8C93-99B38B72C429";

  /// Where the connector logs its traffic while monitoring is on.
  virtual void SetLogPath(const std::string& sPath) = 0;
  /// Switches the traffic log on or off.
  virtual void SetMonitorData(bool fMonitor) = 0;
  /// True when this machine reaches its instrument wirelessly; the plug-in then skips the USB scan.
  virtual bool isWireless() = 0;
  /// True when a USB serial instrument whose model contains sModel is attached.
  virtual bool ScanUSBPorts(const std::string& sModel) = 0;
  /// Connects to the wireless bridge; false when it cannot be reached.
  virtual bool ConnectWireless() = 0;
  /// Sends the identity query sQuery and answers whether the reply names model sModel.
  virtual bool ScanPort(const std::string& sQuery, const std::string& sModel, int16_t i1,
                        int16_t i2, int16_t i3, int16_t i4, int16_t i5) = 0;
  /// Sends sCommand (without terminator) and answers the instrument's reply as the serial channel
  /// hands it over: the acknowledgement "*" CR LF as it is, any other reply line without its CR LF;
  /// the empty text when no line came within the wait time (milliseconds). Without a wait time the
  /// command is only sent.
  virtual std::string SendCommand(const std::string& sCommand,
                                  std::optional<int16_t> iWaitMs = std::nullopt) = 0;
  /// Waits iWaitMs milliseconds, then drops everything received and not yet handed out, and
  /// answers the instrument's newest output in it: the last complete line without its CR LF, or,
  /// when no line is complete, the characters that came; the empty text when nothing came.
  virtual std::string FlushData(int16_t iWaitMs) = 0;
};

}  // namespace ksv940
