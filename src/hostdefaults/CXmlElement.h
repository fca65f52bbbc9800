#pragma once

#include <memory>
#include <pugixml.hpp>
#include <string>

#include "hostapi/IOrvexXml.h"

namespace ksv940 {

/// An element of a CXmlDocument. It keeps its document alive as long as someone holds it.
class CXmlElement : public IOrvexXmlElement {
 public:
  CXmlElement(std::shared_ptr<pugi::xml_document> pDocument, pugi::xml_node node);

  std::string TagName() const override;
  std::string GetAttribute(const std::string& sName) const override;
  /// Adds the attribute, or replaces its value when it is there.
  void SetAttribute(const std::string& sName, const std::string& sValue) override;

 private:
  std::shared_ptr<pugi::xml_document> mpDocument;
  pugi::xml_node mNode;
};

}  // namespace ksv940
