#include "testing/CTestContext.h"

namespace ksv940::test {

void CRecordingMessageBox::Show(const std::string& sText, const std::string& sTitle,
                                bool fExclamation) {
  vShown.push_back({sText, sTitle, fExclamation, CContext::Get<CMessagePump>().Clock().NowUs()});
}

CTestContext::CTestContext(int64_t lTimeOfDayUs)
    : mpClock(std::make_shared<CSimulatedClock>(lTimeOfDayUs)),
      mpPump(std::make_shared<CMessagePump>(mpClock)),
      mpLanguage(std::make_shared<CLanguageService>()),
      mpMessageBox(std::make_shared<CRecordingMessageBox>()),
      mpOperator(std::make_shared<CScriptedView>()) {
  mScope.Set<IClock>(mpClock)
      .Set<CMessagePump>(mpPump)
      .Set<ILanguageService>(mpLanguage)
      .Set<IMessageBox>(mpMessageBox)
      .Set<IFormView>(mpOperator);
}

void CTestContext::RunUntil(int64_t lUs) {
  // A wake-up at the target keeps the pump from advancing past it.
  mpPump->WakeAt(lUs);
  while (mpClock->NowUs() < lUs) {
    mpPump->ProcessMessages();
  }
}

}  // namespace ksv940::test
