#include "app/console/CPausingView.h"

namespace ksv940 {

CPausingView::CPausingView(std::shared_ptr<IFormView> pView, std::shared_ptr<IMessageBox> pBox,
                           std::function<void(bool fShowing)> fnShowing)
    : mpView(std::move(pView)), mpBox(std::move(pBox)), mfnShowing(std::move(fnShowing)) {}

void CPausingView::FormShown(CForm& frm) {
  mfnShowing(true);
  try {
    mpView->FormShown(frm);
  } catch (...) {
    // The form is not shown after all.
    mfnShowing(false);
    throw;
  }
}

void CPausingView::FormChanged(CForm& frm, const CControl* pControl) {
  mpView->FormChanged(frm, pControl);
}

void CPausingView::FormHidden(CForm& frm) {
  mpView->FormHidden(frm);
  mfnShowing(false);
}

void CPausingView::Show(const std::string& sText, const std::string& sTitle, bool fExclamation) {
  mfnShowing(true);
  try {
    mpBox->Show(sText, sTitle, fExclamation);
  } catch (...) {
    mfnShowing(false);
    throw;
  }
  mfnShowing(false);
}

}  // namespace ksv940
