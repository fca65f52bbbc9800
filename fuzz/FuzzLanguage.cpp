// Language catalogues of any shape, and texts with any parameters: a catalogue loads or is
// refused with a run-time error naming its line; every text the component asks for comes back
// filled, and a translated text replaces the English one.

#include <string>

#include "CFuzzInput.h"
#include "MFuzzSupport.h"
#include "hostdefaults/CLanguageService.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/MRuntime.h"

namespace ksv940::fuzz {

int FuzzLanguage(const uint8_t* pData, size_t nSize) {
  CFuzzInput in(pData, nSize);
  std::string sParameter = in.Text();
  std::string sText = in.Text();
  std::string sPath = ScratchFile(in.Rest(), ".lang");
  CLanguageService language;
  int32_t lError = RaisedNumber([&] { language.LoadCatalogue(sPath); });
  FUZZ_CHECK(lError == 0 || lError == erInvalidCall);
  for (const std::string& s :
       {sText, std::string("21904::The KSV940 reported an error: %%1."), "20923::" + sText}) {
    std::string sShown;
    FUZZ_CHECK(RaisedNumber([&] { sShown = language.GetText("KSV940", s, {sParameter}); }) == 0);
    auto [lNumber, sWording] = SplitTextNumber(s);
    if (lNumber < 0) {
      FUZZ_CHECK(sShown == FillParameters(s, {sParameter}));
    }
  }
  return 0;
}

}  // namespace ksv940::fuzz

KSV940_FUZZ_ENTRY(FuzzLanguage)
