#include "app/store/CResultsStore.h"

#include <stdlib.h>

#include <map>
#include <nlohmann/json.hpp>
#include <tuple>

#include "app/store/CPostgresConnection.h"
#include "app/store/CSqliteConnection.h"
#include "app/store/CStoreError.h"
#include "app/store/MStoreSchema.h"

namespace ksv940 {

namespace {

template <class T>
SqlValue Bound(const std::optional<T>& value) {
  if (!value) {
    return std::monostate();
  }
  if constexpr (std::is_same_v<T, std::string>) {
    return *value;
  } else if constexpr (std::is_floating_point_v<T>) {
    return static_cast<double>(*value);
  } else {
    return static_cast<int64_t>(*value);
  }
}

// Reads one row's columns in order.
class CRowReader {
 public:
  explicit CRowReader(const SqlRow& row) : mRow(row) {}
  std::string Text() {
    const std::string* ps = std::get_if<std::string>(&mRow.at(mnNext++));
    return ps != nullptr ? *ps : std::string();
  }
  std::optional<std::string> OptionalText() {
    const std::string* ps = std::get_if<std::string>(&mRow.at(mnNext++));
    return ps != nullptr ? std::optional<std::string>(*ps) : std::nullopt;
  }
  std::optional<int32_t> OptionalInt() {
    const int64_t* pl = std::get_if<int64_t>(&mRow.at(mnNext++));
    return pl != nullptr ? std::optional<int32_t>(static_cast<int32_t>(*pl)) : std::nullopt;
  }
  int64_t Int() { return OptionalInt().value_or(0); }
  std::optional<double> OptionalReal() {
    const SqlValue& value = mRow.at(mnNext++);
    if (const double* pd = std::get_if<double>(&value)) {
      return *pd;
    }
    // SQLite keeps a whole real number that was bound as a real as a real, but be sure.
    if (const int64_t* pl = std::get_if<int64_t>(&value)) {
      return static_cast<double>(*pl);
    }
    return std::nullopt;
  }

