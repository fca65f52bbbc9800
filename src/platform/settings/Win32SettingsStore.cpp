#include <windows.h>

#include "platform/settings/ISettingsStore.h"

namespace ksv940 {

namespace {

bool EqualsIgnoringCase(const std::string& sA, const char* szB) {
  return lstrcmpiA(sA.c_str(), szB) == 0;
}

// The host's settings in the system registry, read with the registry functions the host's own
// programs use, each on every path: open, ask for the type and size, read, close.
class CRegistrySettingsStore : public ISettingsStore {
 public:
  std::optional<int32_t> ReadDword(const std::string& sKey,
                                   const std::string& sValueName) override {
    size_t nSlash = sKey.find('\\');
    std::string sRoot = sKey.substr(0, nSlash);
    std::string sPath = nSlash == std::string::npos ? std::string() : sKey.substr(nSlash + 1);
    HKEY hRoot = nullptr;
    if (EqualsIgnoringCase(sRoot, "HKEY_LOCAL_MACHINE")) {
      hRoot = HKEY_LOCAL_MACHINE;
    } else if (EqualsIgnoringCase(sRoot, "HKEY_CURRENT_USER")) {
      hRoot = HKEY_CURRENT_USER;
    } else {
      return std::nullopt;
    }
    HKEY hKey = nullptr;
    std::optional<int32_t> lValue;
    if (RegOpenKeyA(hRoot, sPath.c_str(), &hKey) == ERROR_SUCCESS) {
      DWORD dwType = 0;
      DWORD dwSize = 0;
      if (RegQueryValueExA(hKey, sValueName.c_str(), nullptr, &dwType, nullptr, &dwSize) ==
              ERROR_SUCCESS &&
          dwType == REG_DWORD) {
        DWORD dwData = 0;
        dwSize = sizeof dwData;
        if (RegQueryValueExA(hKey, sValueName.c_str(), nullptr, &dwType,
                             reinterpret_cast<BYTE*>(&dwData), &dwSize) == ERROR_SUCCESS) {
          lValue = static_cast<int32_t>(dwData);
        }
      }
    }
    RegCloseKey(hKey);
    return lValue;
  }
};

}  // namespace

std::shared_ptr<ISettingsStore> ISettingsStore::CreateDefault() {
  return std::make_shared<CRegistrySettingsStore>();
}

}  // namespace ksv940
