#include "com/CComSafetyTest.h"

#include "com/CDispatchXmlDocument.h"
#include "com/CDispatchXmlElement.h"
#include "model/CKsvSafetyTest.h"
#include "platform/core/MRuntime.h"

namespace ksv940 {

namespace {

void OptionalText(const std::optional<std::string>& sText, VARIANT* pValue) {
  VariantInit(pValue);
  if (sText.has_value()) {
    V_VT(pValue) = VT_BSTR;
    V_BSTR(pValue) = ToBstr(*sText);
  }
}

}  // namespace

CComSafetyTest::CComSafetyTest(std::shared_ptr<CKsvSafetyTest> pTest)
    : CDispatchObject(std::move(pTest)) {}

CKsvSafetyTest& CComSafetyTest::Test() const {
  return static_cast<CKsvSafetyTest&>(*mpNative);
}

STDMETHODIMP CComSafetyTest::get_TestCode(::EKsvTestCode* pValue) {
  return pValue == nullptr
             ? E_POINTER
             : Call([&] { *pValue = static_cast<::EKsvTestCode>(Test().TestCode()); });
}

STDMETHODIMP CComSafetyTest::get_PowerConfig(::EKsvPowerConfiguration* pValue) {
  return pValue == nullptr
             ? E_POINTER
             : Call([&] { *pValue = static_cast<::EKsvPowerConfiguration>(Test().PowerConfig()); });
}

STDMETHODIMP CComSafetyTest::get_Phase(::EKsvPowerPhase* pValue) {
  return pValue == nullptr ? E_POINTER
                           : Call([&] { *pValue = static_cast<::EKsvPowerPhase>(Test().Phase()); });
}

STDMETHODIMP CComSafetyTest::get_LeadNo(short* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { *pValue = Test().LeadNo(); });
}

STDMETHODIMP CComSafetyTest::put_LeadNo(short value) {
  return Call([&] { Test().SetLeadNo(value); });
}

STDMETHODIMP CComSafetyTest::get_AP(BSTR* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { *pValue = ToBstr(Test().AP()); });
}

STDMETHODIMP CComSafetyTest::put_AP(BSTR value) {
  return Call([&] { Test().SetAP(FromBstr(value)); });
}

STDMETHODIMP CComSafetyTest::get_NAP(BSTR* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { *pValue = ToBstr(Test().NAP()); });
}

STDMETHODIMP CComSafetyTest::put_NAP(BSTR value) {
  return Call([&] { Test().SetNAP(FromBstr(value)); });
}

STDMETHODIMP CComSafetyTest::get_Unit(VARIANT* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { OptionalText(Test().Unit(), pValue); });
}

STDMETHODIMP CComSafetyTest::get_ValueFormat(VARIANT* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { OptionalText(Test().ValueFormat(), pValue); });
}

STDMETHODIMP CComSafetyTest::get_IsLeadTest(VARIANT_BOOL* pValue) {
  return pValue == nullptr ? E_POINTER
                           : Call([&] { *pValue = ToVariantBool(Test().IsLeadTest()); });
}

STDMETHODIMP CComSafetyTest::Initialize(::EKsvTestCode etc, ::EKsvPowerConfiguration epc) {
  return Call([&] { Test().Initialize(etc, epc); });
}

STDMETHODIMP CComSafetyTest::Load(IDispatch* ixeIn) {
  return Call([&] {
    CDispatchXmlElement element(ixeIn);  // Nothing raises "object not set"
    Test().Load(element);
  });
}

STDMETHODIMP CComSafetyTest::Save(IDispatch* ixdDoc, IDispatch** pElement) {
  if (pElement == nullptr) {
    return E_POINTER;
  }
  *pElement = nullptr;
  return Call([&] {
    CDispatchXmlDocument document(ixdDoc);  // Nothing raises "object not set"
    std::shared_ptr<IOrvexXmlElement> pSaved = Test().Save(document);
    *pElement = CDispatchXmlElement::DispatchOf(pSaved.get());
  });
}

}  // namespace ksv940
