#pragma once

#include <memory>

#include <OrvexKSV940vti.h>  // generated from OrvexKSV940vti.idl
#include "com/CDispatchObject.h"

namespace ksv940 {

class CKsvMlcQuery;

/// The discovery query as the host creates it. Through the host's interface IOrvexMLCQuery,
/// QueryMTI answers the MtiQueryResult record; a late-bound client, which cannot receive a
/// record, uses the default interface _CKsvMlcQuery, whose QueryMTI answers the record's Result
/// and leaves the serial number and firmware in SerialNo and FWVersion.
class CComMlcQuery : public CDispatchObject<_CKsvMlcQuery, &IID__CKsvMlcQuery> {
 public:
  CComMlcQuery();

  STDMETHODIMP get_FWVersion(BSTR* pValue) override;
  STDMETHODIMP get_MtiType(BSTR* pValue) override;
  STDMETHODIMP get_SerialNo(BSTR* pValue) override;
  STDMETHODIMP QueryMTI(LONG iPort, LONG* pResult) override;

 protected:
  void* QueryOther(REFIID riid) override;
  bool SupportsOther(REFIID riid) override;

 private:
  /// The host's interface, sharing the object's count.
  class CHostInterface : public ::IOrvexMLCQuery {
   public:
    explicit CHostInterface(CComMlcQuery& outer) : mOuter(outer) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppObject) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* pCount) override;
    STDMETHODIMP GetTypeInfo(UINT uIndex, LCID lcid, ITypeInfo** ppInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                               DISPID* rgDispId) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                        DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                        UINT* puArgErr) override;
    STDMETHODIMP get_FWVersion(BSTR* pValue) override { return mOuter.get_FWVersion(pValue); }
    STDMETHODIMP get_MtiType(BSTR* pValue) override { return mOuter.get_MtiType(pValue); }
    STDMETHODIMP get_SerialNo(BSTR* pValue) override { return mOuter.get_SerialNo(pValue); }
    STDMETHODIMP QueryMTI(LONG iPort, ::MtiQueryResult* pResult) override;

   private:
    CComMlcQuery& mOuter;
  };

  ksv940::CKsvMlcQuery& Query() const;

  CHostInterface mHostInterface;
};

}  // namespace ksv940
