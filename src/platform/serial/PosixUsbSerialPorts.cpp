#include <algorithm>
#include <filesystem>

#include "platform/serial/MUsbSerialPorts.h"

namespace ksv940 {

namespace fs = std::filesystem;

std::vector<SUsbSerialPort> UsbSerialPorts(const std::string& sDevDir) {
  std::vector<SUsbSerialPort> vPorts;
  std::error_code ec;
  // udev's links name the adapter; the port is the device a link points to.
  std::vector<fs::path> vLinks;
  for (const auto& entry : fs::directory_iterator(fs::path(sDevDir) / "serial" / "by-id", ec)) {
    vLinks.push_back(entry.path());
  }
  std::sort(vLinks.begin(), vLinks.end());
  for (const fs::path& link : vLinks) {
    fs::path device = fs::canonical(link, ec);
    vPorts.push_back({link.filename().string(), ec ? link.string() : device.string()});
  }
  // Without udev (a container, a minimal system) the devices go by their own names.
  std::vector<fs::path> vDevices;
  for (const auto& entry : fs::directory_iterator(sDevDir, ec)) {
    std::string sName = entry.path().filename().string();
    if (sName.starts_with("ttyUSB") || sName.starts_with("ttyACM")) {
      vDevices.push_back(entry.path());
    }
  }
  std::sort(vDevices.begin(), vDevices.end());
  for (const fs::path& path : vDevices) {
    fs::path device = fs::canonical(path, ec);
    std::string sDevice = ec ? path.string() : device.string();
    if (std::none_of(vPorts.begin(), vPorts.end(),
                     [&](const SUsbSerialPort& port) { return port.sDevice == sDevice; })) {
      vPorts.push_back({path.filename().string(), sDevice});
    }
  }
  return vPorts;
}

bool UsbSerialPortPresent() {
  return !UsbSerialPorts().empty();
}

}  // namespace ksv940
