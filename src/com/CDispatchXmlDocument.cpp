#include "com/CDispatchXmlDocument.h"

#include "com/CDispatchXmlElement.h"

namespace ksv940 {

std::shared_ptr<IOrvexXmlElement> CDispatchXmlDocument::CreateElement(const std::string& sName) {
  VARIANT vElement = mDocument.Call(L"CreateElement", {CDispatchCaller::TextArg(sName)});
  if ((V_VT(&vElement) != VT_DISPATCH && V_VT(&vElement) != VT_UNKNOWN) ||
      V_UNKNOWN(&vElement) == nullptr) {
    VariantClear(&vElement);
    return nullptr;
  }
  IDispatch* pElement = nullptr;
  V_UNKNOWN(&vElement)->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pElement));
  VariantClear(&vElement);
  if (pElement == nullptr) {
    return nullptr;
  }
  auto pResult = std::make_shared<CDispatchXmlElement>(pElement);
  pElement->Release();
  return pResult;
}

}  // namespace ksv940
