#pragma once

#include <memory>
#include <string>

#include "com/CDispatchCaller.h"
#include "hostapi/IOrvexXml.h"

namespace ksv940 {

/// The host's XML element, reached by name: TagName, GetAttribute, SetAttribute.
class CDispatchXmlElement : public IOrvexXmlElement {
 public:
  explicit CDispatchXmlElement(IDispatch* pElement) : mElement(pElement) {}

  std::string TagName() const override;
  std::string GetAttribute(const std::string& sName) const override;
  void SetAttribute(const std::string& sName, const std::string& sValue) override;

  /// The host's element behind pElement, counted for the caller; nullptr for none.
  static IDispatch* DispatchOf(IOrvexXmlElement* pElement);

 private:
  CDispatchCaller mElement;
};

}  // namespace ksv940
