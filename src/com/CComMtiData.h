#pragma once

#include <memory>

#include <OrvexKSV940vti.h>  // generated from OrvexKSV940vti.idl
#include "com/CDispatchObject.h"

namespace ksv940 {

class IOrvexMtiData;

/// The built-in MTI data object as the host reads it (IOrvexMtiData of our type library).
class CComMtiData : public CDispatchObject<::IOrvexMtiData, &IID_IOrvexMtiData> {
 public:
  explicit CComMtiData(std::shared_ptr<ksv940::IOrvexMtiData> pData);

  /// The dispatch object the host receives for pData: the host's own object when the plug-in made
  /// it from the host's class, else a new view of the built-in one; nullptr for none.
  static IDispatch* DispatchOf(const std::shared_ptr<ksv940::IOrvexMtiData>& pData);

  STDMETHODIMP SetInstrumentType(BSTR sType, LONG lFlags) override;
  STDMETHODIMP SetIdentity(BSTR sModel, BSTR sSerialNumber, BSTR sFirmwareVersion) override;
  STDMETHODIMP get_InstrumentType(BSTR* pValue) override;
  STDMETHODIMP get_Model(BSTR* pValue) override;
  STDMETHODIMP get_SerialNumber(BSTR* pValue) override;
  STDMETHODIMP get_FirmwareVersion(BSTR* pValue) override;

 private:
  ksv940::IOrvexMtiData& Data() const;
};

}  // namespace ksv940
