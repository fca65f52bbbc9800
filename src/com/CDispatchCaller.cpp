#include "com/CDispatchCaller.h"

#include <dispex.h>

#include "com/MComSupport.h"
#include "platform/core/MRuntime.h"

namespace ksv940 {

namespace {

// Object variable not set (91): an object argument that is Nothing.
[[noreturn]] void RaiseObjectNotSet() {
  throw CAutomationError(91, kComponentName, "Object variable or With block variable not set");
}

// vValue (which it clears) as the type vt, as the host's language converts a value it is given;
// a value that does not convert is the run-time type mismatch (overflow for too large a number).
VARIANT Converted(VARIANT vValue, VARTYPE vt) {
  VARIANT vConverted;
  VariantInit(&vConverted);
  HRESULT hr = VariantChangeType(&vConverted, &vValue, 0, vt);
  VariantClear(&vValue);
  if (FAILED(hr)) {
    RaiseRuntimeError(hr == DISP_E_OVERFLOW ? erOverflow : erTypeMismatch);
  }
  return vConverted;
}

// IDispatchEx's id, which the MinGW libraries do not carry.
const IID kIidDispatchEx = {
    0xa6ef9860, 0xc720, 0x11d0, {0x93, 0x37, 0x00, 0xa0, 0xc9, 0x0d, 0xca, 0xa9}};

// The member's id, by name in any letter case. Script objects that answer names only through
// IDispatchEx (a script's own class instances) are asked that way.
bool MemberId(IDispatch* pObject, const std::wstring& sName, DISPID& id) {
  LPOLESTR szName = const_cast<LPOLESTR>(sName.c_str());
  if (SUCCEEDED(pObject->GetIDsOfNames(IID_NULL, &szName, 1, LOCALE_USER_DEFAULT, &id))) {
    return true;
  }
  IDispatchEx* pEx = nullptr;
  if (FAILED(pObject->QueryInterface(kIidDispatchEx, reinterpret_cast<void**>(&pEx))) ||
      pEx == nullptr) {
    return false;
  }
  BSTR bstrName = SysAllocString(sName.c_str());
  HRESULT hr = pEx->GetDispID(bstrName, fdexNameCaseInsensitive, &id);
  SysFreeString(bstrName);
  pEx->Release();
  return SUCCEEDED(hr);
}

}  // namespace

CDispatchCaller::CDispatchCaller(IDispatch* pObject) : mpObject(pObject) {
  if (mpObject == nullptr) {
    RaiseObjectNotSet();
  }
  mpObject->AddRef();
}

CDispatchCaller::CDispatchCaller(const CDispatchCaller& other) : mpObject(other.mpObject) {
  mpObject->AddRef();
}

CDispatchCaller::~CDispatchCaller() {
  mpObject->Release();
}

bool CDispatchCaller::Has(const std::wstring& sName) const {
  DISPID id = 0;
  return MemberId(mpObject, sName, id);
}

VARIANT CDispatchCaller::Invoke(const std::wstring& sName, WORD wFlags,
                                std::vector<VARIANT>& vArgs) const {
  DISPID id = 0;
  if (!MemberId(mpObject, sName, id)) {
    RaiseRuntimeError(erNoSuchMember);
  }
  // Automation passes arguments last first.
  std::vector<VARIANT> vReversed(vArgs.rbegin(), vArgs.rend());
  DISPPARAMS params{};
  params.rgvarg = vReversed.empty() ? nullptr : vReversed.data();
  params.cArgs = static_cast<UINT>(vReversed.size());
  DISPID idNamed = DISPID_PROPERTYPUT;
  if (wFlags == DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &idNamed;
    params.cNamedArgs = 1;
  }
  VARIANT vResult;
  VariantInit(&vResult);
  EXCEPINFO info{};
  UINT uArgError = 0;
  HRESULT hr =
      mpObject->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params,
                       wFlags == DISPATCH_PROPERTYPUT ? nullptr : &vResult, &info, &uArgError);
  for (VARIANT& vArg : vArgs) {
    VariantClear(&vArg);
  }
  if (FAILED(hr)) {
    if (hr == DISP_E_EXCEPTION && info.pfnDeferredFillIn != nullptr) {
      info.pfnDeferredFillIn(&info);
    }
    CAutomationError errFailure = FailureOf(hr, hr == DISP_E_EXCEPTION ? &info : nullptr);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    throw errFailure;
  }
  return vResult;
}

VARIANT CDispatchCaller::Call(const std::wstring& sName, std::vector<VARIANT> vArgs) const {
  return Invoke(sName, DISPATCH_METHOD | DISPATCH_PROPERTYGET, vArgs);
}

VARIANT CDispatchCaller::Get(const std::wstring& sName) const {
  std::vector<VARIANT> vNone;
  return Invoke(sName, DISPATCH_PROPERTYGET, vNone);
}

void CDispatchCaller::Put(const std::wstring& sName, VARIANT vValue) const {
  std::vector<VARIANT> vArgs{vValue};
  VARIANT vResult = Invoke(sName, DISPATCH_PROPERTYPUT, vArgs);
  VariantClear(&vResult);
}

std::string CDispatchCaller::Text(VARIANT vValue) {
  VARIANT vText = Converted(vValue, VT_BSTR);
  std::string sText = FromBstr(V_BSTR(&vText));
  VariantClear(&vText);
  return sText;
}

bool CDispatchCaller::Boolean(VARIANT vValue) {
  VARIANT vBool = Converted(vValue, VT_BOOL);
  return V_BOOL(&vBool) != VARIANT_FALSE;
}

int32_t CDispatchCaller::Number(VARIANT vValue) {
  VARIANT vNumber = Converted(vValue, VT_I4);
  return V_I4(&vNumber);
}

VARIANT CDispatchCaller::TextArg(const std::string& sText) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = ToBstr(sText);
  return v;
}

VARIANT CDispatchCaller::IntArg(int32_t lValue, VARTYPE vt) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = lValue;
  if (vt != VT_I4) {
    VariantChangeType(&v, &v, 0, vt);
  }
  return v;
}

}  // namespace ksv940
