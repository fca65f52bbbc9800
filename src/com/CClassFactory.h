#pragma once

#include <unknwn.h>
#include <windows.h>

namespace ksv940 {

/// The class factory of one creatable class: makes a new object of it for every CreateInstance,
/// on the caller's thread (the Apartment model), and counts LockServer.
class CClassFactory : public IClassFactory {
 public:
  using FCreate = IUnknown* (*)();

  explicit CClassFactory(FCreate fnCreate);
  virtual ~CClassFactory();
  CClassFactory(const CClassFactory&) = delete;
  CClassFactory& operator=(const CClassFactory&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppObject) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP CreateInstance(IUnknown* pOuter, REFIID riid, void** ppObject) override;
  STDMETHODIMP LockServer(BOOL fLock) override;

 private:
  FCreate mfnCreate;
  volatile LONG mlRefs = 1;
};

}  // namespace ksv940
