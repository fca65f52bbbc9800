#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <ostream>

#include "platform/core/CMessagePump.h"
#include "platform/forms/EOperatorAnswer.h"
#include "platform/forms/IFormView.h"

namespace ksv940 {

/// The operator of unattended runs. It prints each form it shows (caption, the texts top to
/// bottom, the countdown line, the buttons) on out, then answers:
/// - with eoaNone: Continue at once where the form has no countdown; a countdown runs out;
/// - otherwise: presses that button lAfterMs after the form appeared (pump time), unless the form
///   closed by itself first; a form without that button is answered Continue.
/// Then it prints the answer it gave. Message boxes go to err as "TITLE: TEXT" and are answered
/// at once.
class CAutomaticView : public IFormView {
 public:
  CAutomaticView(EOperatorAnswer eoa, int64_t lAfterMs, std::ostream& out, std::ostream& err);

  void FormShown(CForm& frm) override;
  void FormChanged(CForm& frm, const CControl* pControl) override;
  void FormHidden(CForm& frm) override;
  void Show(const std::string& sText, const std::string& sTitle, bool fExclamation) override;

 private:
  struct SOpen {
    std::shared_ptr<CMessagePump> pPump;
    int64_t lShownUs = 0;
    CMessagePump::Id idAnswer = 0;
    EOperatorAnswer eoaGiven = eoaNone;
    std::string sNote;
  };
  void Answer(CForm& frm, EOperatorAnswer eoa);

  EOperatorAnswer meoaAnswer;
  int64_t mlAfterMs;
  std::ostream& mOut;
  std::ostream& mErr;
  std::map<const CForm*, SOpen> mOpen;
};

}  // namespace ksv940
