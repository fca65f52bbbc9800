#include "testing/CSimWifiConnector.h"

#include "link/CWifiBridgeConnector.h"
#include "platform/core/CContext.h"

namespace ksv940::test {

CSimWifiConnector::CSimWifiConnector(CSimulatedLine& line) : mLine(line) {
  mLine.SetReceiver(CSimulatedLine::eslHost, [this](std::string_view s) { msReceived += s; });
}

void CSimWifiConnector::SetLogPath(const std::string& sPath) {
  vCalls.push_back("SetLogPath(" + sPath + ")");
}

void CSimWifiConnector::SetMonitorData(bool fMonitor) {
  vCalls.push_back(std::string("MonitorData(") + (fMonitor ? "true" : "false") + ")");
}

bool CSimWifiConnector::isWireless() {
  vCalls.push_back("isWireless()");
  return fIsWireless;
}

bool CSimWifiConnector::ScanUSBPorts(const std::string& sModel) {
  vCalls.push_back("ScanUSBPorts(" + sModel + ")");
  return fUsbPresent;
}

bool CSimWifiConnector::ConnectWireless() {
  vCalls.push_back("ConnectWireless()");
  return fConnects;
}

bool CSimWifiConnector::ScanPort(const std::string& sQuery, const std::string& sModel, int16_t i1,
                                 int16_t i2, int16_t i3, int16_t i4, int16_t i5) {
  vCalls.push_back("ScanPort(" + sQuery + "," + sModel + "," + std::to_string(i1) + "," +
                   std::to_string(i2) + "," + std::to_string(i3) + "," + std::to_string(i4) + "," +
                   std::to_string(i5) + ")");
  msReceived.clear();
  mLine.Write(CSimulatedLine::eslHost, "ident\r\n");
  WaitMs(1000, true);
  bool fFound = msReceived.compare(0, sModel.size(), sModel) == 0;
  msReceived.clear();
  return fFound;
}

std::string CSimWifiConnector::SendCommand(const std::string& sCommand,
                                           std::optional<int16_t> iWaitMs) {
  vCalls.push_back("SendCommand(" + sCommand +
                   (iWaitMs ? "," + std::to_string(*iWaitMs) : std::string()) + ")");
  msReceived.clear();
  mLine.Write(CSimulatedLine::eslHost, sCommand + "\r\n");
  if (!iWaitMs) {
    return {};
  }
  WaitMs(*iWaitMs, true);
  size_t nEnd = msReceived.find("\r\n");
  if (nEnd == std::string::npos) {
    return {};
  }
  std::string sLine = msReceived.substr(0, nEnd + 2);
  msReceived.erase(0, nEnd + 2);
  return CWifiBridgeConnector::ReplyOf(sLine);
}

std::string CSimWifiConnector::FlushData(int16_t iWaitMs) {
  vCalls.push_back("FlushData(" + std::to_string(iWaitMs) + ")");
  WaitMs(iWaitMs, false);
  std::string sData;
  sData.swap(msReceived);
  return sData.empty() ? std::string() : CWifiBridgeConnector::NewestOutputOf(sData);
}

void CSimWifiConnector::WaitMs(int32_t lMs, bool fUntilLine) {
  auto& pump = CContext::Get<CMessagePump>();
  pump.RunUntil(pump.Clock().NowUs() + lMs * 1000LL,
                [&] { return fUntilLine && msReceived.find("\r\n") != std::string::npos; });
}

}  // namespace ksv940::test
