#include "app/record/MRunText.h"
#include "app/reports/MReportFormats.h"

namespace ksv940 {

namespace {

std::string Html(const std::string& sText) {
  std::string sOut;
  for (char c : sText) {
    switch (c) {
      case '&':
        sOut += "&amp;";
        break;
      case '<':
        sOut += "&lt;";
        break;
      case '>':
        sOut += "&gt;";
        break;
      case '"':
        sOut += "&quot;";
        break;
      case '\n':
        sOut += "<br>";
        break;
      default:
        sOut += c;
    }
  }
  return sOut;
}

// Black on white, lines and weight instead of colour, so that a printout and a copy of it read
// as the screen does.
constexpr const char* kStyle = R"(
body { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 10pt; color: #000;
       background: #fff; margin: 2em; }
h1 { font-size: 16pt; margin: 0 0 0.5em 0; }
h2 { font-size: 12pt; margin: 1.5em 0 0.4em 0; }
table { border-collapse: collapse; width: 100%; }
th, td { border: 1px solid #000; padding: 3px 6px; text-align: left; vertical-align: top; }
thead th { border-bottom: 2px solid #000; }
table.facts th { width: 9em; font-weight: normal; }
td.number, th.number { text-align: right; white-space: nowrap; }
td.limits { white-space: nowrap; }
td.verdict { white-space: nowrap; }
tr.bad td { font-weight: bold; }
tr.bad td.verdict { text-decoration: underline; }
.outcome { font-size: 13pt; font-weight: bold; }
table.options td { width: 25%; }
table.sign { margin-top: 3em; }
table.sign td { border: none; border-top: 1px solid #000; padding-top: 4px; width: 30%; }
table.sign td.gap { border-top: none; width: 5%; }
@media print { body { margin: 0; } tr { page-break-inside: avoid; } }
)";

std::string FactRow(const std::string& sName, const std::string& sValue) {
  return "<tr><th>" + Html(sName) + "</th><td>" + Html(sValue) + "</td></tr>\n";
}

std::string TestText(const SStepRecord& step) {
  if (!step.lId) {
    return step.esk == eskHighVoltage ? "high voltage" : "zeroing";
  }
  std::string sText = "test " + std::to_string(*step.lId) + ", PC " + std::to_string(*step.lPc);
  if (step.sAp && !step.sAp->empty()) {
    sText += ", AP " + *step.sAp;
  }
  if (step.sNap && !step.sNap->empty()) {
    sText += ", NAP " + *step.sNap;
  }
  return sText;
}

std::string VerdictCell(const SStepRecord& step) {
  if (step.esv == esvNone) {
    return "&#8212;";
  }
  return step.esv == esvPass ? "PASS" : "FAIL";
}

}  // namespace

std::string HtmlReport(const SRunRecord& record) {
  std::string sOut =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
      "KSV940 test report: " +
      Html(record.sPlanName) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
  sOut += "<h1>Electrical safety test report</h1>\n<table class=\"facts\">\n";
  sOut += FactRow("Plan", record.sPlanName);
  sOut += FactRow("Plan file", record.sPlanFile);
  sOut +=
      FactRow("Analyzer", record.fIdentified ? record.sModel + ", serial number " + record.sSerial +
                                                   ", firmware " + record.sFirmware
                                             : "not identified");
  sOut += FactRow("Link", record.sLink);
  sOut += FactRow("Started", record.sStarted);
  sOut += FactRow("Finished", record.sFinished.empty() ? "not finished" : record.sFinished);
  std::string sOutcome = OutcomeText(record.ero);
  for (char& c : sOutcome) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  sOut += "<tr><th>Outcome</th><td class=\"outcome\">" + Html(sOutcome) + "</td></tr>\n";
  if (record.connectionError) {
    sOut += FactRow("Connection", record.connectionError->sDescription);
  }
  sOut +=
      "</table>\n\n<h2>Results</h2>\n<table class=\"steps\">\n<thead><tr><th "
      "class=\"number\">#</th><th>Step</th><th>Test</th><th class=\"number\">Value</th>"
      "<th>Limits</th><th>State</th><th>Verdict</th><th>Remark</th></tr></thead>\n<tbody>\n";
  for (const SStepRecord& step : record.vSteps) {
    sOut += std::string(!StepPassed(step) ? "<tr class=\"bad\">" : "<tr>") +
            "<td class=\"number\">" + std::to_string(step.lIndex) + "</td><td>" + Html(step.sName) +
            "</td><td>" + Html(TestText(step)) + "</td><td class=\"number\">" +
            Html(step.sDisplay) + "</td><td class=\"limits\">" + Html(LimitsText(step)) +
            "</td><td>" + Html(StateText(step.ess)) + "</td><td class=\"verdict\">" +
            VerdictCell(step) + "</td><td>" + Html(StepRemark(step)) + "</td></tr>\n";
  }
  sOut += "</tbody>\n</table>\n\n<h2>Test options</h2>\n<table class=\"options\">\n";
  for (size_t i = 0; i < record.vOptions.size(); i += 2) {
    sOut += "<tr>";
    for (size_t j = i; j < i + 2; ++j) {
      if (j >= record.vOptions.size()) {
        sOut += "<td></td><td></td>";
        continue;
      }
      const SOptionValue& option = record.vOptions[j];
      sOut += "<td>" + Html(option.sName) + "</td><td>" + Html(OptionText(option)) + "</td>";
    }
    sOut += "</tr>\n";
  }
  sOut +=
      "</table>\n\n<table class=\"sign\"><tr><td>Tested by</td><td class=\"gap\"></td><td>Date"
      "</td><td class=\"gap\"></td><td>Signature</td></tr></table>\n</body>\n</html>\n";
  return sOut;
}

}  // namespace ksv940
