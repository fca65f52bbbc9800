// The results store's costs, with Google Benchmark:
// - one step as a run keeps it: the device's earlier values of the test read, and the step written
//   in a transaction of its own committed to the disk; on an SQLite file (WAL, synchronous FULL)
//   that already holds 100 000 runs of 5 000 devices, and on an empty database of a PostgreSQL
//   server of the benchmark's own (fsync on, synchronous commit); median and 99th percentile;
// - `ksv940 history --asset` (the store's query and the table's text) on an SQLite store of
//   100 000 runs of 5 000 devices, made once under build/ and kept.
// Prints each figure beside its goal after Google Benchmark's own table.
//
//   build/StoreBench            about a minute the first time (the large store), then seconds

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/store/IResultsStore.h"
#include "app/store/MHistory.h"
#include "testing/CPostgresServer.h"
#include "testing/CTempDir.h"

using namespace ksv940;

namespace {

constexpr int kRuns = 100'000;
constexpr int kDevices = 5'000;
constexpr int kStepsPerRun = 8;

std::map<std::string, std::vector<double>>& Samples() {
  static std::map<std::string, std::vector<double>> mapSamples;
  return mapSamples;
}

SStoredStep TypicalStep(int32_t lIndex) {
  SStoredStep step;
  step.lIndex = lIndex;
  step.sKind = "test";
  step.sName = "Earth leakage, normal condition";
  step.lId = 8;
  step.lPc = (lIndex % 4) + 1;
  step.sAp = "all";
  step.sNap = "";
  step.lLead = 1;
  step.sState = "completed";
  step.dValue = 250.0 + lIndex;
  step.sSuffix = "AC+DC";
  step.sUnit = "uA";
  step.sDisplay = std::to_string(250 + lIndex) + " uA AC+DC";
  step.dMax = 500;
  step.sVerdict = "pass";
  step.sReply = "earthl " + std::to_string(250 + lIndex) + "uA";
  step.sStarted = "2026-12-06T10:00:00Z";
  step.dSeconds = 3.2;
  return step;
}

SStoredRun TypicalRun(int iRun, int iDevice) {
  SStoredRun run;
  run.sReportId = "run-" + std::to_string(iRun);
  run.sPlanName = "Recurrent test, class I BF";
  run.sPlanFile = "/srv/plans/class1bf.xml";
  run.sPlanSha256 = std::string(64, 'a');
  run.device = {"A" + std::to_string(iDevice),
                "Maker",
                "Infusion pump",
                "SN" + std::to_string(iDevice),
                "Ward 3",
                "I",
                "BF"};
  run.sTester = "J. Smith";
  run.sLink = "simulated";
  // Dates spread over the years: run n of a device is n weeks after the first.
  int iWeek = iRun / kDevices;
  char szStarted[32];
  std::snprintf(szStarted, sizeof szStarted, "%04d-%02d-%02dT09:00:00Z", 2010 + iWeek / 52,
                (iWeek % 52) / 5 + 1, (iWeek % 5) * 5 + 1);
  run.sStarted = szStarted;
  run.sFinished = szStarted;
  run.sOutcome = "completed";
  run.sVerdict = "pass";
  return run;
}

void StepCost(benchmark::State& state, IResultsStore& store, const std::string& sName) {
  // Device A0: 20 earlier runs in the large store.
  SStoredRun run = TypicalRun(0, 0);
  int64_t lRun = store.BeginRun(run);
  std::vector<double>& vMs = Samples()[sName];
  int32_t lIndex = 0;
  for (auto _ : state) {
    SStoredStep step = TypicalStep(++lIndex);
    auto start = std::chrono::steady_clock::now();
    // As a run keeps a step: its earlier values (ten, for the report's chart), then the step.
    std::vector<SPreviousValue> vEarlier = store.EarlierValues(lRun, run.device, step, 10);
    benchmark::DoNotOptimize(vEarlier);
    store.AddStep(lRun, step);
    double dSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(dSeconds);
    vMs.push_back(dSeconds * 1e3);
  }
}

// The large store is made in one transaction straight through SQLite, in the store's own schema:
// through the store, each step would be a durable commit and the making would take hours.
std::string LargeStore() {
  std::string sPath = std::string(KSV940_BINARY_DIR) + "/store-100k.db";
  if (std::filesystem::exists(sPath)) {
    return sPath;
  }
  std::string sNew = sPath + ".new";
  std::filesystem::remove(sNew);
  std::ostringstream notes;
  IResultsStore::Open(sNew, notes);  // the schema
  sqlite3* pDb = nullptr;
  sqlite3_open(sNew.c_str(), &pDb);
  sqlite3_exec(pDb, "PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* pRun = nullptr;
  sqlite3_stmt* pStep = nullptr;
  sqlite3_prepare_v2(pDb,
                     "INSERT INTO runs (id, report_id, plan_name, plan_file, plan_sha256, "
                     "device_asset, device_manufacturer, device_model, device_serial, "
                     "device_location, device_class, device_type, tester, analyzer_model, "
                     "analyzer_serial, analyzer_firmware, link, options, started, finished, "
                     "outcome, verdict) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'KSV940', "
                     "'1234', '1.0', ?, '[]', ?, ?, ?, ?)",
                     -1, &pRun, nullptr);
  sqlite3_prepare_v2(pDb,
                     "INSERT INTO steps (run_id, idx, kind, name, test_id, pc, ap, nap, lead, "
                     "state, value, unknown, suffix, unit, display, max, verdict, "
                     "error_description, reply, started, seconds) VALUES (?, ?, 'test', ?, ?, ?, "
                     "?, '', ?, ?, ?, '', ?, ?, ?, ?, ?, '', ?, ?, ?)",
                     -1, &pStep, nullptr);
  auto text = [](sqlite3_stmt* p, int i, const std::string& s) {
    sqlite3_bind_text(p, i, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
  };
  for (int iRun = 1; iRun <= kRuns; ++iRun) {
    SStoredRun run = TypicalRun(iRun, iRun % kDevices);
    sqlite3_bind_int(pRun, 1, iRun);
    int i = 2;
    for (const std::string& s :
         {run.sReportId, run.sPlanName, run.sPlanFile, run.sPlanSha256, run.device.sAsset,
          run.device.sManufacturer, run.device.sModel, run.device.sSerial, run.device.sLocation,
          run.device.sClass, run.device.sType, run.sTester, run.sLink, run.sStarted, run.sFinished,
          run.sOutcome, run.sVerdict}) {
      text(pRun, i++, s);
    }
    sqlite3_step(pRun);
    sqlite3_reset(pRun);
    for (int32_t lIndex = 1; lIndex <= kStepsPerRun; ++lIndex) {
      SStoredStep step = TypicalStep(lIndex);
      sqlite3_bind_int(pStep, 1, iRun);
      sqlite3_bind_int(pStep, 2, lIndex);
      text(pStep, 3, step.sName);
      sqlite3_bind_int(pStep, 4, *step.lId);
      sqlite3_bind_int(pStep, 5, *step.lPc);
      text(pStep, 6, *step.sAp);
      sqlite3_bind_int(pStep, 7, *step.lLead);
      text(pStep, 8, step.sState);
      sqlite3_bind_double(pStep, 9, *step.dValue + iRun % 7);
      text(pStep, 10, step.sSuffix);
      text(pStep, 11, step.sUnit);
      text(pStep, 12, step.sDisplay);
      sqlite3_bind_double(pStep, 13, *step.dMax);
      text(pStep, 14, step.sVerdict);
      text(pStep, 15, step.sReply);
      text(pStep, 16, step.sStarted);
      sqlite3_bind_double(pStep, 17, *step.dSeconds);
      sqlite3_step(pStep);
      sqlite3_reset(pStep);
    }
  }
  sqlite3_finalize(pRun);
  sqlite3_finalize(pStep);
  sqlite3_exec(pDb, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
  sqlite3_close(pDb);
  std::filesystem::rename(sNew, sPath);
  return sPath;
}

void BM_StepSqlite(benchmark::State& state) {
  // A copy of the large store in a temporary folder: on the machine's disk, where a commit's sync
  // costs what it does.
  test::CTempDir dir;
  std::filesystem::copy_file(LargeStore(), dir.PathOf("results.db"));
  std::ostringstream notes;
  auto pStore = IResultsStore::Open(dir.PathOf("results.db"), notes);
  StepCost(state, *pStore, "step, SQLite, 100 000 runs");
}

void BM_StepPostgres(benchmark::State& state) {
  test::CPostgresServer server(true);
  if (!server.Problem().empty()) {
    state.SkipWithError(("PostgreSQL not measured: " + server.Problem()).c_str());
    return;
  }
  std::ostringstream notes;
  auto pStore = IResultsStore::Open(server.NewDatabase("bench"), notes);
  StepCost(state, *pStore, "step, PostgreSQL");
}

void BM_HistoryAsset(benchmark::State& state) {
  std::string sPath = LargeStore();
  std::vector<double>& vMs = Samples()["history --asset, 100 000 runs"];
  int iDevice = 0;
  for (auto _ : state) {
    // As the command does it: open the store, read the device's last 10 runs, make the table.
    auto start = std::chrono::steady_clock::now();
    std::ostringstream notes;
    SRunQuery query;
    query.sAsset = "A" + std::to_string(iDevice++ * 7919 % kDevices);
    query.lLast = 10;
    query.fSteps = true;
    std::string sText = HistoryText(IResultsStore::Open(sPath, notes)->Runs(query), false);
    benchmark::DoNotOptimize(sText);
    double dSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(dSeconds);
    vMs.push_back(dSeconds * 1e3);
  }
}

BENCHMARK(BM_StepSqlite)->UseManualTime()->Iterations(400)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepPostgres)->UseManualTime()->Iterations(400)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryAsset)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

double Percentile(std::vector<double> vMs, double dShare) {
  std::sort(vMs.begin(), vMs.end());
  return vMs[static_cast<size_t>(dShare * static_cast<double>(vMs.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::map<std::string, double> mapGoalMs = {{"step, SQLite, 100 000 runs", 2.0},
                                             {"history --asset, 100 000 runs", 100.0}};
  for (const auto& [sName, vMs] : Samples()) {
    if (vMs.empty()) {
      continue;
    }
    double dMedian = Percentile(vMs, 0.5);
    std::printf("%-32s median %.3f ms, p99 %.3f ms", sName.c_str(), dMedian, Percentile(vMs, 0.99));
    auto it = mapGoalMs.find(sName);
    if (it != mapGoalMs.end()) {
      std::printf(" (goal: median under %.0f ms) -> %s", it->second,
                  dMedian < it->second ? "met" : "NOT met");
    }
    std::printf("\n");
  }
  return 0;
}
