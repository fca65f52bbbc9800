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

/// One answer of a scripted operator: press the button that gives eoaAnswer lAfterMs after the
/// form appeared, or, with eoaNone, leave the form to close by itself.
struct SScriptedAnswer {
  EOperatorAnswer eoaAnswer = eoaNone;
  int64_t lAfterMs = 0;
};

/// A shown control's text or visibility as it changed, and when (pump time).
struct STextChange {
  std::string sControl;  ///< empty for the form's caption
  std::string sText;
  bool fVisible = true;
  int64_t lAtUs = 0;
};

/// A form as the scripted operator saw it.
struct SRecordedForm {
  std::string sForm;
  std::string sCaption;
  std::string sOwner;  ///< the owner window's title; empty without an owner
  bool fTopmost = false;
  bool fCountdown = false;
  /// Visible labels and buttons by name, with their captions when the form appeared.
  std::map<std::string, std::string> mTexts;
  /// Names of the visible pictures.
  std::vector<std::string> vPictures;
  std::vector<STextChange> vChanges;
  int64_t lShownUs = 0;
  int64_t lHiddenUs = -1;
  /// The answer given; eoaNone when the form hid without one (its countdown ran out).
  EOperatorAnswer eoaAnswer = eoaNone;

  /// The caption of a control that was visible when the form appeared; empty otherwise.
  std::string Text(const std::string& sControl) const;
  bool Shows(const std::string& sControl) const { return mTexts.count(sControl) != 0; }
  /// The successive captions sControl took while shown.
  std::vector<std::string> ChangesOf(const std::string& sControl) const;
};

/// A message box as the scripted operator saw it.
struct SRecordedMessageBox {
  std::string sText;
  std::string sTitle;  ///< as shown (the component's name for an empty title)
  bool fExclamation = false;
  int64_t lShownUs = 0;
  int64_t lAnsweredUs = -1;  ///< -1 while it is still shown
};

/// The operator of tests: answers each form with the next answer of its script, on the pump's
/// time, and records every form and message box. A form shown with no answer left, an answer
/// with a button the form does not offer, and leaving a form without a countdown to itself are
/// faults of the test and throw std::logic_error out of the form's display.
class CScriptedView : public IFormView {
 public:
  CScriptedView& Then(EOperatorAnswer eoa, int64_t lAfterMs = 0);
  /// The next form is left alone until its countdown closes it.
  CScriptedView& ThenLetItRun() { return Then(eoaNone); }
  /// How long each message box stays before OK is pressed (pump time); 0 by default.
  void SetMessageBoxDelay(int64_t lMs) { mlMessageBoxDelayMs = lMs; }

  const std::vector<SRecordedForm>& Forms() const { return mvForms; }
  const std::vector<SRecordedMessageBox>& MessageBoxes() const { return mvBoxes; }
  size_t AnswersLeft() const { return mAnswers.size(); }

  void FormShown(CForm& frm) override;
  void FormChanged(CForm& frm, const CControl* pControl) override;
  void FormHidden(CForm& frm) override;
  void Show(const std::string& sText, const std::string& sTitle, bool fExclamation) override;

 private:
  struct SOpen {
    size_t nRecord;
    std::shared_ptr<CMessagePump> pPump;
    CMessagePump::Id idAnswer = 0;
  };

  std::deque<SScriptedAnswer> mAnswers;
  std::vector<SRecordedForm> mvForms;
  std::vector<SRecordedMessageBox> mvBoxes;
  std::map<const CForm*, SOpen> mOpen;
  int64_t mlMessageBoxDelayMs = 0;
};

}  // namespace ksv940
