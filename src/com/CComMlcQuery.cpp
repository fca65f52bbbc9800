#include "com/CComMlcQuery.h"

#include "link/CKsvMlcQuery.h"

namespace ksv940 {

CComMlcQuery::CComMlcQuery()
    : CDispatchObject(std::make_shared<ksv940::CKsvMlcQuery>()), mHostInterface(*this) {}

ksv940::CKsvMlcQuery& CComMlcQuery::Query() const {
  return dynamic_cast<ksv940::CKsvMlcQuery&>(*mpNative);
}

void* CComMlcQuery::QueryOther(REFIID riid) {
  return IsEqualIID(riid, IID_IOrvexMLCQuery) ? static_cast<::IOrvexMLCQuery*>(&mHostInterface)
                                              : nullptr;
}

bool CComMlcQuery::SupportsOther(REFIID riid) {
  return IsEqualIID(riid, IID_IOrvexMLCQuery);
}

STDMETHODIMP CComMlcQuery::get_FWVersion(BSTR* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { *pValue = ToBstr(Query().FWVersion()); });
}

STDMETHODIMP CComMlcQuery::get_MtiType(BSTR* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { *pValue = ToBstr(Query().MtiType()); });
}

STDMETHODIMP CComMlcQuery::get_SerialNo(BSTR* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { *pValue = ToBstr(Query().SerialNo()); });
}

STDMETHODIMP CComMlcQuery::QueryMTI(LONG iPort, LONG* pResult) {
  if (pResult == nullptr) {
    return E_POINTER;
  }
  return CallHeld([&] { *pResult = Query().QueryMTI(iPort).Result; });
}

STDMETHODIMP CComMlcQuery::CHostInterface::QueryInterface(REFIID riid, void** ppObject) {
  if (ppObject != nullptr && IsEqualIID(riid, IID_IDispatch)) {
    // The host asked its own interface for IDispatch: this one, with its own type information.
    *ppObject = static_cast<::IOrvexMLCQuery*>(this);
    AddRef();
    return S_OK;
  }
  return mOuter.QueryInterface(riid, ppObject);
}

STDMETHODIMP_(ULONG) CComMlcQuery::CHostInterface::AddRef() {
  return mOuter.AddRef();
}

STDMETHODIMP_(ULONG) CComMlcQuery::CHostInterface::Release() {
  return mOuter.Release();
}

STDMETHODIMP CComMlcQuery::CHostInterface::GetTypeInfoCount(UINT* pCount) {
  return mOuter.GetTypeInfoCount(pCount);
}

STDMETHODIMP CComMlcQuery::CHostInterface::GetTypeInfo(UINT uIndex, LCID /*lcid*/,
                                                       ITypeInfo** ppInfo) {
  if (ppInfo == nullptr) {
    return E_POINTER;
  }
  *ppInfo = nullptr;
  ITypeInfo* pInfo = uIndex == 0 ? ComponentTypeInfo(IID_IOrvexMLCQuery) : nullptr;
  if (pInfo == nullptr) {
    return DISP_E_BADINDEX;
  }
  pInfo->AddRef();
  *ppInfo = pInfo;
  return S_OK;
}

STDMETHODIMP CComMlcQuery::CHostInterface::GetIDsOfNames(REFIID /*riid*/, LPOLESTR* rgszNames,
                                                         UINT cNames, LCID /*lcid*/,
                                                         DISPID* rgDispId) {
  ITypeInfo* pInfo = ComponentTypeInfo(IID_IOrvexMLCQuery);
  return pInfo == nullptr ? E_UNEXPECTED : pInfo->GetIDsOfNames(rgszNames, cNames, rgDispId);
}

STDMETHODIMP CComMlcQuery::CHostInterface::Invoke(DISPID dispIdMember, REFIID /*riid*/,
                                                  LCID /*lcid*/, WORD wFlags,
                                                  DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                                  EXCEPINFO* pExcepInfo, UINT* puArgErr) {
  ITypeInfo* pInfo = ComponentTypeInfo(IID_IOrvexMLCQuery);
  return pInfo == nullptr ? E_UNEXPECTED
                          : pInfo->Invoke(static_cast<::IOrvexMLCQuery*>(this), dispIdMember,
                                          wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
}

STDMETHODIMP CComMlcQuery::CHostInterface::QueryMTI(LONG iPort, ::MtiQueryResult* pResult) {
  if (pResult == nullptr) {
    return E_POINTER;
  }
  AddRef();
  HRESULT hr = ComCall(IID_IOrvexMLCQuery, [&] {
    ksv940::MtiQueryResult record = mOuter.Query().QueryMTI(iPort);
    pResult->Model = ToBstr(record.Model);
    pResult->Serial = ToBstr(record.Serial);
    pResult->Firmware = ToBstr(record.Firmware);
    pResult->Result = record.Result;
  });
  Release();
  return hr;
}

}  // namespace ksv940
