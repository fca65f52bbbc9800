#include "app/reports/CReportSet.h"

#include "app/reports/MReportFormats.h"
#include "platform/core/MText.h"

namespace ksv940 {

namespace {

using FReport = std::string (*)(const SRunRecord&);

FReport ReportFor(const std::string& sPath) {
  size_t nDot = sPath.rfind('.');
  if (nDot == std::string::npos || sPath.find('/', nDot) != std::string::npos) {
    return nullptr;
  }
  std::string sExtension = LowerAscii(sPath.substr(nDot + 1));
  if (sExtension == "json") {
    return &JsonReport;
  }
  if (sExtension == "csv") {
    return &CsvReport;
  }
  if (sExtension == "xml") {
    return &JUnitReport;
  }
  if (sExtension == "html" || sExtension == "htm") {
    return &HtmlReport;
  }
  return nullptr;
}

}  // namespace

std::string CReportSet::Problem(const std::string& sPath) {
  if (ReportFor(sPath) != nullptr) {
    return {};
  }
  return "the report \"" + sPath +
         "\" has no known kind: give it the extension .json, .csv, .xml (JUnit) or .html";
}

CReportSet::CReportSet(std::vector<std::string> vPaths, std::ostream& err)
    : mvPaths(std::move(vPaths)), mErr(err) {}

bool CReportSet::Write(const SRunRecord& record) {
  bool fAll = true;
  for (const std::string& sPath : mvPaths) {
    std::string sProblem = ReplaceFile(sPath, ReportFor(sPath)(record));
    if (!sProblem.empty()) {
      mErr << "ksv940 run: the report " << sPath << " cannot be written: " << sProblem << "\n";
      fAll = false;
    }
  }
  mfFailed = mfFailed || !fAll;
  return fAll;
}

}  // namespace ksv940
