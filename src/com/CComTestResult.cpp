#include "com/CComTestResult.h"

#include "model/CKsvTestResult.h"

namespace ksv940 {

CComTestResult::CComTestResult(std::shared_ptr<CKsvTestResult> pResult)
    : CDispatchObject(std::move(pResult)) {}

CKsvTestResult& CComTestResult::Result() const {
  return static_cast<CKsvTestResult&>(*mpNative);
}

STDMETHODIMP CComTestResult::get_Value(float* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { *pValue = Result().Value(); });
}

STDMETHODIMP CComTestResult::get_ValueUnknown(BSTR* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { *pValue = ToBstr(Result().ValueUnknown()); });
}

STDMETHODIMP CComTestResult::get_State(::EKsvTestState* pValue) {
  return pValue == nullptr
             ? E_POINTER
             : Call([&] { *pValue = static_cast<::EKsvTestState>(Result().State()); });
}

STDMETHODIMP CComTestResult::get_UnitSuffix(BSTR* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { *pValue = ToBstr(Result().UnitSuffix()); });
}

}  // namespace ksv940
