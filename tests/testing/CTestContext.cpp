#include "testing/CTestContext.h"

namespace ksv940::test {

CTestContext::CTestContext(int64_t lTimeOfDayUs)
    : mpClock(std::make_shared<CSimulatedClock>(lTimeOfDayUs)),
      mpPump(std::make_shared<CMessagePump>(mpClock)),
      mpLanguage(std::make_shared<CLanguageService>()),
      mpOperator(std::make_shared<CScriptedView>()) {
  mScope.Set<IClock>(mpClock).Set<CMessagePump>(mpPump).Set<ILanguageService>(mpLanguage);
  InstallView(mScope, mpOperator);
}

void CTestContext::RunUntil(int64_t lUs) {
  // A wake-up at the target keeps the pump from advancing past it.
  mpPump->WakeAt(lUs);
  while (mpClock->NowUs() < lUs) {
    mpPump->ProcessMessages();
  }
}

}  // namespace ksv940::test
