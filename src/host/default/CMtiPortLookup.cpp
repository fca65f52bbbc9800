#include "host/default/CMtiPortLookup.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/core/CContext.h"
#include "platform/core/MText.h"
#include "platform/serial/CPortMap.h"

namespace ksv940 {

namespace fs = std::filesystem;

namespace {}  // namespace

CMtiPortLookup::CMtiPortLookup(std::string sDevDir) : msDevDir(std::move(sDevDir)) {}

std::vector<std::string> CMtiPortLookup::UsbDevices() const {
  std::vector<std::string> vDevices;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(msDevDir, ec)) {
    std::string sName = entry.path().filename().string();
    if (sName.rfind("ttyUSB", 0) == 0 || sName.rfind("ttyACM", 0) == 0) {
      vDevices.push_back(entry.path().string());
    }
  }
  std::sort(vDevices.begin(), vDevices.end());
  return vDevices;
}

int32_t CMtiPortLookup::FindPort(const std::string& sModel, const std::string& sSerial) {
  auto& portMap = CContext::Get<CPortMap>();
  std::string sWanted = LowerAscii(sSerial.empty() ? sModel : sSerial);
  std::error_code ec;
  if (!sWanted.empty()) {
    for (const auto& entry : fs::directory_iterator(fs::path(msDevDir) / "serial" / "by-id", ec)) {
      if (LowerAscii(entry.path().filename().string()).find(sWanted) != std::string::npos) {
        fs::path device = fs::canonical(entry.path(), ec);
        return portMap.Register(ec ? entry.path().string() : device.string());
      }
    }
  }
  if (sSerial.empty() && portMap.Entries().size() == 1) {
    return portMap.Entries().begin()->first;
  }
  std::vector<std::string> vDevices = UsbDevices();
  if (vDevices.size() == 1) {
    return portMap.Register(vDevices.front());
  }
  return 0;
}

}  // namespace ksv940
