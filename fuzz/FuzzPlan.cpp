// Plan files of any shape: a malformed one is refused as "FILE:LINE: reason" (or "FILE: reason"
// when it cannot be read at all) before anything could reach the analyzer; a plan that is read
// has steps, every test step a loaded test with its line, and the same file always reads the same.

#include <string>

#include "CFuzzInput.h"
#include "MFuzzSupport.h"
#include "app/plan/COptionSettings.h"
#include "app/plan/CTestPlan.h"
#include "model/CKsvSafetyTest.h"

namespace ksv940::fuzz {

namespace {

// The plan as text: its name and, per step, kind, line, name, test code, power configuration and
// limits; or the refusal.
std::string ReadAsText(const std::string& sPath) {
  try {
    CTestPlan plan = CTestPlan::Read(sPath, COptionSettings());
    std::string sText = plan.Name();
    FUZZ_CHECK(!plan.Steps().empty());
    for (const SPlanStep& step : plan.Steps()) {
      FUZZ_CHECK(step.lLine > 0);
      FUZZ_CHECK((step.esk == eskTest) == (step.pTest != nullptr));
      sText += "|" + std::to_string(step.esk) + ":" + std::to_string(step.lLine) + ":" + step.sName;
      if (step.pTest) {
        sText += ":" + std::to_string(step.pTest->TestCode()) + "/" +
                 std::to_string(step.pTest->PowerConfig());
      }
      if (step.dMin && step.dMax) {
        FUZZ_CHECK(*step.dMin <= *step.dMax);
      }
    }
    return sText;
  } catch (const CPlanError& err) {
    std::string sWhat = err.what();
    FUZZ_CHECK(sWhat.starts_with(sPath + ":"));
    return "refused " + sWhat;
  }
}

}  // namespace

int FuzzPlan(const uint8_t* pData, size_t nSize) {
  FuzzSetUp();
  CFuzzInput in(pData, nSize);
  std::string sPath = ScratchFile(in.Rest(), ".xml");
  std::string sFirst;
  int32_t lRaised = RaisedNumber([&] { sFirst = ReadAsText(sPath); });
  FUZZ_CHECK(lRaised == 0);
  FUZZ_CHECK(ReadAsText(sPath) == sFirst);
  return 0;
}

}  // namespace ksv940::fuzz

KSV940_FUZZ_ENTRY(FuzzPlan)
