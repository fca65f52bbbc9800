#pragma once

#include <memory>
#include <string>

#include "com/CDispatchCaller.h"
#include "hostapi/IOrvexXml.h"

namespace ksv940 {

/// The host's XML document, reached by name: CreateElement.
class CDispatchXmlDocument : public IOrvexXmlDocument {
 public:
  explicit CDispatchXmlDocument(IDispatch* pDocument) : mDocument(pDocument) {}

  std::shared_ptr<IOrvexXmlElement> CreateElement(const std::string& sName) override;

 private:
  CDispatchCaller mDocument;
};

}  // namespace ksv940
