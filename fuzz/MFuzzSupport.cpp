#include "MFuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>

#include "hostdefaults/MHostDefaults.h"
#include "platform/core/CAutomationError.h"

namespace ksv940::fuzz {

void FuzzFailed(const char* szCondition, const char* szFile, int iLine) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n", szFile, iLine, szCondition);
  std::abort();
}

void FuzzSetUp() {
  static const bool fInstalled = [] {
    InstallHostDefaults();
    return true;
  }();
  (void)fInstalled;
}

int32_t RaisedNumber(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const CAutomationError& err) {
    FUZZ_CHECK(err.Number() != 0);
    return err.Number();
  } catch (const std::exception& err) {
    std::fprintf(stderr, "raised %s: %s\n", typeid(err).name(), err.what());
    FUZZ_CHECK(!"only automation errors may leave the component");
  }
  return 0;
}

std::string ScratchFile(const std::string& sData, const char* szSuffix) {
  // One file per suffix and process, removed when the process ends normally.
  struct SFiles {
    std::set<std::string> paths;
    ~SFiles() {
      for (const std::string& sPath : paths) {
        unlink(sPath.c_str());
      }
    }
  };
  static SFiles files;
  std::string sPath = "/tmp/ksv940-fuzz-" + std::to_string(getpid()) + szSuffix;
  files.paths.insert(sPath);
  std::ofstream(sPath, std::ios::binary | std::ios::trunc) << sData;
  return sPath;
}

}  // namespace ksv940::fuzz
