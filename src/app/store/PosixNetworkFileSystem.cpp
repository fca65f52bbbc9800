#include <sys/vfs.h>

#include <filesystem>

#include "app/store/CSqliteConnection.h"

namespace ksv940 {

bool IsNetworkFileSystem(const std::string& sPath) {
  // The file may not exist yet: its folder decides.
  std::filesystem::path path = std::filesystem::absolute(sPath).parent_path();
  struct statfs info {};
  return statfs(path.c_str(), &info) == 0 &&
         IsNetworkFileSystemType(static_cast<unsigned long>(info.f_type));
}

bool IsNetworkFileSystemType(unsigned long ulType) {
  switch (ulType) {
    case 0x6969UL:      // NFS
    case 0x517BUL:      // SMB
    case 0xFF534D42UL:  // CIFS
    case 0xFE534D42UL:  // SMB2
    case 0x5346414FUL:  // AFS
    case 0x65735546UL:  // FUSE (sshfs and the like)
      return true;
    default:
      return false;
  }
}

}  // namespace ksv940
