#pragma once

#include <string>
#include <vector>

#include "link/IWifiConnector.h"
#include "sim/CSimulatedLine.h"

namespace ksv940::test {

/// A wireless connector for tests on virtual time: it talks to an in-process instrument on the
/// host end of a simulated line, shapes replies exactly as our bridge client does, and records
/// every call the plug-in makes ("SendCommand(stat,50)", "FlushData(300)", "isWireless()").
class CSimWifiConnector : public IWifiConnector {
 public:
  explicit CSimWifiConnector(CSimulatedLine& line);

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

  /// What the plug-in's calls answer.
  bool fIsWireless = false;
  bool fUsbPresent = false;
  bool fConnects = true;
  /// Every call, in order.
  std::vector<std::string> vCalls;

 private:
  void WaitMs(int32_t lMs, bool fUntilLine);

  CSimulatedLine& mLine;
  std::string msReceived;
};

}  // namespace ksv940::test
