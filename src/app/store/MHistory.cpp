#include "app/store/MHistory.h"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>

#include "app/store/MTrend.h"
#include "app/store/MTrendChart.h"

namespace ksv940 {

namespace {

using ordered_json = nlohmann::ordered_json;

std::string DeviceTitle(const SStoredDevice& device) {
  std::string sTitle;
  for (auto [pszName, psMember] : SStoredDevice::Fields()) {
    const std::string& sValue = device.*psMember;
    if (!sValue.empty()) {
      sTitle += (sTitle.empty() ? "" : ", ") + std::string(pszName) + " " + sValue;
    }
  }
  return sTitle.empty() ? "device not named" : sTitle;
}

std::string Day(const std::string& sTime) {
  return sTime.substr(0, 10);
}

// Pads sText to nWidth characters shown.
std::string Padded(const std::string& sText, size_t nWidth) {
  size_t nChars = ShownWidth(sText);
  return sText + std::string(nWidth > nChars ? nWidth - nChars : 0, ' ');
}

std::string Table(const std::vector<std::vector<std::string>>& vLines) {
  std::vector<size_t> vWidths;
  for (const std::vector<std::string>& vLine : vLines) {
    vWidths.resize(std::max(vWidths.size(), vLine.size()));
    for (size_t i = 0; i < vLine.size(); ++i) {
      vWidths[i] = std::max(vWidths[i], ShownWidth(vLine[i]));
    }
  }
  std::string sOut;
  for (const std::vector<std::string>& vLine : vLines) {
    std::string sLine;
    for (size_t i = 0; i < vLine.size(); ++i) {
      sLine += (i == 0 ? "" : "  ") + Padded(vLine[i], vWidths[i]);
    }
    sLine.erase(sLine.find_last_not_of(' ') + 1);
    sOut += sLine + "\n";
  }
  return sOut;
}

template <class T>
ordered_json OrNull(const std::optional<T>& value) {
  return value ? ordered_json(*value) : ordered_json(nullptr);
}

ordered_json TextOrNull(const std::string& sText) {
  return sText.empty() ? ordered_json(nullptr) : ordered_json(sText);
}

ordered_json StepJson(const SStoredStep& step) {
  return {{"index", step.lIndex},
          {"kind", step.sKind},
          {"name", step.sName},
          {"id", OrNull(step.lId)},
          {"pc", OrNull(step.lPc)},
          {"ap", OrNull(step.sAp)},
          {"nap", OrNull(step.sNap)},
          {"lead", OrNull(step.lLead)},
          {"state", step.sState},
          {"value", OrNull(step.dValue)},
          {"unknown", step.sUnknown},
          {"suffix", step.sSuffix},
          {"unit", step.sUnit},
          {"display", step.sDisplay},
          {"min", OrNull(step.dMin)},
          {"max", OrNull(step.dMax)},
          {"verdict", TextOrNull(step.sVerdict)},
          {"error", step.lErrorNumber ? ordered_json{{"number", *step.lErrorNumber},
                                                     {"description", step.sErrorDescription}}
                                      : ordered_json(nullptr)},
          {"remark", TextOrNull(step.sRemark)},
          {"reply", TextOrNull(step.sReply)},
          {"started", TextOrNull(step.sStarted)},
          {"seconds", OrNull(step.dSeconds)}};
}

ordered_json RunJson(const SStoredRun& run) {
  const SStoredDevice& device = run.device;
  ordered_json options = ordered_json::object();
  for (const auto& [sName, sValue] : run.vOptions) {
    options[sName] = sValue;
  }
  ordered_json deviceJson = ordered_json::object();
  for (auto [pszName, psMember] : SStoredDevice::Fields()) {
    deviceJson[pszName] = TextOrNull(device.*psMember);
  }
  ordered_json json = {
      {"report_id", run.sReportId},
      {"plan", {{"name", run.sPlanName}, {"file", run.sPlanFile}, {"sha256", run.sPlanSha256}}},
      {"device", deviceJson},
      {"tester", TextOrNull(run.sTester)},
      {"analyzer",
       {{"model", TextOrNull(run.sAnalyzerModel)},
        {"serial", TextOrNull(run.sAnalyzerSerial)},
        {"firmware", TextOrNull(run.sAnalyzerFirmware)}}},
      {"link", run.sLink},
      {"options", options},
      {"started", run.sStarted},
      {"finished", TextOrNull(run.sFinished)},
      {"outcome", run.sOutcome},
      {"verdict", run.sVerdict}};
  if (!run.vSteps.empty()) {
    json["steps"] = ordered_json::array();
    for (const SStoredStep& step : run.vSteps) {
      json["steps"].push_back(StepJson(step));
    }
  }
  return json;
}

}  // namespace

std::string CsvField(const std::string& sText) {
  if (sText.find_first_of(",\"\r\n") == std::string::npos) {
    return sText;
  }
  std::string sOut = "\"";
  for (char ch : sText) {
    sOut += ch == '"' ? std::string("\"\"") : std::string(1, ch);
  }
  return sOut + "\"";
}

std::vector<SDeviceHistory> GroupByDevice(const std::vector<SStoredRun>& vRuns) {
  std::vector<SDeviceHistory> vDevices;
  for (const SStoredRun& run : vRuns) {
    auto itDevice = std::find_if(vDevices.begin(), vDevices.end(), [&](const SDeviceHistory& h) {
      return h.device.sAsset == run.device.sAsset &&
             h.device.sManufacturer == run.device.sManufacturer &&
             h.device.sModel == run.device.sModel && h.device.sSerial == run.device.sSerial;
    });
    if (itDevice == vDevices.end()) {
      itDevice = vDevices.insert(vDevices.end(), SDeviceHistory{run.device, {}, {}});
    }
    itDevice->vRuns.push_back(&run);
  }
  for (SDeviceHistory& history : vDevices) {
    for (size_t iRun = 0; iRun < history.vRuns.size(); ++iRun) {
      for (const SStoredStep& step : history.vRuns[iRun]->vSteps) {
        if (!step.lId || !step.lPc) {
          continue;  // zeroing and the high-voltage check leave no value to compare
        }
        auto key = std::tuple(*step.lId, *step.lPc, step.sAp.value_or(""), step.sNap.value_or(""),
                              step.lLead.value_or(-1));
        auto itRow = std::find_if(history.vRows.begin(), history.vRows.end(),
                                  [&](const SHistoryRow& row) { return row.key == key; });
        if (itRow == history.vRows.end()) {
          itRow = history.vRows.insert(
              history.vRows.end(),
              SHistoryRow{key, step.sName, step.sUnit,
                          std::vector<const SStoredStep*>(history.vRuns.size(), nullptr)});
        }
        itRow->vCells[iRun] = &step;
      }
    }
  }
  return vDevices;
}

std::string CellText(const SStoredStep& step, bool fPersonUnits) {
  if (!step.dValue && step.sDisplay.empty()) {
    return step.sState;
  }
  std::string sText = step.sDisplay.empty() ? NumberText(*step.dValue) : step.sDisplay;
  sText = fPersonUnits ? WithPersonUnit(sText, step.sUnit) : sText;
  return step.sVerdict.empty() ? sText : sText + " " + step.sVerdict;
}

std::string HistoryText(const std::vector<SStoredRun>& vRuns, bool fPersonUnits) {
  std::string sOut;
  for (const SDeviceHistory& history : GroupByDevice(vRuns)) {
    sOut +=
        (sOut.empty() ? "" : "\n") + std::string("Device: ") + DeviceTitle(history.device) + "\n";
    std::vector<std::vector<std::string>> vLines(3);
    vLines[0] = {"Run"};
    vLines[1] = {"Verdict"};
    vLines[2] = {"Tester"};
    for (const SStoredRun* pRun : history.vRuns) {
      vLines[0].push_back(Day(pRun->sStarted));
      vLines[1].push_back(pRun->sVerdict);
      vLines[2].push_back(pRun->sTester.empty() ? "-" : pRun->sTester);
    }
    for (const SHistoryRow& row : history.vRows) {
      std::vector<std::string>& vLine = vLines.emplace_back(std::vector<std::string>{row.sName});
      for (const SStoredStep* pStep : row.vCells) {
        vLine.push_back(pStep != nullptr ? CellText(*pStep, fPersonUnits) : "-");
      }
    }
    sOut += Table(vLines);
  }
  return sOut.empty() ? "No runs.\n" : sOut;
}

std::string RunsText(const std::vector<SStoredRun>& vRuns) {
  std::vector<std::vector<std::string>> vLines = {
      {"Started", "Verdict", "Device", "Tester", "Plan", "Report id"}};
  for (const SStoredRun& run : vRuns) {
    vLines.push_back({run.sStarted, run.sVerdict, DeviceTitle(run.device),
                      run.sTester.empty() ? "-" : run.sTester, run.sPlanName, run.sReportId});
  }
  return vRuns.empty() ? "No runs.\n" : Table(vLines);
}

std::string HistoryJson(const std::vector<SStoredRun>& vRuns) {
  ordered_json json = ordered_json::array();
  for (const SStoredRun& run : vRuns) {
    json.push_back(RunJson(run));
  }
  return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string HistoryCsv(const std::vector<SStoredRun>& vRuns) {
  std::vector<std::string> vHeader = {"report_id", "started", "finished",   "outcome",
                                      "verdict",   "tester",  "asset",      "manufacturer",
                                      "model",     "serial",  "location",   "class",
                                      "type",      "plan",    "plan_sha256"};
  bool fSteps = std::any_of(vRuns.begin(), vRuns.end(),
                            [](const SStoredRun& run) { return !run.vSteps.empty(); });
  if (fSteps) {
    vHeader.insert(vHeader.end(),
                   {"index", "name", "id", "pc", "ap", "nap", "lead", "state", "value", "unit",
                    "display", "min", "max", "step_verdict", "remark", "reply"});
  }
  auto line = [](const std::vector<std::string>& vFields) {
    std::string sLine;
    for (size_t i = 0; i < vFields.size(); ++i) {
      sLine += (i == 0 ? "" : ",") + CsvField(vFields[i]);
    }
    return sLine + "\r\n";
  };
  std::string sOut = line(vHeader);
  for (const SStoredRun& run : vRuns) {
    const SStoredDevice& d = run.device;
    std::vector<std::string> vRun = {run.sReportId, run.sStarted,  run.sFinished,  run.sOutcome,
                                     run.sVerdict,  run.sTester,   d.sAsset,       d.sManufacturer,
                                     d.sModel,      d.sSerial,     d.sLocation,    d.sClass,
                                     d.sType,       run.sPlanName, run.sPlanSha256};
    if (!fSteps) {
      sOut += line(vRun);
      continue;
    }
    for (const SStoredStep& step : run.vSteps) {
      std::vector<std::string> vFields = vRun;
      vFields.insert(
          vFields.end(),
          {std::to_string(step.lIndex), step.sName, CsvOptional(step.lId), CsvOptional(step.lPc),
           CsvOptional(step.sAp), CsvOptional(step.sNap), CsvOptional(step.lLead), step.sState,
           CsvOptional(step.dValue), step.sUnit, step.sDisplay, CsvOptional(step.dMin),
           CsvOptional(step.dMax), step.sVerdict, step.sRemark, step.sReply});
      sOut += line(vFields);
    }
  }
  return sOut;
}

std::string HistoryHtml(const std::vector<SStoredRun>& vRuns) {
  std::string sOut =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>ksv940 "
      "history</title><style>\n"
      "body{font-family:sans-serif;font-size:10pt;margin:1.5em}\n"
      "table{border-collapse:collapse;margin:0.5em 0 1em}\n"
      "th,td{border:1px solid #888;padding:2px 6px;text-align:left;vertical-align:top}\n"
      "td.fail{font-weight:bold}\n"
      ".chart{display:inline-block;margin:0 1.5em 1em 0;break-inside:avoid}\n"
      ".chart h3{font-size:10pt;margin:0.2em 0}\n"
      "section{break-before:page}\nsection:first-of-type{break-before:auto}\n"
      "@page{size:A4;margin:15mm}\n"
      "</style></head><body>\n<h1>Test history</h1>\n"
      "<p>Each chart: the values over the runs' dates; a dashed line is a limit; a circle is a "
      "value within its limits, a cross one outside them.</p>\n";
  std::vector<SDeviceHistory> vDevices = GroupByDevice(vRuns);
  if (vDevices.empty()) {
    sOut += "<p>No runs.</p>\n";
  }
  for (const SDeviceHistory& history : vDevices) {
    sOut += "<section><h2>" + HtmlEscaped(DeviceTitle(history.device)) +
            "</h2>\n<table><thead><tr><th>Test</th>";
    for (const SStoredRun* pRun : history.vRuns) {
      sOut += "<th>" + HtmlEscaped(Day(pRun->sStarted)) + "<br>" + HtmlEscaped(pRun->sVerdict) +
              "<br>" + HtmlEscaped(pRun->sTester) + "</th>";
    }
    sOut += "</tr></thead><tbody>\n";
    for (const SHistoryRow& row : history.vRows) {
      sOut += "<tr><td>" + HtmlEscaped(row.sName) + "</td>";
      for (const SStoredStep* pStep : row.vCells) {
        bool fFail = pStep != nullptr && pStep->sVerdict == "fail";
        sOut += std::string(fFail ? "<td class=\"fail\">" : "<td>") +
                (pStep != nullptr ? HtmlEscaped(CellText(*pStep, true)) : "-") + "</td>";
      }
      sOut += "</tr>\n";
    }
    sOut += "</tbody></table>\n";
    for (const SHistoryRow& row : history.vRows) {
      std::vector<STrendPoint> vPoints;
      std::optional<double> dMin, dMax;
      for (size_t i = 0; i < row.vCells.size(); ++i) {
        const SStoredStep* pStep = row.vCells[i];
        if (pStep == nullptr || !pStep->dValue) {
          continue;
        }
        vPoints.push_back({history.vRuns[i]->sStarted, *pStep->dValue});
        // The newest run's limits are the ones the device is held to now.
        dMin = dMin ? dMin : pStep->dMin;
        dMax = dMax ? dMax : pStep->dMax;
      }
      if (!vPoints.empty()) {
        sOut += "<div class=\"chart\"><h3>" + HtmlEscaped(row.sName) + "</h3>" +
                TrendChartSvg(vPoints, dMin, dMax, PersonUnit(row.sUnit), 320, 140) + "</div>\n";
      }
    }
    sOut += "</section>\n";
  }
  return sOut + "</body></html>\n";
}

}  // namespace ksv940
