#pragma once

#include <string>

#include "platform/settings/ISettingsStore.h"

namespace ksv940 {

/// Settings read from a file in the format the registry editor exports: the line "Windows
/// Registry Editor Version 5.00" (or "REGEDIT4"), then keys in brackets, each followed by its
/// values, for example
///
///     [HKEY_LOCAL_MACHINE\Software\Marlo\orvex\Executive\System]
///     "Test guide settings"=dword:00000004
///
/// Values are "text", dword:XXXXXXXX, hex:.. or hex(N):.. bytes (lines may continue after a
/// trailing backslash), or "-" to delete; "[-KEY]" deletes a key; ";" starts a comment line. A
/// later line for the same value wins. The file may be UTF-8 or UTF-16 with a byte-order mark.
/// It is read anew at every call, so a change takes effect at the next dialog.
class CRegistryFileStore : public ISettingsStore {
 public:
  static constexpr const char* kDefaultPath = "/etc/orvex/registry.reg";

  /// An empty sPath reads $KSV940_REGISTRY when it is set and not empty, else kDefaultPath,
  /// chosen at each read.
  explicit CRegistryFileStore(std::string sPath = {});

  /// A missing file counts as an empty store. A file that is not a registry export, or has a
  /// line that is none of the forms above, raises run-time error 5 naming the file and line.
  std::optional<int32_t> ReadDword(const std::string& sKey, const std::string& sValueName) override;

  /// The file the next read uses.
  std::string Path() const;

 private:
  std::string msPath;
};

}  // namespace ksv940
