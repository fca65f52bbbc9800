#include "com/CDispatchXmlElement.h"

namespace ksv940 {

std::string CDispatchXmlElement::TagName() const {
  return CDispatchCaller::Text(mElement.Get(L"TagName"));
}

std::string CDispatchXmlElement::GetAttribute(const std::string& sName) const {
  VARIANT vValue = mElement.Call(L"GetAttribute", {CDispatchCaller::TextArg(sName)});
  // An absent attribute may come back as Null or Empty: it reads as the empty text.
  if (V_VT(&vValue) == VT_NULL || V_VT(&vValue) == VT_EMPTY) {
    return {};
  }
  return CDispatchCaller::Text(vValue);
}

void CDispatchXmlElement::SetAttribute(const std::string& sName, const std::string& sValue) {
  VARIANT vResult = mElement.Call(
      L"SetAttribute", {CDispatchCaller::TextArg(sName), CDispatchCaller::TextArg(sValue)});
  VariantClear(&vResult);
}

IDispatch* CDispatchXmlElement::DispatchOf(IOrvexXmlElement* pElement) {
  auto* pHosts = dynamic_cast<CDispatchXmlElement*>(pElement);
  if (pHosts == nullptr) {
    return nullptr;
  }
  IDispatch* pDispatch = pHosts->mElement.Object();
  pDispatch->AddRef();
  return pDispatch;
}

}  // namespace ksv940
