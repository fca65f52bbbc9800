#include "com/CComKsvVti.h"

#include "com/CComMtiData.h"
#include "com/CComTestOptions.h"
#include "com/CComTestResult.h"
#include "com/CDispatchCaller.h"
#include "com/CDispatchWindow.h"
#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestResult.h"
#include "platform/core/MRuntime.h"
#include "plugin/CKsvVti.h"

namespace ksv940 {

namespace {

// The host's window, or none for Nothing.
std::unique_ptr<CDispatchWindow> WindowOf(IDispatch* frmTestGuide) {
  return frmTestGuide == nullptr ? nullptr : std::make_unique<CDispatchWindow>(frmTestGuide);
}

}  // namespace

CComKsvVti::CComKsvVti() : CDispatchObject(std::make_shared<CKsvVti>()) {}

CComKsvVti::~CComKsvVti() {
  if (mpOptions != nullptr) {
    mpOptions->Release();
  }
  if (mpResult != nullptr) {
    mpResult->Release();
  }
}

CKsvVti& CComKsvVti::Vti() const {
  return static_cast<CKsvVti&>(*mpNative);
}

STDMETHODIMP CComKsvVti::get_State(::EKsvVtiState* pValue) {
  return pValue == nullptr ? E_POINTER
                           : Call([&] { *pValue = static_cast<::EKsvVtiState>(Vti().State()); });
}

STDMETHODIMP CComKsvVti::get_MtiData(IDispatch** pValue) {
  if (pValue == nullptr) {
    return E_POINTER;
  }
  *pValue = nullptr;
  return Call([&] { *pValue = CComMtiData::DispatchOf(Vti().MtiData()); });
}

STDMETHODIMP CComKsvVti::get_testOptions(_CKsvTestOptions** pValue) {
  if (pValue == nullptr) {
    return E_POINTER;
  }
  *pValue = nullptr;
  return Call([&] {
    if (mpOptions == nullptr) {
      mpOptions = new CComTestOptions(Vti().testOptions());
    }
    mpOptions->AddRef();
    *pValue = mpOptions;
  });
}

STDMETHODIMP CComKsvVti::get_TestResult(_CKsvTestResult** pValue) {
  if (pValue == nullptr) {
    return E_POINTER;
  }
  *pValue = nullptr;
  return Call([&] {
    std::shared_ptr<CKsvTestResult> pCurrent = Vti().TestResult();
    if (mpResult == nullptr || pCurrent != mpResultShown) {
      if (mpResult != nullptr) {
        mpResult->Release();
      }
      mpResult = new CComTestResult(pCurrent);
      mpResultShown = pCurrent;
    }
    mpResult->AddRef();
    *pValue = mpResult;
  });
}

STDMETHODIMP CComKsvVti::Abort() {
  return Call([&] { Vti().Abort(); });
}

STDMETHODIMP CComKsvVti::InitRemote(short iPort) {
  return CallHeld([&] { Vti().InitRemote(iPort); });
}

STDMETHODIMP CComKsvVti::EndRemote(IDispatch* frmTestGuide) {
  return CallHeld([&] {
    std::unique_ptr<CDispatchWindow> pWindow = WindowOf(frmTestGuide);
    Vti().EndRemote(pWindow.get());
  });
}

STDMETHODIMP CComKsvVti::InHighVoltageMode(VARIANT_BOOL* pValue) {
  if (pValue == nullptr) {
    return E_POINTER;
  }
  return CallHeld([&] { *pValue = ToVariantBool(Vti().InHighVoltageMode()); });
}

STDMETHODIMP CComKsvVti::Calibrate(VARIANT_BOOL* pValue) {
  if (pValue == nullptr) {
    return E_POINTER;
  }
  return CallHeld([&] { *pValue = ToVariantBool(Vti().Calibrate()); });
}

STDMETHODIMP CComKsvVti::RunSafetyTest(_CKsvSafetyTest* cetTest, IDispatch* frmTestGuide) {
  return CallHeld([&] {
    std::shared_ptr<CKsvSafetyTest> pTest;
    if (cetTest != nullptr) {
      // Only this library's tests can be run: another object with the same interface is not one.
      pTest = std::dynamic_pointer_cast<CKsvSafetyTest>(NativeOf(cetTest));
      if (!pTest) {
        RaiseRuntimeError(erTypeMismatch);
      }
    }
    std::unique_ptr<CDispatchWindow> pWindow = WindowOf(frmTestGuide);
    Vti().RunSafetyTest(pTest, pWindow.get());
  });
}

STDMETHODIMP CComKsvVti::FlagAbort(VARIANT_BOOL* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { *pValue = ToVariantBool(Vti().FlagAbort()); });
}

STDMETHODIMP CComKsvVti::ChkCmdAppPODelay(BSTR sCommandName, VARIANT_BOOL* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] {
    *pValue = ToVariantBool(Vti().ChkCmdAppPODelay(FromBstr(sCommandName)));
  });
}

STDMETHODIMP CComKsvVti::put_StopFlagForAPScreen(VARIANT_BOOL fFlag) {
  return Call([&] { Vti().SetStopFlagForAPScreen(fFlag != VARIANT_FALSE); });
}

}  // namespace ksv940
