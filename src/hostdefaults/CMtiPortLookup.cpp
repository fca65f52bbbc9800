#include "hostdefaults/CMtiPortLookup.h"

#include "platform/core/CContext.h"
#include "platform/core/MText.h"
#include "platform/serial/CPortMap.h"
#include "platform/serial/MUsbSerialPorts.h"

namespace ksv940 {

CMtiPortLookup::CMtiPortLookup(std::string sDevDir) : msDevDir(std::move(sDevDir)) {}

int32_t CMtiPortLookup::FindPort(const std::string& sModel, const std::string& sSerial) {
  auto& portMap = CContext::Get<CPortMap>();
  std::vector<SUsbSerialPort> vPorts = UsbSerialPorts(msDevDir);
  auto Number = [&](const SUsbSerialPort& port) {
    return port.lPort > 0 ? port.lPort : portMap.Register(port.sDevice);
  };
  std::string sWanted = LowerAscii(sSerial.empty() ? sModel : sSerial);
  if (!sWanted.empty()) {
    for (const SUsbSerialPort& port : vPorts) {
      if (LowerAscii(port.sName).find(sWanted) != std::string::npos) {
        return Number(port);
      }
    }
  }
  if (sSerial.empty() && portMap.Entries().size() == 1) {
    return portMap.Entries().begin()->first;
  }
  if (vPorts.size() == 1) {
    return Number(vPorts.front());
  }
  return 0;
}

}  // namespace ksv940
