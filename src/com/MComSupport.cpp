#include "com/MComSupport.h"

#include "com/MHostClasses.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/core/Win32PumpPlatform.h"
#include "platform/core/Win32Text.h"

namespace ksv940 {

namespace {

thread_local int giCallDepth = 0;
volatile LONG glModuleLocks = 0;

}  // namespace

BSTR ToBstr(const std::string& sText) {
  std::wstring sWide = WideText(sText);
  return SysAllocStringLen(sWide.data(), static_cast<UINT>(sWide.size()));
}

std::string FromBstr(BSTR bstrText) {
  return bstrText == nullptr ? std::string() : NarrowText(bstrText, SysStringLen(bstrText));
}

void ToVariant(const CVariant& vValue, VARIANT* pResult) {
  VariantInit(pResult);
  if (vValue.IsEmpty()) {
    return;
  }
  if (vValue.IsText()) {
    V_VT(pResult) = VT_BSTR;
    V_BSTR(pResult) = ToBstr(vValue.ToText());
    return;
  }
  V_VT(pResult) = VT_R8;
  V_R8(pResult) = std::stod(vValue.ToText());
  VariantChangeType(pResult, pResult, 0, VT_I4);
}

HRESULT ResultOf(int32_t lNumber) {
  if (lNumber > 0 && lNumber < 0x10000) {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, lNumber);
  }
  if (lNumber >= 0) {
    return E_FAIL;
  }
  return static_cast<HRESULT>(lNumber);
}

HRESULT ReportToHost(const CAutomationError& errFailure, const IID& iid) {
  ICreateErrorInfo* pCreate = nullptr;
  if (SUCCEEDED(CreateErrorInfo(&pCreate))) {
    std::wstring sSource = WideText(errFailure.Source());
    std::wstring sDescription = WideText(errFailure.Description());
    pCreate->SetGUID(iid);
    pCreate->SetSource(sSource.data());
    pCreate->SetDescription(sDescription.data());
    IErrorInfo* pInfo = nullptr;
    if (SUCCEEDED(pCreate->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&pInfo)))) {
      SetErrorInfo(0, pInfo);
      pInfo->Release();
    }
    pCreate->Release();
  }
  return ResultOf(errFailure.Number());
}

CAutomationError FailureOf(HRESULT hr, const EXCEPINFO* pInfo) {
  std::string sSource;
  std::string sDescription;
  HRESULT hrNumber = hr;
  if (pInfo != nullptr) {
    sSource = FromBstr(pInfo->bstrSource);
    sDescription = FromBstr(pInfo->bstrDescription);
    hrNumber = pInfo->scode != 0 ? pInfo->scode : (pInfo->wCode != 0 ? pInfo->wCode : hr);
  }
  if (HRESULT_FACILITY(hrNumber) == FACILITY_CONTROL) {
    hrNumber = HRESULT_CODE(hrNumber);
  }
  if (sDescription.empty()) {
    sDescription = "Automation error " + std::to_string(static_cast<int32_t>(hrNumber));
  }
  return CAutomationError(static_cast<int32_t>(hrNumber), sSource, sDescription);
}

CComCallScope::CComCallScope() {
  if (giCallDepth++ == 0) {
    InstallHostClasses();
  }
}

CComCallScope::~CComCallScope() {
  if (--giCallDepth == 0) {
    CWin32PumpPlatform::Of(CContext::Get<CMessagePump>()).RepostQuit();
  }
}

void LockModule() {
  InterlockedIncrement(&glModuleLocks);
}

void UnlockModule() {
  InterlockedDecrement(&glModuleLocks);
}

LONG ModuleLocks() {
  return glModuleLocks;
}

}  // namespace ksv940
