#pragma once

#include <memory>
#include <string>

namespace ksv940 {

/// An element of the host's XML test plan.
class IOrvexXmlElement {
 public:
  virtual ~IOrvexXmlElement() = default;
  virtual std::string TagName() const = 0;
  /// The attribute's value; the empty text when it is absent.
  virtual std::string GetAttribute(const std::string& sName) const = 0;
  virtual void SetAttribute(const std::string& sName, const std::string& sValue) = 0;
};

/// The host's XML document, as far as the component creates elements in it.
class IOrvexXmlDocument {
 public:
  virtual ~IOrvexXmlDocument() = default;
  /// A new element named sName, or nullptr when the document cannot make one.
  virtual std::shared_ptr<IOrvexXmlElement> CreateElement(const std::string& sName) = 0;
};

}  // namespace ksv940
