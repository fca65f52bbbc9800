#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace ksv940 {

/// The host's settings as the registry holds them: keys named by their full path from the root
/// ("HKEY_LOCAL_MACHINE\Software\..."), values named within a key, both compared without regard
/// to letter case. Read-only for the component.
class ISettingsStore {
 public:
  virtual ~ISettingsStore() = default;

  /// The 32-bit value sValueName of key sKey. Nothing when the store, the key or the value is
  /// missing, or when the value has another type than a 32-bit number (REG_DWORD). Raises a
  /// run-time error for a store that cannot be read as one (a malformed file), naming the place.
  virtual std::optional<int32_t> ReadDword(const std::string& sKey,
                                           const std::string& sValueName) = 0;

  /// The system's store: on Linux the registry export file of CRegistryFileStore at
  /// $KSV940_REGISTRY, else /etc/orvex/registry.reg.
  static std::shared_ptr<ISettingsStore> CreateDefault();
};

}  // namespace ksv940