 private:
  const SqlRow& mRow;
  size_t mnNext = 0;
};

constexpr const char* kRunColumns =
    "id, report_id, plan_name, plan_file, plan_sha256, device_asset, device_manufacturer, "
    "device_model, device_serial, device_location, device_class, device_type, tester, "
    "analyzer_model, analyzer_serial, analyzer_firmware, link, options, started, finished, "
    "outcome, "
    "verdict";

constexpr const char* kStepColumns =
    "idx, kind, name, test_id, pc, ap, nap, lead, state, value, unknown, suffix, unit, display, "
    "min, "
    "max, verdict, error_number, error_description, remark, reply, started, seconds";

std::string OptionsText(const SStoredRun& run) {
  nlohmann::json options = nlohmann::json::array();
  for (const auto& [sName, sValue] : run.vOptions) {
    options.push_back({sName, sValue});
  }
  return options.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::vector<std::pair<std::string, std::string>> OptionsFrom(const std::string& sText) {
  std::vector<std::pair<std::string, std::string>> vOptions;
  nlohmann::json options = nlohmann::json::parse(sText, nullptr, false);
  if (options.is_array()) {
    for (const nlohmann::json& option : options) {
      if (option.is_array() && option.size() == 2 && option[0].is_string() &&
          option[1].is_string()) {
        vOptions.emplace_back(option[0].get<std::string>(), option[1].get<std::string>());
      }
    }
  }
  return vOptions;
}

SStoredRun RunFrom(const SqlRow& row) {
  CRowReader read(row);
  SStoredRun run;
  read.Int();  // the run's number
  run.sReportId = read.Text();
  run.sPlanName = read.Text();
  run.sPlanFile = read.Text();
  run.sPlanSha256 = read.Text();
  SStoredDevice& device = run.device;
  for (std::string* ps :
       {&device.sAsset, &device.sManufacturer, &device.sModel, &device.sSerial, &device.sLocation,
        &device.sClass, &device.sType, &run.sTester, &run.sAnalyzerModel, &run.sAnalyzerSerial,
        &run.sAnalyzerFirmware, &run.sLink}) {
    *ps = read.Text();
  }
  run.vOptions = OptionsFrom(read.Text());
  run.sStarted = read.Text();
  run.sFinished = read.Text();
  run.sOutcome = read.Text();
  run.sVerdict = read.Text();
  return run;
}

// The device's columns a --device NAME=VALUE may name.
std::string DeviceColumn(const std::string& sName) {
  for (const auto& field : SStoredDevice::Fields()) {
    if (sName == field.first) {
      return "device_" + sName;
    }
  }
  throw CStoreError("no device field " + sName +
                    ": asset, manufacturer, model, serial, location, class or type");
}

}  // namespace

std::unique_ptr<IResultsStore> IResultsStore::Open(const std::string& sWhere, std::ostream& notes) {
  std::unique_ptr<ISqlConnection> pConnection;
  if (CPostgresConnection::IsUrl(sWhere)) {
    pConnection = std::make_unique<CPostgresConnection>(sWhere);
  } else {
    pConnection = std::make_unique<CSqliteConnection>(sWhere, notes, IsNetworkFileSystem(sWhere));
  }
  return std::make_unique<CResultsStore>(std::move(pConnection), sWhere);
}

std::string IResultsStore::DefaultWhere() {
  const char* pszData = getenv("XDG_DATA_HOME");
  if (pszData != nullptr && *pszData == '/') {
    return std::string(pszData) + "/ksv940/results.db";
  }
  const char* pszHome = getenv("HOME");
  return std::string(pszHome != nullptr ? pszHome : "") + "/.local/share/ksv940/results.db";
}

std::string IResultsStore::ChosenWhere(const std::string& sDb) {
  if (!sDb.empty()) {
    return sDb;
  }
  const char* pszDb = getenv("KSV940_DB");
  return pszDb != nullptr && *pszDb != '\0' ? pszDb : DefaultWhere();
}

CResultsStore::CResultsStore(std::unique_ptr<ISqlConnection> pConnection, std::string sWhere)
    : mpConnection(std::move(pConnection)), msWhere(std::move(sWhere)) {
  PrepareSchema(*mpConnection, msWhere);
}

int64_t CResultsStore::BeginRun(const SStoredRun& run) {
  const SStoredDevice& device = run.device;
  std::vector<SqlRow> vRows = mpConnection->Query(
      "INSERT INTO runs (report_id, plan_name, plan_file, plan_sha256, device_asset, "
      "device_manufacturer, device_model, device_serial, device_location, device_class, "
      "device_type, tester, analyzer_model, analyzer_serial, analyzer_firmware, link, options, "
      "started, finished, outcome, verdict) "
      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id",
      {run.sReportId,
       run.sPlanName,
       run.sPlanFile,
       run.sPlanSha256,
       device.sAsset,
       device.sManufacturer,
       device.sModel,
       device.sSerial,
       device.sLocation,
       device.sClass,
       device.sType,
       run.sTester,
       run.sAnalyzerModel,
       run.sAnalyzerSerial,
       run.sAnalyzerFirmware,
       run.sLink,
       OptionsText(run),
       run.sStarted,
       run.sFinished.empty() ? SqlValue() : SqlValue(run.sFinished),
       run.sOutcome,
       run.sVerdict});
  return std::get<int64_t>(vRows.at(0).at(0));
}

void CResultsStore::AddStep(int64_t lRun, const SStoredStep& step) {
  // One statement is one transaction: the step is in the store, or not at all.
  InsertStep(lRun, step);
}

void CResultsStore::InsertStep(int64_t lRun, const SStoredStep& step) {
  mpConnection->Query(
      "INSERT INTO steps (run_id, idx, kind, name, test_id, pc, ap, nap, lead, state, value, "
      "unknown, suffix, unit, display, min, max, verdict, error_number, error_description, remark, "
      "reply, started, seconds) "
      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
      {lRun,
       int64_t{step.lIndex},
       step.sKind,
       step.sName,
       Bound(step.lId),
       Bound(step.lPc),
       Bound(step.sAp),
       Bound(step.sNap),
       Bound(step.lLead),
       step.sState,
       Bound(step.dValue),
       step.sUnknown,
       step.sSuffix,
       step.sUnit,
       step.sDisplay,
       Bound(step.dMin),
       Bound(step.dMax),
       step.sVerdict,
       Bound(step.lErrorNumber),
       step.sErrorDescription,
       step.sRemark,
       step.sReply,
       step.sStarted.empty() ? SqlValue() : SqlValue(step.sStarted),
       Bound(step.dSeconds)});
}

void CResultsStore::EndRun(int64_t lRun, const SStoredRun& run) {
  mpConnection->Query("BEGIN");
  try {
    for (const SStoredStep& step : run.vSteps) {
      InsertStep(lRun, step);
    }
    mpConnection->Query(
        "UPDATE runs SET analyzer_model = ?, analyzer_serial = ?, analyzer_firmware = ?, "
        "options = ?, finished = ?, outcome = ?, verdict = ? WHERE id = ?",
        {run.sAnalyzerModel, run.sAnalyzerSerial, run.sAnalyzerFirmware, OptionsText(run),
         run.sFinished.empty() ? SqlValue() : SqlValue(run.sFinished), run.sOutcome, run.sVerdict,
         lRun});
    mpConnection->Query("COMMIT");
  } catch (const CStoreError&) {
    // The run stays as its last whole write left it: incomplete, with the steps that ran.
    try {
      mpConnection->Query("ROLLBACK");
    } catch (const CStoreError&) {
      // A connection that is gone has ended the transaction itself.
    }
    throw;
  }
}

std::vector<SPreviousValue> CResultsStore::EarlierValues(int64_t lRun, const SStoredDevice& device,
                                                         const SStoredStep& step, int32_t lAtMost) {
  std::vector<SPreviousValue> vEarlier;
  if (!device.Known() || !step.lId || !step.lPc) {
    return vEarlier;
  }
  std::string sSql =
      "SELECT s.value, s.display, r.started FROM runs r JOIN steps s ON s.run_id = r.id WHERE ";
  std::vector<SqlValue> vParams;
  if (!device.sAsset.empty()) {
    sSql += "r.device_asset = ?";
    vParams = {device.sAsset};
  } else {
    sSql += "r.device_manufacturer = ? AND r.device_model = ? AND r.device_serial = ?";
    vParams = {device.sManufacturer, device.sModel, device.sSerial};
  }
  sSql +=
      " AND r.id <> ? AND s.test_id = ? AND s.pc = ? AND COALESCE(s.ap, '') = ? AND "
      "COALESCE(s.nap, '') = ? AND COALESCE(s.lead, -1) = ? AND s.state = 'completed' AND "
      "s.value IS NOT NULL ORDER BY r.started DESC, r.id DESC LIMIT ?";
  vParams.insert(vParams.end(),
                 {lRun, int64_t{*step.lId}, int64_t{*step.lPc}, step.sAp.value_or(""),
                  step.sNap.value_or(""), int64_t{step.lLead.value_or(-1)}, int64_t{lAtMost}});
  for (const SqlRow& row : mpConnection->Query(sSql, vParams)) {
    CRowReader read(row);
    SPreviousValue& earlier = vEarlier.emplace_back();
    earlier.dValue = read.OptionalReal().value_or(0.0);
    earlier.sDisplay = read.Text();
    earlier.sStarted = read.Text();
  }
  return vEarlier;
}

std::vector<SStoredStep> CResultsStore::Steps(int64_t lRun) {
  std::vector<SStoredStep> vSteps;
  for (const SqlRow& row : mpConnection->Query(
           std::string("SELECT ") + kStepColumns + " FROM steps WHERE run_id = ? ORDER BY idx",
           {lRun})) {
    CRowReader read(row);
    SStoredStep& step = vSteps.emplace_back();
    step.lIndex = static_cast<int32_t>(read.Int());
    step.sKind = read.Text();
    step.sName = read.Text();
    step.lId = read.OptionalInt();
    step.lPc = read.OptionalInt();
    step.sAp = read.OptionalText();
    step.sNap = read.OptionalText();
    step.lLead = read.OptionalInt();
    step.sState = read.Text();
    step.dValue = read.OptionalReal();
    step.sUnknown = read.Text();
    step.sSuffix = read.Text();
    step.sUnit = read.Text();
    step.sDisplay = read.Text();
    step.dMin = read.OptionalReal();
    step.dMax = read.OptionalReal();
    step.sVerdict = read.Text();
    step.lErrorNumber = read.OptionalInt();
    step.sErrorDescription = read.Text();
    step.sRemark = read.Text();
    step.sReply = read.Text();
    step.sStarted = read.Text();
    step.dSeconds = read.OptionalReal();
  }
  return vSteps;
}

std::vector<SStoredRun> CResultsStore::Runs(const SRunQuery& query) {
  std::string sSql = std::string("SELECT ") + kRunColumns + " FROM runs WHERE 1 = 1";
  std::vector<SqlValue> vParams;
  if (query.sAsset) {
    sSql += " AND device_asset = ?";
    vParams.emplace_back(*query.sAsset);
  }
  if (!query.sSince.empty()) {
    sSql += " AND started >= ?";
    vParams.emplace_back(query.sSince);
  }
  if (!query.sVerdict.empty()) {
    sSql += " AND verdict = ?";
    vParams.emplace_back(query.sVerdict);
  }
  for (const auto& [sName, sValue] : query.vDevice) {
    sSql += " AND " + DeviceColumn(sName) + " = ?";
    vParams.emplace_back(sValue);
  }
  sSql += " ORDER BY started DESC, id DESC";
  // One asset may have been given to more than one device: the count is per device then.
  if (query.lLast && !query.sAsset) {
    sSql += " LIMIT ?";
    vParams.emplace_back(int64_t{*query.lLast});
  }
  std::vector<SStoredRun> vRuns;
  std::map<std::tuple<std::string, std::string, std::string>, int32_t> mapPerDevice;
  for (const SqlRow& row : mpConnection->Query(sSql, vParams)) {
    SStoredRun run = RunFrom(row);
    if (query.lLast && query.sAsset &&
        ++mapPerDevice[{run.device.sManufacturer, run.device.sModel, run.device.sSerial}] >
            *query.lLast) {
      continue;
    }
    if (query.fSteps) {
      run.vSteps = Steps(std::get<int64_t>(row.front()));
    }
    vRuns.push_back(std::move(run));
  }
  return vRuns;
}

}  // namespace ksv940
