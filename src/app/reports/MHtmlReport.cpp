#include "app/plan/MOptionNames.h"
#include "app/record/MRunText.h"
#include "app/reports/MReportFormats.h"
#include "app/store/MTrend.h"
#include "app/store/MTrendChart.h"

namespace ksv940 {

namespace {

// Text as HTML shows it, a line break as a break (a step's name may hold one).
std::string Html(const std::string& sText) {
  std::string sOut;
  for (char c : HtmlEscaped(sText)) {
    sOut += c == '\n' ? std::string("<br>") : std::string(1, c);
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
.verdict-box { font-size: 28pt; font-weight: bold; border: 3px solid #000; padding: 0.2em 0.5em;
               margin: 0 0 0.6em 0; display: inline-block; }
.reply { font-size: 8pt; font-family: "DejaVu Sans Mono", monospace; }
.id { font-family: "DejaVu Sans Mono", monospace; }
td.blank { height: 1.4em; }
table.options td { width: 25%; }
table.sign { margin-top: 3em; }
table.sign td { border: none; border-top: 1px solid #000; padding-top: 4px; width: 30%; }
table.sign td.gap { border-top: none; width: 5%; }
@media print { body { margin: 0; } tr { page-break-inside: avoid; } }
@page { size: A4; margin: 18mm 15mm 20mm 15mm;
        @bottom-left { content: "Report " var(--report-id); font-size: 8pt; }
        @bottom-right { content: "page " counter(page) " of " counter(pages); font-size: 8pt; } }
)";

std::string FactRow(const std::string& sName, const std::string& sValue) {
  return "<tr><th>" + Html(sName) + "</th><td>" + Html(sValue) + "</td></tr>\n";
}

// A fact a person fills in by hand where the record has none.
std::string FillRow(const std::string& sName, const std::optional<std::string>& sValue) {
  if (sValue && !sValue->empty()) {
    return FactRow(sName, *sValue);
  }
  return "<tr><th>" + Html(sName) + "</th><td class=\"blank\"></td></tr>\n";
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

// The previous value and a small chart of the device's earlier values and this one, with the
// limits, for a value that has history in the results store.
std::string PreviousCell(const SRunRecord& record, const SStepRecord& step) {
  if (!step.Previous()) {
    return {};
  }
  std::string sCell = "<br><span class=\"reply\">" +
                      Html(WithPersonUnit(PreviousText(step), step.sUnit)) + "</span>";
  if (step.dValue) {
    std::vector<STrendPoint> vPoints;
    for (auto it = step.vEarlier.rbegin(); it != step.vEarlier.rend(); ++it) {
      vPoints.push_back({it->sStarted, it->dValue});
    }
    vPoints.push_back({UtcTime(record.sStarted), *step.dValue});
    sCell += "<br>" + TrendChartSvg(vPoints, step.dMin, step.dMax, PersonUnit(step.sUnit), 96, 30);
  }
  return sCell;
}

}  // namespace

std::string HtmlReport(const SRunRecord& record) {
  std::string sOut =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
      "KSV940 test report: " +
      Html(record.sPlanName) + "</title>\n<style>" + kStyle +
      // The page margin boxes cannot read the page's text: the id reaches them as a property.
      ":root { --report-id: \"" + Html(record.sReportId) + "\"; }\n</style>\n</head>\n<body>\n";
  std::string sVerdict = RunVerdictText(RunVerdict(record));
  for (char& c : sVerdict) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  sOut += "<h1>Electrical safety test report</h1>\n<div class=\"verdict-box\">Verdict: " +
          Html(sVerdict) + "</div>\n<table class=\"facts\">\n";
  sOut += "<tr><th>Report id</th><td class=\"id\">" + Html(record.sReportId) + "</td></tr>\n";
  sOut += FactRow("Plan", record.sPlanName);
  sOut += FactRow("Plan file", record.sPlanPath.empty() ? record.sPlanFile : record.sPlanPath);
  if (!record.sPlanSha256.empty()) {
    sOut +=
        "<tr><th>Plan SHA-256</th><td class=\"id\">" + Html(record.sPlanSha256) + "</td></tr>\n";
  }
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
  for (const std::string& sRemark : record.vRemarks) {
    sOut += FactRow("Remark", sRemark);
  }
  sOut += FillRow("Tested by", record.sTester.empty() ? std::nullopt
                                                      : std::optional<std::string>(record.sTester));
  sOut += "</table>\n\n<h2>Device under test</h2>\n<table class=\"facts\">\n";
  for (const std::string& sField : CDeviceUnderTest::Fields()) {
    std::string sName = sField;
    sName[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sName[0])));
    sOut += FillRow(sName, record.device.Get(sField));
  }
  sOut +=
      "</table>\n\n<h2>Results</h2>\n<table class=\"steps\">\n<thead><tr><th "
      "class=\"number\">#</th><th>Step</th><th>Test</th><th class=\"number\">Value</th>"
      "<th>Limits</th><th>State</th><th>Verdict</th><th>Remark</th></tr></thead>\n<tbody>\n";
  for (const SStepRecord& step : record.vSteps) {
    sOut +=
        std::string(!StepPassed(step) ? "<tr class=\"bad\">" : "<tr>") + "<td class=\"number\">" +
        std::to_string(step.lIndex) + "</td><td>" + Html(step.sName) + "</td><td>" +
        Html(TestText(step)) + "</td><td class=\"number\">" + Html(PersonDisplay(step)) +
        (step.sReply ? "<br><span class=\"reply\">reply: " + Html(*step.sReply) + "</span>"
                     : std::string()) +
        PreviousCell(record, step) + "</td><td class=\"limits\">" + Html(LimitsText(step, true)) +
        "</td><td>" + Html(StateText(step.ess)) + "</td><td class=\"verdict\">" +
        VerdictCell(step) + "</td><td>" + Html(StepRemark(step, true)) +
        (step.sTrend.empty()
             ? std::string()
             : "<br><strong>" + Html(WithPersonUnit(step.sTrend, step.sUnit)) + "</strong>") +
        "</td></tr>\n";
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
      sOut += "<td>" + Html(OptionTitle(option.sName)) + "</td><td>" +
              Html(OptionValueTitle(option.sName, option.lValue, option.fBoolean)) + "</td>";
    }
    sOut += "</tr>\n";
  }
  sOut += "</table>\n\n<table class=\"sign\"><tr><td>Tested by" +
          (record.sTester.empty() ? std::string() : ": " + Html(record.sTester)) +
          "</td><td class=\"gap\"></td><td>Date</td><td class=\"gap\"></td><td>Signature</td></tr>"
          "</table>\n</body>\n</html>\n";
  return sOut;
}

}  // namespace ksv940
