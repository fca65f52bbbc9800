#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/CMessagePump.h"
#include "platform/forms/EOperatorAnswer.h"
#include "platform/forms/IFormView.h"

namespace ksv940 {

/// A form as the scripted operator saw it.
struct SRecordedForm {
  std::string sForm;
  std::string sCaption;
  std::string sOwner;  ///< the owner window's title; empty without an owner
  bool fTopmost = false;
  bool fCountdown = false;
  /// Visible labels and buttons by name, with their captions when the form appeared.
  std::map<std::string, std::string> mTexts = {};
  /// The captions of the countdown line as it changed, with the pump time of each change.
  std::vector<std::pair<int64_t, std::string>> vCountdown = {};
  int64_t lShownUs = 0;
  int64_t lHiddenUs = -1;
  /// The answer given; eoaNone when the form hid without one (its countdown ran out).
  EOperatorAnswer eoaAnswer = eoaNone;

  /// The caption of a control that was visible when the form appeared; empty otherwise.
  std::string Text(const std::string& sControl) const;
  bool Shows(const std::string& sControl) const { return mTexts.count(sControl) != 0; }
};

/// A message box as the scripted operator saw it.
struct SRecordedMessageBox {
  std::string sText;
  std::string sTitle;  ///< as shown (the component's name for an empty title)
  bool fExclamation = false;
  int64_t lShownUs = 0;
  int64_t lAnsweredUs = -1;
};

/// The operator of tests: answers each form with the next answer of its script, on the pump's
/// time, and records every form and message box. A form shown with no answer left, an answer
/// with a button the form does not offer, and leaving a form without a countdown to itself are
/// faults of the test and throw std::logic_error out of the form's display.
class CScriptedView : public IFormView {
 public:
  /// The next form is answered with the button that gives eoa, lAfterMs after it appeared; with
  /// eoaNone it is left to its countdown.
  CScriptedView& Then(EOperatorAnswer eoa, int64_t lAfterMs = 0);
  CScriptedView& ThenLetItRun() { return Then(eoaNone); }
  /// From now on forms beyond the script answer themselves: Continue a second after a form
  /// without a countdown appeared, nothing where the countdown closes it, a no-resistance form
  /// Continue the first time and Skip after, and Stop Test half a second after the iStopAt-th such
  /// form (0 first, counted from this call) appeared, where it offers Stop Test.
  void AnswerUnscripted(int iStopAt = -1) {
    mfAnswerUnscripted = true;
    miStopAt = iStopAt;
    mnNoResistance = 0;
  }
  /// How long each message box stays before OK is pressed (pump time); 0 by default.
  void SetMessageBoxDelay(int64_t lMs) { mlMessageBoxDelayMs = lMs; }

  const std::vector<SRecordedForm>& Forms() const { return mvForms; }
  const std::vector<SRecordedMessageBox>& MessageBoxes() const { return mvBoxes; }

  void FormShown(CForm& frm) override;
  void FormChanged(CForm& frm, const CControl* pControl) override;
  void FormHidden(CForm& frm) override;
  void Show(const std::string& sText, const std::string& sTitle, bool fExclamation) override;

 private:
  struct SOpen {
    size_t nRecord;
    CMessagePump::Id idAnswer = 0;
  };

  std::deque<std::pair<EOperatorAnswer, int64_t>> mAnswers;
  std::vector<SRecordedForm> mvForms;
  std::vector<SRecordedMessageBox> mvBoxes;
  std::map<const CForm*, SOpen> mOpen;
  int64_t mlMessageBoxDelayMs = 0;
  bool mfAnswerUnscripted = false;
  int miStopAt = -1;
  int mnNoResistance = 0;
};

}  // namespace ksv940
