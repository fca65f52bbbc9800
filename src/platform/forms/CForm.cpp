#include "platform/forms/CForm.h"

#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/forms/IFormView.h"

namespace ksv940 {

namespace {
constexpr int32_t kErrFormAlreadyShown = 400;
constexpr int32_t kErrControlNotFound = 730;
}  // namespace

CForm::CForm(const SFormDesign& design)
    : msName(design.sName),
      msDesignCaption(design.sCaption),
      msCaption(design.sCaption),
      mlClientWidth(design.lClientWidth),
      mlClientHeight(design.lClientHeight) {
  mvControls.reserve(design.vControls.size());
  for (const SControlDesign& ctl : design.vControls) {
    mvControls.push_back(std::make_unique<CControl>(*this, ctl));
  }
}

CForm::~CForm() {
  Hide();
}

void CForm::SetCaption(const std::string& sCaption) {
  msCaption = sCaption;
  if (mfVisible && mpView) {
    mpView->FormChanged(*this, nullptr);
  }
}

void CForm::Load() {
  if (mfLoaded) {
    return;
  }
  mfLoaded = true;
  Form_Load();
}

void CForm::Unload() {
  Hide();
  for (auto& pControl : mvControls) {
    pControl->ResetToDesign();
  }
  msCaption = msDesignCaption;
  mfTopmost = false;
  mfLoaded = false;
}

CControl& CForm::Control(const std::string& sName) {
  Load();
  for (auto& pControl : mvControls) {
    if (pControl->Name() == sName) {
      return *pControl;
    }
  }
  throw CAutomationError(kErrControlNotFound, kComponentName, "Control '" + sName + "' not found");
}

void CForm::SetHandler(const std::string& sControl, std::function<void()> fnHandler) {
  for (auto& pControl : mvControls) {
    if (pControl->Name() == sControl) {
      pControl->SetHandler(std::move(fnHandler));
      return;
    }
  }
  throw CAutomationError(kErrControlNotFound, kComponentName,
                         "Control '" + sControl + "' not found");
}

CControlList CForm::Controls() {
  Load();
  CControlList controls;
  controls.reserve(mvControls.size());
  for (auto& pControl : mvControls) {
    controls.push_back(pControl.get());
  }
  return controls;
}

void CForm::ShowModal(IWindow* pOwner) {
  Load();
  if (mfVisible) {
    throw CAutomationError(kErrFormAlreadyShown, kComponentName,
                           "Form already displayed; can't show modally");
  }
  std::shared_ptr<CMessagePump> pPump = CContext::Share<CMessagePump>();
  mpView = CContext::Share<IFormView>();
  mpOwner = pOwner;
  mfVisible = true;
  try {
    mpView->FormShown(*this);
    while (mfVisible) {
      pPump->ProcessMessages();
    }
  } catch (...) {
    Hide();
    throw;
  }
}

void CForm::Hide() {
  if (!mfVisible) {
    return;
  }
  mfVisible = false;
  std::shared_ptr<IFormView> pView = std::move(mpView);
  mpView.reset();
  if (pView) {
    pView->FormHidden(*this);
  }
}

CControl* CForm::ButtonFor(EOperatorAnswer eoa) const {
  if (eoa == eoaNone) {
    return nullptr;
  }
  for (const auto& pControl : mvControls) {
    if (pControl->Kind() == eckButton && pControl->Answer() == eoa && pControl->Visible() &&
        pControl->Enabled()) {
      return pControl.get();
    }
  }
  return nullptr;
}

bool CForm::Offers(EOperatorAnswer eoa) const {
  return ButtonFor(eoa) != nullptr;
}

bool CForm::Click(EOperatorAnswer eoa) {
  CControl* pButton = mfVisible ? ButtonFor(eoa) : nullptr;
  if (pButton == nullptr) {
    return false;
  }
  pButton->RunHandler();
  return true;
}

bool CForm::CountingDown() const {
  for (const auto& pControl : mvControls) {
    if (pControl->Kind() == eckTimer && pControl->Enabled()) {
      return true;
    }
  }
  return false;
}

void CForm::ControlChanged(CControl& ctl) {
  if (mfVisible && mpView) {
    mpView->FormChanged(*this, &ctl);
  }
}

}  // namespace ksv940
