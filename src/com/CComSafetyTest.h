#pragma once

#include <memory>

#include <OrvexKSV940vti.h>  // generated from OrvexKSV940vti.idl
#include "com/CDispatchObject.h"

namespace ksv940 {

class CKsvSafetyTest;

/// The host's view of one safety test (_CKsvSafetyTest). Load and Save take the host's XML element
/// and document as dispatch objects and call their members by name.
class CComSafetyTest : public CDispatchObject<_CKsvSafetyTest, &IID__CKsvSafetyTest> {
 public:
  explicit CComSafetyTest(std::shared_ptr<CKsvSafetyTest> pTest);

  STDMETHODIMP get_TestCode(::EKsvTestCode* pValue) override;
  STDMETHODIMP get_PowerConfig(::EKsvPowerConfiguration* pValue) override;
  STDMETHODIMP get_Phase(::EKsvPowerPhase* pValue) override;
  STDMETHODIMP get_LeadNo(short* pValue) override;
  STDMETHODIMP put_LeadNo(short value) override;
  STDMETHODIMP get_AP(BSTR* pValue) override;
  STDMETHODIMP put_AP(BSTR value) override;
  STDMETHODIMP get_NAP(BSTR* pValue) override;
  STDMETHODIMP put_NAP(BSTR value) override;
  STDMETHODIMP get_Unit(VARIANT* pValue) override;
  STDMETHODIMP get_ValueFormat(VARIANT* pValue) override;
  STDMETHODIMP get_IsLeadTest(VARIANT_BOOL* pValue) override;
  STDMETHODIMP Initialize(::EKsvTestCode etc, ::EKsvPowerConfiguration epc) override;
  STDMETHODIMP Load(IDispatch* ixeIn) override;
  STDMETHODIMP Save(IDispatch* ixdDoc, IDispatch** pElement) override;

 private:
  CKsvSafetyTest& Test() const;
};

}  // namespace ksv940
