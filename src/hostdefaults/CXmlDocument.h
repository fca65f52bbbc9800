#pragma once

#include <memory>
#include <string>
#include <vector>

#include "hostapi/IOrvexXml.h"

namespace pugi {
class xml_document;
}

namespace ksv940 {

/// A test plan as an XML document: a root element (by default "TestPlan") whose child elements
/// are the plan's entries. It is loaded from and saved to a file or a text.
class CXmlDocument : public IOrvexXmlDocument {
 public:
  explicit CXmlDocument(const std::string& sRootName = "TestPlan");
  ~CXmlDocument() override;

  /// A new element named sName, added at the end of the root element.
  std::shared_ptr<IOrvexXmlElement> CreateElement(const std::string& sName) override;

  /// The root element's child elements in document order.
  std::vector<std::shared_ptr<IOrvexXmlElement>> Elements() const;

  /// Replace the document by the file's. A missing file or malformed XML raises Invalid procedure
  /// call (5) naming the file and the fault with its byte offset; the document is then unchanged.
  void LoadFile(const std::string& sPath);
  /// Writes the document, indented, with an XML declaration. A file that cannot be written raises
  /// Invalid procedure call (5) naming it.
  void SaveFile(const std::string& sPath) const;
  std::string Text() const;

 private:
  std::shared_ptr<pugi::xml_document> mpDocument;  // shared with the elements handed out
};

}  // namespace ksv940
