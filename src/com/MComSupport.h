#pragma once

#include <oaidl.h>
#include <windows.h>

#include <memory>
#include <string>

#include "platform/automation/CVariant.h"
#include "platform/core/CAutomationError.h"

namespace ksv940 {

/// A BSTR the caller owns, made from a UTF-8 text.
BSTR ToBstr(const std::string& sText);
/// The text of a BSTR (null is empty), as UTF-8.
std::string FromBstr(BSTR bstrText);
/// A VARIANT_BOOL: -1 for true, 0 for false.
inline VARIANT_BOOL ToVariantBool(bool fValue) {
  return fValue ? VARIANT_TRUE : VARIANT_FALSE;
}
/// A CVariant as an automation VARIANT (empty, a 32-bit number, a double or a text).
void ToVariant(const CVariant& vValue, VARIANT* pResult);

/// The HRESULT a failure reaches the host with: the component's numbers (negative) as they are;
/// the run-time library's small numbers as control errors (0x800A0000 + number), which an
/// automation host reads back as the same number.
HRESULT ResultOf(int32_t lNumber);

/// Leaves errFailure for the caller as the thread's error object (number, source, description,
/// and the interface iid) and answers the HRESULT to return.
HRESULT ReportToHost(const CAutomationError& errFailure, const IID& iid);

/// The failure an automation call answered: the error object's source and description, and the
/// number a host reads (a control error's own number, any other HRESULT as it is).
CAutomationError FailureOf(HRESULT hr, const EXCEPINFO* pInfo);

/// Runs one call of the host into the component on the host's thread: the thread's component
/// classes are installed on its first call, a failure becomes an error object, and a WM_QUIT the
/// host posted while the component waited is posted again when the outermost call returns.
template <class F>
HRESULT ComCall(const IID& iid, F&& fnCall) noexcept;

/// Counts the calls of the host that are in progress on this thread.
class CComCallScope {
 public:
  CComCallScope();
  ~CComCallScope();
  CComCallScope(const CComCallScope&) = delete;
  CComCallScope& operator=(const CComCallScope&) = delete;
};

template <class F>
HRESULT ComCall(const IID& iid, F&& fnCall) noexcept {
  try {
    CComCallScope scope;
    fnCall();
    return S_OK;
  } catch (...) {
    return ReportToHost(CAutomationError::FromCurrentException(), iid);
  }
}

/// Keeps the library loaded: objects, class factories' locks.
void LockModule();
void UnlockModule();
LONG ModuleLocks();

/// Hands pObject (made with a count of one) to the caller through ppResult as riid; the object
/// goes when the caller does not take it.
template <class T>
HRESULT HandOut(T* pObject, REFIID riid, void** ppResult) {
  HRESULT hr = pObject->QueryInterface(riid, ppResult);
  pObject->Release();
  return hr;
}

}  // namespace ksv940
