#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/serial/MUsbSerialPorts.h"

namespace ksv940 {

bool UsbSerialPortPresent() {
  // The system lists every COM port under this key, each named by the device its driver made:
  // \Device\USBSER000 for the USB modem class driver, \Device\VCP0 for virtual COM port drivers.
  HKEY hKey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &hKey) !=
      ERROR_SUCCESS) {
    return false;
  }
  bool fFound = false;
  for (DWORD dwIndex = 0; !fFound; ++dwIndex) {
    char szName[256] = {};
    DWORD dwLength = sizeof szName;
    if (RegEnumValueA(hKey, dwIndex, szName, &dwLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    std::string sName(szName, dwLength);
    std::transform(sName.begin(), sName.end(), sName.begin(), [](char c) {
      return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    });
    fFound = sName.find("USB") != std::string::npos || sName.find("VCP") != std::string::npos;
  }
  RegCloseKey(hKey);
  return fFound;
}

}  // namespace ksv940
