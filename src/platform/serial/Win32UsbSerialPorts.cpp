#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/core/MText.h"
#include "platform/serial/MUsbSerialPorts.h"

namespace ksv940 {

std::vector<SUsbSerialPort> UsbSerialPorts(const std::string& /*sDevDir*/) {
  // The system lists every COM port under this key: each value is named by the device its driver
  // made (\Device\USBSER000 for the USB modem class driver, \Device\VCP0 for virtual COM port
  // drivers) and holds the port's name ("COM5").
  std::vector<SUsbSerialPort> vPorts;
  HKEY hKey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &hKey) !=
      ERROR_SUCCESS) {
    return vPorts;
  }
  for (DWORD dwIndex = 0;; ++dwIndex) {
    char szName[256] = {};
    char szData[64] = {};
    DWORD dwNameLength = sizeof szName;
    DWORD dwDataLength = sizeof szData - 1;
    DWORD dwType = 0;
    LONG lResult = RegEnumValueA(hKey, dwIndex, szName, &dwNameLength, nullptr, &dwType,
                                 reinterpret_cast<BYTE*>(szData), &dwDataLength);
    if (lResult == ERROR_NO_MORE_ITEMS) {
      break;
    }
    if (lResult != ERROR_SUCCESS || dwType != REG_SZ) {
      continue;
    }
    std::string sName(szName, dwNameLength);
    std::string sLower = LowerAscii(sName);
    std::string sDevice(szData);
    if ((sLower.find("usb") == std::string::npos && sLower.find("vcp") == std::string::npos) ||
        sDevice.size() < 4 || sDevice.compare(0, 3, "COM") != 0) {
      continue;
    }
    vPorts.push_back({sName, sDevice, static_cast<int32_t>(std::atoi(sDevice.c_str() + 3))});
  }
  RegCloseKey(hKey);
  std::sort(vPorts.begin(), vPorts.end(),
            [](const SUsbSerialPort& a, const SUsbSerialPort& b) { return a.lPort < b.lPort; });
  return vPorts;
}

bool UsbSerialPortPresent() {
  return !UsbSerialPorts().empty();
}

}  // namespace ksv940
