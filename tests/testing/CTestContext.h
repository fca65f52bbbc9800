#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/default/CLanguageService.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/forms/IMessageBox.h"
#include "testing/CScriptedView.h"

namespace ksv940::test {

/// A message box shown during a test, with the virtual time it was shown at.
struct SShownMessageBox {
  std::string sText;
  std::string sTitle;
  bool fExclamation;
  int64_t lShownUs;
};

/// Records every message box instead of showing it; each is answered at once.
class CRecordingMessageBox : public IMessageBox {
 public:
  void Show(const std::string& sText, const std::string& sTitle, bool fExclamation) override;
  std::vector<SShownMessageBox> vShown;
};

/// Installs, for a test's scope, virtual time (a simulated clock and a pump on it), a fresh text
/// service, a recording message box and a scripted operator for forms (whose empty script makes
/// any dialog shown fail the test until answers are added).
class CTestContext {
 public:
  explicit CTestContext(int64_t lTimeOfDayUs = 12 * 3600 * 1'000'000LL);

  CSimulatedClock& Clock() { return *mpClock; }
  CMessagePump& Pump() { return *mpPump; }
  CLanguageService& Language() { return *mpLanguage; }
  std::vector<SShownMessageBox>& MessageBoxes() { return mpMessageBox->vShown; }
  CContextScope& Scope() { return mScope; }
  CScriptedView& Operator() { return *mpOperator; }

  /// Runs the pump until virtual time has reached lUs.
  void RunUntil(int64_t lUs);
  void RunFor(int64_t lUs) { RunUntil(mpClock->NowUs() + lUs); }

 private:
  std::shared_ptr<CSimulatedClock> mpClock;
  std::shared_ptr<CMessagePump> mpPump;
  std::shared_ptr<CLanguageService> mpLanguage;
  std::shared_ptr<CRecordingMessageBox> mpMessageBox;
  std::shared_ptr<CScriptedView> mpOperator;
  CContextScope mScope;
};

}  // namespace ksv940::test
