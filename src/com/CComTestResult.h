#pragma once

#include <memory>

#include <OrvexKSV940vti.h>  // generated from OrvexKSV940vti.idl
#include "com/CDispatchObject.h"

namespace ksv940 {

class CKsvTestResult;

/// The host's view of a test result (_CKsvTestResult).
class CComTestResult : public CDispatchObject<_CKsvTestResult, &IID__CKsvTestResult> {
 public:
  explicit CComTestResult(std::shared_ptr<CKsvTestResult> pResult);

  STDMETHODIMP get_Value(float* pValue) override;
  STDMETHODIMP get_ValueUnknown(BSTR* pValue) override;
  STDMETHODIMP get_State(::EKsvTestState* pValue) override;
  STDMETHODIMP get_UnitSuffix(BSTR* pValue) override;

 private:
  CKsvTestResult& Result() const;
};

}  // namespace ksv940
