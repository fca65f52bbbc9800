#include "hostdefaults/CXmlElement.h"

namespace ksv940 {

CXmlElement::CXmlElement(std::shared_ptr<pugi::xml_document> pDocument, pugi::xml_node node)
    : mpDocument(std::move(pDocument)), mNode(node) {}

std::string CXmlElement::TagName() const {
  return mNode.name();
}

std::string CXmlElement::GetAttribute(const std::string& sName) const {
  return mNode.attribute(sName.c_str()).value();
}

void CXmlElement::SetAttribute(const std::string& sName, const std::string& sValue) {
  pugi::xml_attribute attribute = mNode.attribute(sName.c_str());
  if (!attribute) {
    attribute = mNode.append_attribute(sName.c_str());
  }
  attribute.set_value(sValue.c_str());
}

}  // namespace ksv940
