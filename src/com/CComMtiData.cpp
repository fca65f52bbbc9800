#include "com/CComMtiData.h"

#include "com/CDispatchMtiData.h"
#include "hostapi/IOrvexMtiData.h"

namespace ksv940 {

CComMtiData::CComMtiData(std::shared_ptr<ksv940::IOrvexMtiData> pData)
    : CDispatchObject(std::move(pData)) {}

IDispatch* CComMtiData::DispatchOf(const std::shared_ptr<ksv940::IOrvexMtiData>& pData) {
  if (!pData) {
    return nullptr;
  }
  if (auto* pHosts = dynamic_cast<CDispatchMtiData*>(pData.get()); pHosts != nullptr) {
    pHosts->Object()->AddRef();
    return pHosts->Object();
  }
  return static_cast<::IOrvexMtiData*>(new CComMtiData(pData));
}

ksv940::IOrvexMtiData& CComMtiData::Data() const {
  return dynamic_cast<ksv940::IOrvexMtiData&>(*mpNative);
}

STDMETHODIMP CComMtiData::SetInstrumentType(BSTR sType, LONG lFlags) {
  return Call([&] { Data().SetInstrumentType(FromBstr(sType), lFlags); });
}

STDMETHODIMP CComMtiData::SetIdentity(BSTR sModel, BSTR sSerialNumber, BSTR sFirmwareVersion) {
  return Call([&] {
    Data().SetIdentity(FromBstr(sModel), FromBstr(sSerialNumber), FromBstr(sFirmwareVersion));
  });
}

STDMETHODIMP CComMtiData::get_InstrumentType(BSTR* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { *pValue = ToBstr(Data().InstrumentType()); });
}

STDMETHODIMP CComMtiData::get_Model(BSTR* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { *pValue = ToBstr(Data().Model()); });
}

STDMETHODIMP CComMtiData::get_SerialNumber(BSTR* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { *pValue = ToBstr(Data().SerialNumber()); });
}

STDMETHODIMP CComMtiData::get_FirmwareVersion(BSTR* pValue) {
  return pValue == nullptr ? E_POINTER : Call([&] { *pValue = ToBstr(Data().FirmwareVersion()); });
}

}  // namespace ksv940
