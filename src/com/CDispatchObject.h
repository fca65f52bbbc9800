#pragma once

#include <oaidl.h>
#include <windows.h>

#include <memory>

#include "com/MComSupport.h"
#include "com/MTypeLibrary.h"
#include "platform/automation/IAutomationObject.h"

namespace ksv940 {

/// The component's own objects as the automation layer hands them to a host: what this library
/// made (the native object behind a dispatch interface). Asked for with IID_IKsvNative.
struct IKsvNative : public IUnknown {
  virtual std::shared_ptr<IAutomationObject> STDMETHODCALLTYPE Native() = 0;
};
extern const IID IID_IKsvNative;

/// The native object behind pObject when it is one of this library's objects; nullptr otherwise.
std::shared_ptr<IAutomationObject> NativeOf(IUnknown* pObject);

/// One automation object of the component: reference counting, IDispatch through the embedded
/// type library (names, argument coercion and error objects as every automation host expects),
/// ISupportErrorInfo, and the native object it stands for. TInterface is its default dual
/// interface, kIid that interface's id; derived classes implement the interface's members, each
/// through ComCall. The object keeps the library loaded while it lives.
template <class TInterface, const IID* kIid>
class CDispatchObject : public TInterface, public ISupportErrorInfo, public IKsvNative {
 public:
  explicit CDispatchObject(std::shared_ptr<IAutomationObject> pNative)
      : mpNative(std::move(pNative)) {
    LockModule();
  }
  virtual ~CDispatchObject() { UnlockModule(); }
  CDispatchObject(const CDispatchObject&) = delete;
  CDispatchObject& operator=(const CDispatchObject&) = delete;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppObject) override {
    if (ppObject == nullptr) {
      return E_POINTER;
    }
    *ppObject = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, *kIid)) {
      *ppObject = static_cast<TInterface*>(this);
    } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
      *ppObject = static_cast<ISupportErrorInfo*>(this);
    } else if (IsEqualIID(riid, IID_IKsvNative)) {
      *ppObject = static_cast<IKsvNative*>(this);
    } else if (void* pOther = QueryOther(riid); pOther != nullptr) {
      *ppObject = pOther;
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&mlRefs));
  }
  STDMETHODIMP_(ULONG) Release() override {
    LONG lRefs = InterlockedDecrement(&mlRefs);
    if (lRefs == 0) {
      delete this;
    }
    return static_cast<ULONG>(lRefs);
  }

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* pCount) override {
    if (pCount == nullptr) {
      return E_POINTER;
    }
    *pCount = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT uIndex, LCID /*lcid*/, ITypeInfo** ppInfo) override {
    if (ppInfo == nullptr) {
      return E_POINTER;
    }
    *ppInfo = nullptr;
    if (uIndex != 0) {
      return DISP_E_BADINDEX;
    }
    ITypeInfo* pInfo = ComponentTypeInfo(*kIid);
    if (pInfo == nullptr) {
      return TYPE_E_ELEMENTNOTFOUND;
    }
    pInfo->AddRef();
    *ppInfo = pInfo;
    return S_OK;
  }
  STDMETHODIMP GetIDsOfNames(REFIID /*riid*/, LPOLESTR* rgszNames, UINT cNames, LCID /*lcid*/,
                             DISPID* rgDispId) override {
    ITypeInfo* pInfo = ComponentTypeInfo(*kIid);
    return pInfo == nullptr ? E_UNEXPECTED : pInfo->GetIDsOfNames(rgszNames, cNames, rgDispId);
  }
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID /*riid*/, LCID /*lcid*/, WORD wFlags,
                      DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                      UINT* puArgErr) override {
    ITypeInfo* pInfo = ComponentTypeInfo(*kIid);
    if (pInfo == nullptr) {
      return E_UNEXPECTED;
    }
    return pInfo->Invoke(static_cast<TInterface*>(this), dispIdMember, wFlags, pDispParams,
                         pVarResult, pExcepInfo, puArgErr);
  }

  // ISupportErrorInfo
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
    return IsEqualIID(riid, *kIid) || SupportsOther(riid) ? S_OK : S_FALSE;
  }

  // IKsvNative
  std::shared_ptr<IAutomationObject> STDMETHODCALLTYPE Native() override { return mpNative; }

 protected:
  /// Further interfaces of the object (a second dual interface), or nullptr.
  virtual void* QueryOther(REFIID /*riid*/) { return nullptr; }
  virtual bool SupportsOther(REFIID /*riid*/) { return false; }

  template <class F>
  HRESULT Call(F&& fnCall) {
    return ComCall(*kIid, std::forward<F>(fnCall));
  }
  /// Call for a member that waits: the host may release its last reference from inside the wait
  /// (a handler of its own), so the object holds one of its own until the member returns.
  template <class F>
  HRESULT CallHeld(F&& fnCall) {
    AddRef();
    HRESULT hr = Call(std::forward<F>(fnCall));
    Release();
    return hr;
  }

  std::shared_ptr<IAutomationObject> mpNative;

 private:
  volatile LONG mlRefs = 1;
};

}  // namespace ksv940
