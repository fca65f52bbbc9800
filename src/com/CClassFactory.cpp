#include "com/CClassFactory.h"

#include "com/MComSupport.h"

namespace ksv940 {

CClassFactory::CClassFactory(FCreate fnCreate) : mfnCreate(fnCreate) {
  LockModule();
}

CClassFactory::~CClassFactory() {
  UnlockModule();
}

STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** ppObject) {
  if (ppObject == nullptr) {
    return E_POINTER;
  }
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
    *ppObject = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *ppObject = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&mlRefs));
}

STDMETHODIMP_(ULONG) CClassFactory::Release() {
  LONG lRefs = InterlockedDecrement(&mlRefs);
  if (lRefs == 0) {
    delete this;
  }
  return static_cast<ULONG>(lRefs);
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* pOuter, REFIID riid, void** ppObject) {
  if (ppObject == nullptr) {
    return E_POINTER;
  }
  *ppObject = nullptr;
  if (pOuter != nullptr) {
    return CLASS_E_NOAGGREGATION;
  }
  IUnknown* pObject = nullptr;
  HRESULT hr = ComCall(IID_IUnknown, [&] { pObject = mfnCreate(); });
  if (FAILED(hr)) {
    return hr;
  }
  return HandOut(pObject, riid, ppObject);
}

STDMETHODIMP CClassFactory::LockServer(BOOL fLock) {
  if (fLock) {
    LockModule();
  } else {
    UnlockModule();
  }
  return S_OK;
}

}  // namespace ksv940
