#pragma once

#include "com/CDispatchCaller.h"
#include "link/IWifiConnector.h"

namespace ksv940 {

/// The wireless connector installed on the machine (its class registered under the connector's
/// class id), called by member name as the plug-in calls it.
class CDispatchWifiConnector : public IWifiConnector {
 public:
  explicit CDispatchWifiConnector(IDispatch* pConnector) : mConnector(pConnector) {}

  std::string ClassName() const override { return "WifiConnector"; }
  void SetLogPath(const std::string& sPath) override;
  void SetMonitorData(bool fMonitor) override;
  bool isWireless() override;
  bool ScanUSBPorts(const std::string& sModel) override;
  bool ConnectWireless() override;
  bool ScanPort(const std::string& sQuery, const std::string& sModel, int16_t i1, int16_t i2,
                int16_t i3, int16_t i4, int16_t i5) override;
  std::string SendCommand(const std::string& sCommand,
                          std::optional<int16_t> iWaitMs = std::nullopt) override;
  std::string FlushData(int16_t iWaitMs) override;

 private:
  CDispatchCaller mConnector;
};

}  // namespace ksv940
