#include "com/CDispatchMtiData.h"

namespace ksv940 {

void CDispatchMtiData::SetInstrumentType(const std::string& sType, int32_t lFlags) {
  VARIANT vResult = mData.Call(L"SetInstrumentType",
                               {CDispatchCaller::TextArg(sType), CDispatchCaller::IntArg(lFlags)});
  VariantClear(&vResult);
}

void CDispatchMtiData::SetIdentity(const std::string& sModel, const std::string& sSerialNumber,
                                   const std::string& sFirmwareVersion) {
  VARIANT vResult = mData.Call(
      L"SetIdentity", {CDispatchCaller::TextArg(sModel), CDispatchCaller::TextArg(sSerialNumber),
                       CDispatchCaller::TextArg(sFirmwareVersion)});
  VariantClear(&vResult);
}

std::string CDispatchMtiData::Read(const wchar_t* szName) const {
  return mData.Has(szName) ? CDispatchCaller::Text(mData.Get(szName)) : std::string();
}

std::string CDispatchMtiData::InstrumentType() const {
  return Read(L"InstrumentType");
}

std::string CDispatchMtiData::Model() const {
  return Read(L"Model");
}

std::string CDispatchMtiData::SerialNumber() const {
  return Read(L"SerialNumber");
}

std::string CDispatchMtiData::FirmwareVersion() const {
  return CDispatchCaller::Text(mData.Get(L"FirmwareVersion"));
}

}  // namespace ksv940
