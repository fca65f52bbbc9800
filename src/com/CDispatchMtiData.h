#pragma once

#include "com/CDispatchCaller.h"
#include "hostapi/IOrvexMtiData.h"

namespace ksv940 {

/// The host's own MTI data object (its class registered under the host's class id), reached by
/// name. Handed to the host as the object it is.
class CDispatchMtiData : public IOrvexMtiData {
 public:
  explicit CDispatchMtiData(IDispatch* pData) : mData(pData) {}

  std::string ClassName() const override { return "MtiData"; }
  void SetInstrumentType(const std::string& sType, int32_t lFlags) override;
  void SetIdentity(const std::string& sModel, const std::string& sSerialNumber,
                   const std::string& sFirmwareVersion) override;
  std::string InstrumentType() const override;
  std::string Model() const override;
  std::string SerialNumber() const override;
  std::string FirmwareVersion() const override;

  IDispatch* Object() const { return mData.Object(); }

 private:
  std::string Read(const wchar_t* szName) const;

  CDispatchCaller mData;
};

}  // namespace ksv940
