#pragma once

#include <functional>
#include <memory>

#include "platform/forms/IFormView.h"

namespace ksv940 {

/// Shows forms and message boxes through the views it is given, and says when one appears and
/// when it has gone, so that a progress line on the same terminal can make way for it.
class CPausingView : public IFormView {
 public:
  /// fnShowing(true) before a form or message box is shown, fnShowing(false) after it has gone.
  CPausingView(std::shared_ptr<IFormView> pView, std::shared_ptr<IMessageBox> pBox,
               std::function<void(bool fShowing)> fnShowing);

  void FormShown(CForm& frm) override;
  void FormChanged(CForm& frm, const CControl* pControl) override;
  void FormHidden(CForm& frm) override;
  void Show(const std::string& sText, const std::string& sTitle, bool fExclamation) override;

 private:
  std::shared_ptr<IFormView> mpView;
  std::shared_ptr<IMessageBox> mpBox;
  std::function<void(bool)> mfnShowing;
};

}  // namespace ksv940
