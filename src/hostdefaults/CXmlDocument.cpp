#include "hostdefaults/CXmlDocument.h"

#include <pugixml.hpp>
#include <sstream>

#include "hostdefaults/CXmlElement.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/MRuntime.h"

namespace ksv940 {

namespace {

[[noreturn]] void RaiseXmlFault(const std::string& sWhat) {
  throw CAutomationError(erInvalidCall, kComponentName, sWhat);
}

void Check(const pugi::xml_parse_result& result, const std::string& sOrigin) {
  if (!result) {
    RaiseXmlFault(sOrigin + ": " + result.description() + " at byte " +
                  std::to_string(result.offset));
  }
}

}  // namespace

CXmlDocument::CXmlDocument(const std::string& sRootName)
    : mpDocument(std::make_shared<pugi::xml_document>()) {
  mpDocument->append_child(sRootName.c_str());
}

CXmlDocument::~CXmlDocument() = default;

std::shared_ptr<IOrvexXmlElement> CXmlDocument::CreateElement(const std::string& sName) {
  pugi::xml_node node = mpDocument->document_element().append_child(sName.c_str());
  if (!node) {
    return nullptr;
  }
  return std::make_shared<CXmlElement>(mpDocument, node);
}

std::vector<std::shared_ptr<IOrvexXmlElement>> CXmlDocument::Elements() const {
  std::vector<std::shared_ptr<IOrvexXmlElement>> vElements;
  for (pugi::xml_node node : mpDocument->document_element().children()) {
    if (node.type() == pugi::node_element) {
      vElements.push_back(std::make_shared<CXmlElement>(mpDocument, node));
    }
  }
  return vElements;
}

void CXmlDocument::LoadFile(const std::string& sPath) {
  // Parsed into a fresh document, so a failure leaves this one and its elements untouched.
  auto pLoaded = std::make_shared<pugi::xml_document>();
  Check(pLoaded->load_file(sPath.c_str()), sPath);
  mpDocument = std::move(pLoaded);
}

void CXmlDocument::SaveFile(const std::string& sPath) const {
  if (!mpDocument->save_file(sPath.c_str(), "  ")) {
    RaiseXmlFault(sPath + ": cannot be written");
  }
}

std::string CXmlDocument::Text() const {
  std::ostringstream out;
  mpDocument->save(out, "  ");
  return out.str();
}

}  // namespace ksv940
