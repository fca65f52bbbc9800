#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace ksv940::test {

/// A fresh directory for a test's files, removed with everything in it when the test ends.
class CTempDir {
 public:
  CTempDir() {
    std::string sTemplate = (std::filesystem::temp_directory_path() / "ksv940-XXXXXX").string();
    msPath = mkdtemp(sTemplate.data()) != nullptr ? sTemplate : std::string();
  }
  ~CTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(msPath, ec);
  }
  CTempDir(const CTempDir&) = delete;
  CTempDir& operator=(const CTempDir&) = delete;

  /// The path of sName in the directory.
  std::string PathOf(const std::string& sName) const { return msPath + "/" + sName; }

  /// Writes sBytes to sName and answers its path.
  std::string Write(const std::string& sName, const std::string& sBytes) const {
    std::ofstream(PathOf(sName), std::ios::binary) << sBytes;
    return PathOf(sName);
  }

 private:
  std::string msPath;
};

}  // namespace ksv940::test
