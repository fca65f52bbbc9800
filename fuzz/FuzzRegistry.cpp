// Registry export files of any shape: a value is read, found absent, or the file is refused with
// run-time error 5 naming the file; the same file always reads the same.

#include <optional>
#include <string>

#include "CFuzzInput.h"
#include "MFuzzSupport.h"
#include "platform/core/CAutomationError.h"
#include "platform/settings/CRegistryFileStore.h"

namespace ksv940::fuzz {

int FuzzRegistry(const uint8_t* pData, size_t nSize) {
  CFuzzInput in(pData, nSize);
  bool fOtherValue = in.Flag();
  std::string sPath = ScratchFile(in.Rest(), ".reg");
  CRegistryFileStore store(sPath);
  const std::string sKey = R"(HKEY_LOCAL_MACHINE\Software\Marlo\orvex\Executive\System)";
  const std::string sName = fOtherValue ? "Other" : "Test guide settings";
  std::optional<int32_t> lFirst;
  std::string sFailure;
  try {
    lFirst = store.ReadDword(sKey, sName);
  } catch (const CAutomationError& err) {
    FUZZ_CHECK(err.Number() == 5);
    FUZZ_CHECK(err.Description().find(sPath) != std::string::npos);
    sFailure = err.Description();
  }
  std::optional<int32_t> lSecond;
  std::string sSecondFailure;
  try {
    lSecond = store.ReadDword(sKey, sName);
  } catch (const CAutomationError& err) {
    sSecondFailure = err.Description();
  }
  FUZZ_CHECK(lFirst == lSecond && sFailure == sSecondFailure);
  return 0;
}

}  // namespace ksv940::fuzz

KSV940_FUZZ_ENTRY(FuzzRegistry)
