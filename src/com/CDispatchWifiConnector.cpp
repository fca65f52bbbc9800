#include "com/CDispatchWifiConnector.h"

namespace ksv940 {

void CDispatchWifiConnector::SetLogPath(const std::string& sPath) {
  mConnector.Put(L"SetLogPath", CDispatchCaller::TextArg(sPath));
}

void CDispatchWifiConnector::SetMonitorData(bool fMonitor) {
  VARIANT vFlag;
  VariantInit(&vFlag);
  V_VT(&vFlag) = VT_BOOL;
  V_BOOL(&vFlag) = fMonitor ? VARIANT_TRUE : VARIANT_FALSE;
  mConnector.Put(L"MonitorData", vFlag);
}

bool CDispatchWifiConnector::isWireless() {
  return CDispatchCaller::Boolean(mConnector.Call(L"isWireless"));
}

bool CDispatchWifiConnector::ScanUSBPorts(const std::string& sModel) {
  return CDispatchCaller::Boolean(
      mConnector.Call(L"ScanUSBPorts", {CDispatchCaller::TextArg(sModel)}));
}

bool CDispatchWifiConnector::ConnectWireless() {
  return CDispatchCaller::Boolean(mConnector.Call(L"ConnectWireless"));
}

bool CDispatchWifiConnector::ScanPort(const std::string& sQuery, const std::string& sModel,
                                      int16_t i1, int16_t i2, int16_t i3, int16_t i4, int16_t i5) {
  return CDispatchCaller::Boolean(mConnector.Call(
      L"ScanPort", {CDispatchCaller::TextArg(sQuery), CDispatchCaller::TextArg(sModel),
                    CDispatchCaller::IntArg(i1, VT_I2), CDispatchCaller::IntArg(i2, VT_I2),
                    CDispatchCaller::IntArg(i3, VT_I2), CDispatchCaller::IntArg(i4, VT_I2),
                    CDispatchCaller::IntArg(i5, VT_I2)}));
}

std::string CDispatchWifiConnector::SendCommand(const std::string& sCommand,
                                                std::optional<int16_t> iWaitMs) {
  std::vector<VARIANT> vArgs{CDispatchCaller::TextArg(sCommand)};
  if (iWaitMs.has_value()) {
    vArgs.push_back(CDispatchCaller::IntArg(*iWaitMs, VT_I2));
  }
  VARIANT vReply = mConnector.Call(L"SendCommand", std::move(vArgs));
  if (V_VT(&vReply) == VT_EMPTY || V_VT(&vReply) == VT_NULL) {
    return {};
  }
  return CDispatchCaller::Text(vReply);
}

std::string CDispatchWifiConnector::FlushData(int16_t iWaitMs) {
  VARIANT vData = mConnector.Call(L"FlushData", {CDispatchCaller::IntArg(iWaitMs, VT_I2)});
  if (V_VT(&vData) == VT_EMPTY || V_VT(&vData) == VT_NULL) {
    return {};
  }
  return CDispatchCaller::Text(vData);
}

}  // namespace ksv940
