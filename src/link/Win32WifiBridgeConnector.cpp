// The wireless connector's built-in stand-in in the Windows server. A wireless connector installed
// on the machine under its class id is created and used instead (the server's host classes). The
// TCP bridge client of the Linux build is not part of the Windows server: here the built-in
// connector reaches no bridge, so a wireless connection ends as one with no analyzer in reach
// (State evsClosed, no error), and a serial port is always used as given.

#include "link/CWifiBridgeConnector.h"
#include "link/MWire.h"
#include "model/GDeclares.h"
#include "platform/automation/CClassRegistry.h"
#include "platform/core/CContext.h"
#include "support/MError.h"

namespace ksv940 {

CWifiBridgeConnector::CWifiBridgeConnector(std::string sAddress, int32_t lReplyFloorMs)
    : msAddress(std::move(sAddress)),
      mlReplyFloorMs(lReplyFloorMs),
      mpPump(CContext::Share<CMessagePump>()) {}

CWifiBridgeConnector::~CWifiBridgeConnector() = default;

void CWifiBridgeConnector::RegisterClass(CClassRegistry& registry) {
  SClassRegistration registration;
  registration.sClassName = "WifiConnector";
  registration.sClassId = kClassId;
  registration.sServer = kWifiErrorSource;
  registration.fCreatable = true;
  registration.fnServer = [](const std::string&) -> std::shared_ptr<IAutomationObject> {
    return std::make_shared<CWifiBridgeConnector>();
  };
  registry.Register(std::move(registration));
}

void CWifiBridgeConnector::SetLogPath(const std::string& sPath) {
  msLogPath = sPath;
}

void CWifiBridgeConnector::SetMonitorData(bool fMonitor) {
  mfMonitor = fMonitor;
}

bool CWifiBridgeConnector::isWireless() {
  return false;
}

bool CWifiBridgeConnector::ScanUSBPorts(const std::string& /*sModel*/) {
  return false;
}

bool CWifiBridgeConnector::ConnectWireless() {
  return false;
}

bool CWifiBridgeConnector::ScanPort(const std::string& /*sQuery*/, const std::string& /*sModel*/,
                                    int16_t /*i1*/, int16_t /*i2*/, int16_t /*i3*/, int16_t /*i4*/,
                                    int16_t /*i5*/) {
  return false;
}

std::string CWifiBridgeConnector::SendCommand(const std::string& /*sCommand*/,
                                              std::optional<int16_t> /*iWaitMs*/) {
  Fail("The wireless bridge is not connected.");
}

std::string CWifiBridgeConnector::FlushData(int16_t /*iWaitMs*/) {
  return {};
}

std::string CWifiBridgeConnector::ReplyOf(const std::string& sLine) {
  if (sLine == kAcknowledged) {
    return sLine;
  }
  return sLine.substr(0, sLine.find(kCrLf));
}

std::string CWifiBridgeConnector::NewestOutputOf(const std::string& sData) {
  size_t nLastEnd = sData.rfind(kCrLf);
  if (nLastEnd == std::string::npos) {
    return sData;
  }
  std::string sLines = sData.substr(0, nLastEnd);
  size_t nPrevious = sLines.rfind(kCrLf);
  return nPrevious == std::string::npos ? sLines : sLines.substr(nPrevious + 2);
}

void CWifiBridgeConnector::Fail(const std::string& sWhat) {
  throw CAutomationError(errVTI_Error, kWifiErrorSource, sWhat);
}

}  // namespace ksv940
