#pragma once

#include <memory>
#include <vector>

#include "hostdefaults/CLanguageService.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "testing/CScriptedView.h"

namespace ksv940::test {

/// Installs, for a test's scope, virtual time (a simulated clock and a pump on it), a fresh text
/// service and a scripted operator, who is both the view of forms and the message box (whose
/// empty script makes any dialog shown fail the test until answers are added).
class CTestContext {
 public:
  explicit CTestContext(int64_t lTimeOfDayUs = 12 * 3600 * 1'000'000LL);

  CSimulatedClock& Clock() { return *mpClock; }
  CMessagePump& Pump() { return *mpPump; }
  CLanguageService& Language() { return *mpLanguage; }
  CScriptedView& Operator() { return *mpOperator; }
  const std::vector<SRecordedMessageBox>& MessageBoxes() const {
    return mpOperator->MessageBoxes();
  }
  CContextScope& Scope() { return mScope; }
  int64_t NowUs() const { return mpClock->NowUs(); }

  /// Runs the pump until virtual time has reached lUs.
  void RunUntil(int64_t lUs);
  void RunFor(int64_t lUs) { RunUntil(mpClock->NowUs() + lUs); }

 private:
  std::shared_ptr<CSimulatedClock> mpClock;
  std::shared_ptr<CMessagePump> mpPump;
  std::shared_ptr<CLanguageService> mpLanguage;
  std::shared_ptr<CScriptedView> mpOperator;
  CContextScope mScope;
};

}  // namespace ksv940::test
