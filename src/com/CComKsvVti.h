#pragma once

#include <memory>

#include <OrvexKSV940vti.h>  // generated from OrvexKSV940vti.idl
#include "com/CDispatchObject.h"

namespace ksv940 {

class CKsvVti;
class CKsvTestResult;

/// The plug-in object as the host creates it (_CKsvVti). testOptions answers the same options
/// object every time; TestResult a view of the current result, the same one until the plug-in
/// makes a new result. The test-guide window may be Nothing: the dialogs then have no owner.
class CComKsvVti : public CDispatchObject<_CKsvVti, &IID__CKsvVti> {
 public:
  CComKsvVti();
  ~CComKsvVti() override;

  STDMETHODIMP get_State(::EKsvVtiState* pValue) override;
  STDMETHODIMP get_MtiData(IDispatch** pValue) override;
  STDMETHODIMP get_testOptions(_CKsvTestOptions** pValue) override;
  STDMETHODIMP get_TestResult(_CKsvTestResult** pValue) override;
  STDMETHODIMP Abort() override;
  STDMETHODIMP InitRemote(short iPort) override;
  STDMETHODIMP EndRemote(IDispatch* frmTestGuide) override;
  STDMETHODIMP InHighVoltageMode(VARIANT_BOOL* pValue) override;
  STDMETHODIMP Calibrate(VARIANT_BOOL* pValue) override;
  STDMETHODIMP RunSafetyTest(_CKsvSafetyTest* cetTest, IDispatch* frmTestGuide) override;
  STDMETHODIMP FlagAbort(VARIANT_BOOL* pValue) override;
  STDMETHODIMP ChkCmdAppPODelay(BSTR sCommandName, VARIANT_BOOL* pValue) override;
  STDMETHODIMP put_StopFlagForAPScreen(VARIANT_BOOL fFlag) override;

 private:
  CKsvVti& Vti() const;

  _CKsvTestOptions* mpOptions = nullptr;
  _CKsvTestResult* mpResult = nullptr;
  std::shared_ptr<CKsvTestResult> mpResultShown;
};

}  // namespace ksv940
