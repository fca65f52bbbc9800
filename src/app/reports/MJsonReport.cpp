#include <nlohmann/json.hpp>

#include "app/record/MRunText.h"
#include "app/reports/MReportFormats.h"

namespace ksv940 {

namespace {

using ordered_json = nlohmann::ordered_json;

template <class T>
ordered_json OrNull(const std::optional<T>& value) {
  return value ? ordered_json(*value) : ordered_json(nullptr);
}

ordered_json TextOrNull(const std::string& sText) {
  return sText.empty() ? ordered_json(nullptr) : ordered_json(sText);
}

ordered_json ErrorJson(const std::optional<SRunError>& error) {
  if (!error) {
    return nullptr;
  }
  ordered_json json;
  json["number"] = error->lNumber;
  json["description"] = error->sDescription;
  return json;
}

ordered_json StepJson(const SStepRecord& step) {
  ordered_json json;
  json["index"] = step.lIndex;
  json["kind"] = KindName(step.esk);
  json["name"] = step.sName;
  json["id"] = OrNull(step.lId);
  json["pc"] = OrNull(step.lPc);
  json["ap"] = OrNull(step.sAp);
  json["nap"] = OrNull(step.sNap);
  json["lead"] = OrNull(step.iLead);
  json["state"] = StateText(step.ess);
  json["value"] = OrNull(step.dValue);
  json["unknown"] = step.sUnknown;
  json["suffix"] = step.sSuffix;
  json["unit"] = step.sUnit;
  json["display"] = PersonDisplay(step);
  json["reply"] = OrNull(step.sReply);
  if (step.Previous()) {
    json["previous"] = {{"value", step.Previous()->dValue},
                        {"display", step.Previous()->sDisplay},
                        {"date", step.Previous()->sStarted},
                        {"trend", TextOrNull(step.sTrend)}};
  } else {
    json["previous"] = nullptr;
  }
  json["min"] = OrNull(step.dMin);
  json["max"] = OrNull(step.dMax);
  json["verdict"] = TextOrNull(VerdictText(step.esv));
  json["error"] = ErrorJson(step.error);
  json["started"] = TextOrNull(step.sStarted);
  json["seconds"] = OrNull(step.dSeconds);
  return json;
}

}  // namespace

std::string JsonReport(const SRunRecord& record) {
  ordered_json json;
  json["report_id"] = record.sReportId;
  json["plan"] = {{"name", record.sPlanName},
                  {"file", record.sPlanFile},
                  {"path", TextOrNull(record.sPlanPath)},
                  {"sha256", TextOrNull(record.sPlanSha256)}};
  ordered_json device = ordered_json::object();
  for (const std::string& sField : CDeviceUnderTest::Fields()) {
    device[sField] = OrNull(record.device.Get(sField));
  }
  json["device"] = device;
  json["tester"] = TextOrNull(record.sTester);
  json["link"] = record.sLink;
  if (record.fIdentified) {
    json["analyzer"] = {
        {"model", record.sModel}, {"serial", record.sSerial}, {"firmware", record.sFirmware}};
  } else {
    json["analyzer"] = nullptr;
  }
  ordered_json options = ordered_json::object();
  for (const SOptionValue& option : record.vOptions) {
    options[option.sName] =
        option.fBoolean ? ordered_json(option.lValue != 0) : ordered_json(option.lValue);
  }
  json["options"] = options;
  json["started"] = TextOrNull(record.sStarted);
  json["finished"] = TextOrNull(record.sFinished);
  json["outcome"] = OutcomeText(record.ero);
  json["verdict"] = RunVerdictText(RunVerdict(record));
  json["remarks"] = record.vRemarks;
  json["error"] = ErrorJson(record.connectionError);
  json["steps"] = ordered_json::array();
  for (const SStepRecord& step : record.vSteps) {
    json["steps"].push_back(StepJson(step));
  }
  // Text from the analyzer may hold any byte: invalid UTF-8 is replaced, never a failed report.
  return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace ksv940
