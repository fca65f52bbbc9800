#include "platform/forms/CControl.h"

#include "platform/core/CMessagePump.h"
#include "platform/forms/CForm.h"

namespace ksv940 {

CControl::CControl(CForm& frmParent, const SControlDesign& design)
    : mForm(frmParent),
      mDesign(design),
      msName(design.sName),
      msCaption(design.sCaption),
      mfVisible(design.fVisible),
      mfEnabled(design.eckKind != eckTimer) {
  if (design.eckKind == eckTimer) {
    mpTimer = std::make_unique<CPumpTimer>([this] { RunHandler(); });
  }
}

CControl::~CControl() = default;

void CControl::SetCaption(const std::string& sCaption) {
  if (sCaption == msCaption) {
    return;
  }
  msCaption = sCaption;
  mForm.ControlChanged(*this);
}

void CControl::SetVisible(bool fVisible) {
  if (fVisible == mfVisible) {
    return;
  }
  mfVisible = fVisible;
  mForm.ControlChanged(*this);
}

bool CControl::Enabled() const {
  return mpTimer ? mpTimer->Enabled() : mfEnabled;
}

void CControl::SetEnabled(bool fEnabled) {
  if (mpTimer) {
    if (fEnabled) {
      mpTimer->Start(mDesign.lIntervalMs);
    } else {
      mpTimer->Stop();
    }
    return;
  }
  if (fEnabled != mfEnabled) {
    mfEnabled = fEnabled;
    mForm.ControlChanged(*this);
  }
}

const CPicture* CControl::Picture() const {
  return mDesign.fnPicture != nullptr ? &mDesign.fnPicture() : nullptr;
}

void CControl::RunHandler() {
  if (mfnHandler) {
    // A copy: the handler may replace itself or unload the form.
    std::function<void()> fnHandler = mfnHandler;
    fnHandler();
  }
}

void CControl::ResetToDesign() {
  if (mpTimer) {
    mpTimer->Stop();
  }
  msCaption = mDesign.sCaption;
  mfVisible = mDesign.fVisible;
  mfEnabled = mDesign.eckKind != eckTimer;
}

}  // namespace ksv940
