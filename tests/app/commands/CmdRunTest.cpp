#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <regex>

#include "app/commands/MCommandLine.h"
#include "app/run/IWallClock.h"
#include "app/store/CSqliteConnection.h"
#include "app/store/IResultsStore.h"
#include "declares/GDeclares.h"
#include "testing/CLoopbackBridge.h"
#include "testing/CRig.h"
#include "testing/CTempDir.h"
#include "testing/MGolden.h"
#include "testing/MRunCommand.h"

namespace ksv940 {
namespace {

using nlohmann::json;
using test::SRun;

// 2024-05-17 09:30:00 UTC at virtual time 0, shown two hours east.
class CFixedWallClock : public IWallClock {
 public:
  int64_t NowEpochUs() const override {
    return 1'715'938'200'000'000LL + CContext::Get<CMessagePump>().Clock().NowUs();
  }
  int32_t UtcOffsetSeconds(int64_t) const override { return 7200; }
};

std::string ReadFile(const std::string& sPath) {
  std::ifstream in(sPath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct SPlanRun {
  std::shared_ptr<test::CTempDir> pDir;  // the plan and the reports
  SRun run;
  std::string sSent;  // what the analyzer received, ESC as \e
  json report;
};

// The plan: a zeroing, an earth leakage test with a limit, an enclosure leakage test.
constexpr const char* kPlan = R"(<KSV940Plan name="Two leakages">
  <Calibrate/>
  <KSV940Test ID="8" PC="3" AP="all" max="500"/>
  <KSV940Test ID="9" PC="3" AP="1" name="Enclosure, NC" min="12"/>
</KSV940Plan>
)";

const std::string kConnect = test::Handshake();
constexpr const char* kZero = "eres=low\r\nrwire=2\r\nzero\r\n";
constexpr const char* kEnclosure =
    "std=none\r\nencl\r\nearth=c\r\nstat2\r\nneut=c\r\nmode=acdc\r\nap=1\r\nmdual=off\r\nmread\r\n"
    "\\e\r\n";
using test::kEarthLeakageSetUp;
using test::kEndRemote;
using test::kReading;

// A ksv940 command in this process on virtual time, the simulated analyzer on port 5. In vArgs
// "PLAN" stands for a file holding sPlan, "DIR/" for the test's directory and "BRIDGE" for the
// address of a wireless bridge with no analyzer behind it.
SPlanRun RunCommand(std::vector<std::string> vArgs, const std::string& sScenario,
                    const std::string& sPlan = kPlan, int64_t lInterruptAtUs = -1,
                    const std::function<void(const test::CTempDir&)>& fnOnCommand = {},
                    const std::string& sWhen = {}) {
  unsetenv("KSV940_WIFI");
  unsetenv("KSV940_TESTER");
  setenv("LC_ALL", "C", 1);  // units and the dash as plain ASCII
  SPlanRun result;
  result.pDir = std::make_shared<test::CTempDir>();
  const test::CTempDir& dir = *result.pDir;
  test::CLoopbackBridge bridge;
  test::CRig rig(CSimScenario::Parse(sScenario));
  rig.ctx.Scope().Set<IWallClock>(std::make_shared<CFixedWallClock>());
  if (lInterruptAtUs >= 0) {
    rig.At(lInterruptAtUs, [] { raise(SIGINT); });
  }
  rig.sim.SetMonitor([&](bool fFromHost, std::string_view) {
    // Once, when the analyzer has received sWhen.
    result.sSent += fFromHost ? rig.TakeSent() : "";
    if (fnOnCommand && result.sSent.ends_with("\n" + sWhen + "\r\n")) {
      fnOnCommand(dir);
    }
  });
  for (std::string& sArg : vArgs) {
    if (sArg == "PLAN") {
      sArg = dir.Write("plan.xml", sPlan);
    } else if (sArg.rfind("DIR/", 0) == 0) {
      sArg = dir.PathOf(sArg.substr(4));
    } else if (sArg == "BRIDGE") {
      sArg = bridge.msAddress;
    }
  }
  // A run keeps its results in a store of the test's own, never in the person's home.
  if (vArgs.front() == "run" && std::find(vArgs.begin(), vArgs.end(), "--no-db") == vArgs.end() &&
      std::find(vArgs.begin(), vArgs.end(), "--db") == vArgs.end()) {
    vArgs.insert(vArgs.end(), {"--db", dir.PathOf("results.db")});
  }
  result.run = test::RunInProcess(vArgs);
  result.sSent += rig.TakeSent();
  std::string sJson = ReadFile(dir.PathOf("r.json"));
  result.report = sJson.empty() ? json() : json::parse(sJson);
  return result;
}

// The steps' states, blank-separated.
std::string StatesOf(const json& report) {
  std::string sStates;
  for (const json& step : report["steps"]) {
    sStates += (sStates.empty() ? "" : " ") + step["state"].get<std::string>();
  }
  return sStates;
}

TEST(CmdRun, EachWayARunEndsShowsInTheTableTheExitCodeTheLineAndTheReport) {
  const std::string kDone = "1/3  Zero the test leads              0.000 Ohm AC+DC     completed\n";
  const std::string kLeakage = kDone + "2/3  Earth leakage, normal condition  ";
  const std::string kEncl =
      "3/3  Enclosure, NC                    12 uA AC+DC         completed      pass\n";
  const std::string kComm = "The test could not be completed due to a communication error\n";
  const std::string kFailedOne =
      "Verdict: FAIL - 3 steps: 0 within limits, 1 without limits, 0 outside, 1 failed, 1 not "
      "run\n";
  const std::string kSerial = kConnect + kZero;
  struct SRow {
    const char* szScenario;
    std::string sArgs;  // after --operator, blank-separated
    int iExit;
    std::string sOut;
    std::string sSent;  // not checked when empty
    std::string sStates;
    std::string sOutcome;
  };
  const std::vector<SRow> rows = {
      {"", "auto", 0,
       kLeakage + "250 uA AC+DC        completed      pass\n" + kEncl +
           "Verdict: PASS - 3 steps: 2 within limits, 1 without limits, 0 outside, 0 failed\n",
       kSerial + kEarthLeakageSetUp + kReading + kEnclosure + kEndRemote,
       "completed completed completed", "completed"},
      {"reading earthl 0.65mA", "auto", 5,
       kLeakage + "650 uA AC+DC        completed      FAIL  above max 500 uA\n" + kEncl +
           "Verdict: FAIL - 3 steps: 1 within limits, 1 without limits, 1 outside, 0 failed\n",
       "", "completed completed completed", "out of limits"},
      // Values equal to a limit pass (the enclosure's is its min).
      {"reading earthl 0.5mA", "auto", 0,
       kLeakage + "500 uA AC+DC        completed      pass\n" + kEncl +
           "Verdict: PASS - 3 steps: 2 within limits, 1 without limits, 0 outside, 0 failed\n",
       "", "completed completed completed", "completed"},
      // A failed step outweighs a value outside its limits.
      {"reading earthl 0.65mA\non encl every error 30", "auto --keep-going", 1,
       kLeakage + "650 uA AC+DC        completed      FAIL  above max 500 uA\n3/3  Enclosure, NC" +
           std::string(40, ' ') + "not performed  " + kComm +
           "Verdict: FAIL - 3 steps: 0 within limits, 1 without limits, 1 outside, 1 failed\n",
       "", "completed completed not performed", "failed"},
      {"", "auto --wifi BRIDGE", 4,
       "Verdict: INCOMPLETE - 3 steps: 0 within limits, 0 without limits, 0 outside, 0 failed, 3 "
       "not run\n",
       "", "not run not run not run", "no analyzer"},
      // An error reply mid-test stops the plan; nothing goes out after the failed exchange.
      {"on mdual every error 30", "auto", 1,
       kLeakage + "                    not performed  " + kComm + kFailedOne,
       kSerial + kEarthLeakageSetUp + "mdual=off\r\nmdual=off\r\nmdual=off\r\n",
       "completed not performed not run", "failed"},
      // A reply that is not a reading fails its step, whatever the plug-in made of it (0).
      {"reading earthl 0,25mA", "auto", 1,
       kLeakage +
           "                    unreadable     FAIL  the analyzer's reply \"0,25mA\" is not "
           "a reading\n" +
           kFailedOne,
       "", "completed unreadable not run", "failed"},
      {"on earthl every silent", "auto", 1,
       kLeakage +
           "                    not performed  Instrument is not responding, Please "
           "restart the instrument.\n" +
           kFailedOne,
       kSerial + "std=none\r\nearthl\r\nearthl\r\nearthl\r\n", "completed not performed not run",
       "failed"},
      // --keep-going runs the next step after a failed one, whose standard command the latch of
      // the failed exchange skips.
      {"on earthl every error 30", "auto --keep-going", 1,
       kLeakage + "                    not performed  " + kComm + kEncl +
           "Verdict: FAIL - 3 steps: 1 within limits, 1 without limits, 0 outside, 1 failed\n",
       kSerial +
           "std=none\r\nearthl\r\nearthl\r\nearthl\r\nencl\r\nearth=c\r\nstat2\r\npol=off\r\n"
           "pol=n\r\nneut=c\r\nmode=acdc\r\nap=1\r\nmdual=off\r\nmread\r\n\\e\r\n" +
           kEndRemote,
       "completed not performed completed", "failed"},
      // Stop Test in a dialog starts no further step.
      {"", "auto:stop --set StopAfterNewPC=true", 3,
       kLeakage + "                    not performed  stopped by the operator\n" +
           "Verdict: INCOMPLETE - 3 steps: 0 within limits, 1 without limits, 0 outside, 0 "
           "failed, 1 stopped, 1 not run\n",
       kSerial + kEarthLeakageSetUp + kEndRemote, "completed not performed not run", "stopped"}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.sArgs + " " + row.szScenario);
    std::vector<std::string> vArgs = {"run", "PLAN", "--report", "DIR/r.json", "--operator"};
    std::istringstream args(row.sArgs);
    for (std::string sArg; args >> sArg;) {
      vArgs.push_back(sArg);
    }
    if (row.sArgs.find("--wifi") == std::string::npos) {
      vArgs.insert(vArgs.end(), {"--port", "5"});
    }
    SPlanRun r = RunCommand(vArgs, row.szScenario);
    EXPECT_EQ(r.run.iExit, row.iExit) << r.run.sErr;
    EXPECT_EQ(r.run.sOut, row.sOut);
    if (!row.sSent.empty()) {
      EXPECT_EQ(r.sSent, row.sSent);
    }
    EXPECT_EQ(StatesOf(r.report), row.sStates);
    EXPECT_EQ(r.report["outcome"], row.sOutcome);
    EXPECT_NE(r.run.sErr.find("Outcome: " + row.sOutcome + "\n"), std::string::npos) << r.run.sErr;
  }
}

TEST(CmdRun, CtrlCGivesUpTheConnectionOrEndsTheRunningStepAndStartsNoOther) {
  // While connecting, and in the power-on delay of the second step.
  for (int64_t lInterruptAtUs : {500'000, 1'500'000}) {
    SCOPED_TRACE(lInterruptAtUs);
    bool fConnecting = lInterruptAtUs == 500'000;
    SPlanRun r =
        RunCommand({"run", "PLAN", "--port", "5", "--operator", "auto", "--report", "DIR/r.json"},
                   fConnecting ? "on stat every silent" : "", kPlan, lInterruptAtUs);
    EXPECT_EQ(r.run.iExit, ecxUserAbort);
    EXPECT_EQ(r.report["outcome"], "interrupted");
    EXPECT_EQ(r.report["verdict"], "incomplete");
    if (fConnecting) {
      EXPECT_EQ(r.run.sOut,
                "Verdict: INCOMPLETE - 3 steps: 0 within limits, 0 without limits, 0 outside, 0 "
                "failed, 3 not run\n");
      EXPECT_EQ(StatesOf(r.report), "not run not run not run");
      EXPECT_EQ(r.report["error"]["number"], errVTI_UserAbort);
      continue;
    }
    EXPECT_EQ(r.run.sOut,
              "1/3  Zero the test leads              0.000 Ohm AC+DC     completed\n"
              "2/3  Earth leakage, normal condition                      not performed  "
              "interrupted\nVerdict: INCOMPLETE - 3 steps: 0 within limits, 1 without limits, 0 "
              "outside, 0 failed, 1 stopped, 1 not run\n");
    EXPECT_EQ(StatesOf(r.report), "completed not performed not run");
    // The plug-in skips the rest of the test; the run ends remote operation as always.
    EXPECT_EQ(r.sSent, kConnect + kZero + kEarthLeakageSetUp + kEndRemote);
  }
}

TEST(CmdRun, ReportsAreRewrittenAfterEachStepAndHoldTheRecord) {
  std::string sPlan = kPlan;
  sPlan.replace(sPlan.find("Enclosure, NC"), 13, "Enclosure, &quot;NC&quot;");
  sPlan.replace(sPlan.find("<Calibrate/>"), 12,
                "<Device model=\"Pump 7\" type=\"BF\"/>\n  <Calibrate name=\"Zero&#10;leads\"/>");
  json midRun;
  std::string sMidJUnit;
  SPlanRun r = RunCommand(
      {"run",       "PLAN",      "--port",       "5",          "--operator",
       "auto",      "--report",  "DIR/r.json",   "--report",   "DIR/r.csv",
       "--report",  "DIR/r.xml", "--report",     "DIR/r.html", "--tester",
       "A. Tester", "--device",  "asset=INV-17", "--device",   "type=CF"},
      "reading earthl 0.65mA", sPlan, -1,
      [&](const test::CTempDir& dir) {
        midRun = json::parse(ReadFile(dir.PathOf("r.json")));
        sMidJUnit = ReadFile(dir.PathOf("r.xml"));
      },
      "encl");
  // When the third step has begun, the report holds the first two and says the third runs: a run
  // killed now reads as one that did not finish, in JUnit as errors.
  EXPECT_EQ(StatesOf(midRun), "completed completed running");
  EXPECT_EQ(midRun["verdict"], "fail");
  EXPECT_NE(sMidJUnit.find("tests=\"4\" failures=\"1\" errors=\"2\" skipped=\"0\""),
            std::string::npos)
      << sMidJUnit;
  EXPECT_NE(sMidJUnit.find("<error message=\"the run did not finish\" type=\"incomplete\" />"),
            std::string::npos);
  EXPECT_EQ(midRun["outcome"], "incomplete");
  EXPECT_EQ(midRun["finished"], nullptr);
  EXPECT_EQ(midRun["steps"][2]["started"], "2024-05-17T11:30:04+02:00");

  EXPECT_EQ(r.run.iExit, ecxOutOfLimits);
  // Every report carries the run's id, the device (the plan's, --device over it), the tester and
  // the verdict; the plan file is named by its absolute path and SHA-256.
  const std::string sId = r.report["report_id"];
  EXPECT_TRUE(std::regex_match(
      sId, std::regex("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}")));
  EXPECT_EQ(r.report["device"], json::parse(R"({"asset": "INV-17", "manufacturer": null,
      "model": "Pump 7", "serial": null, "location": null, "class": null, "type": "CF"})"));
  EXPECT_EQ(r.report["tester"], "A. Tester");
  EXPECT_EQ(r.report["verdict"], "fail");
  EXPECT_EQ(r.report["plan"]["path"], r.pDir->PathOf("plan.xml"));
  EXPECT_EQ(r.report["plan"]["sha256"].get<std::string>().size(), 64u);
  EXPECT_EQ(r.report["link"], "serial:/dev/ttyS4");
  EXPECT_EQ(r.report["analyzer"],
            json::parse(R"({"model": "KSV 940", "serial": "K9400123", "firmware": "1.20"})"));
  EXPECT_EQ(r.report["options"].size(), 21u);
  EXPECT_EQ(r.report["options"]["StopAfterNewPC"], false);
  EXPECT_EQ(r.report["options"]["DelayTimePowerOn"], 2);
  EXPECT_EQ(r.report["started"], "2024-05-17T11:30:00+02:00");
  EXPECT_EQ(r.report["finished"], "2024-05-17T11:30:06+02:00");
  EXPECT_EQ(r.report["steps"][1], json::parse(R"({
      "index": 2, "kind": "test", "name": "Earth leakage, normal condition", "id": 8, "pc": 3,
      "ap": "all", "nap": "", "lead": -1, "state": "completed", "value": 650.0, "unknown": "",
      "suffix": "AC+DC", "unit": "uA", "display": "650 µA AC+DC", "reply": "0.65mA",
      "min": null, "max": 500.0,
      "verdict": "fail", "error": null, "started": "2024-05-17T11:30:00+02:00",
      "seconds": 3.743, "previous": null})"));
  EXPECT_EQ(r.report["steps"][0]["kind"], "calibrate");

  test::CTempDir& dir = *r.pDir;
  const std::string sRunColumns = "," + sId + ",fail,A. Tester,INV-17,,Pump 7,,,,CF,,,,\r\n";
  EXPECT_EQ(ReadFile(dir.PathOf("r.csv")),
            "index,kind,name,id,pc,ap,nap,lead,state,value,unknown,suffix,unit,display,min,max,"
            "verdict,error_number,error_description,started,seconds,reply,report_id,run_verdict,"
            "tester,device_asset,device_manufacturer,device_model,device_serial,device_location,"
            "device_class,device_type,previous_value,previous_display,previous_date,trend\r\n"
            "1,calibrate,\"Zero\nleads\",,,,,,completed,0,,AC+DC,Ohm,0.000 Ω AC+DC,,,,,,"
            "2024-05-17T11:30:00+02:00,0.012,0.000" +
                sRunColumns +
                "2,test,\"Earth leakage, normal condition\",8,3,all,,-1,completed,650,,AC+DC,uA,"
                "650 µA AC+DC,,500,fail,,,2024-05-17T11:30:00+02:00,3.743,0.65mA" +
                sRunColumns +
                "3,test,\"Enclosure, \"\"NC\"\"\",9,3,1,,1,completed,12,,AC+DC,uA,12 µA AC+DC,12,,"
                "pass,,,2024-05-17T11:30:04+02:00,1.939,12uA" +
                sRunColumns);
  std::string sJUnit = ReadFile(dir.PathOf("r.xml"));
  EXPECT_NE(sJUnit.find("<testsuite name=\"Two leakages\" tests=\"3\" failures=\"1\" errors=\"0\" "
                        "skipped=\"0\""),
            std::string::npos)
      << sJUnit;
  EXPECT_NE(sJUnit.find("<failure message=\"above max 500 uA\" type=\"out of limits\" />"),
            std::string::npos);
  for (const std::string& sProperty : std::vector<std::string>{
           "report.id\" value=\"" + sId, std::string("verdict\" value=\"fail"),
           std::string("tester\" value=\"A. Tester"), std::string("device.type\" value=\"CF")}) {
    EXPECT_NE(sJUnit.find("<property name=\"" + sProperty + "\" />"), std::string::npos)
        << sProperty;
  }
  // One page that needs nothing from elsewhere, with the verdict in words.
  std::string sHtml = ReadFile(dir.PathOf("r.html"));
  EXPECT_EQ(sHtml.find("<script"), std::string::npos);
  EXPECT_EQ(sHtml.find("src="), std::string::npos);
  EXPECT_EQ(sHtml.find("href="), std::string::npos);
  EXPECT_NE(sHtml.find("<td class=\"verdict\">FAIL</td><td>above max 500 µA</td>"),
            std::string::npos);
  EXPECT_NE(sHtml.find("Enclosure, &quot;NC&quot;"), std::string::npos);
  for (const std::string& sText : std::vector<std::string>{
           "<div class=\"verdict-box\">Verdict: FAIL</div>",
           "650 µA AC+DC<br><span class=\"reply\">reply: 0.65mA",
           "<tr><th>Model</th><td>Pump 7</td></tr>", "<tr><th>Serial</th><td class=\"blank\"></td>",
           "Tested by: A. Tester</td>", "--report-id: \"" + sId,
           "<td>Test standard</td><td>none (none)</td>",
           "<td>Stop after a power change</td><td>no</td>", "<td>Measurement</td><td>AC+DC</td>",
           "counter(page) \" of \" counter(pages)"}) {
    EXPECT_NE(sHtml.find(sText), std::string::npos) << sText;
  }
}

TEST(CmdRun, AReportThatCannotBeWrittenStopsTheRunBeforeItOrFailsItAfterwards) {
  SPlanRun before = RunCommand({"run", "PLAN", "--port", "5", "--report", "DIR/none/r.csv"}, "");
  EXPECT_EQ(before.run.iExit, ecxUsage);
  EXPECT_EQ(before.sSent, "");
  EXPECT_NE(before.run.sErr.find("the report " + before.pDir->PathOf("none/r.csv")),
            std::string::npos)
      << before.run.sErr;
  // Made a folder when the third step begins: the run goes on, and a run out of limits fails.
  SPlanRun during = RunCommand(
      {"run", "PLAN", "--port", "5", "--operator", "auto", "--report", "DIR/r.json", "--report",
       "DIR/r.csv"},
      "reading earthl 0.65mA", kPlan, -1,
      [](const test::CTempDir& dir) {
        std::filesystem::remove(dir.PathOf("r.csv"));
        std::filesystem::create_directory(dir.PathOf("r.csv"));
      },
      "encl");
  EXPECT_EQ(during.run.iExit, ecxFailure);
  EXPECT_EQ(StatesOf(during.report), "completed completed completed");
  EXPECT_EQ(during.report["outcome"], "out of limits");
  EXPECT_NE(during.run.sErr.find("the report " + during.pDir->PathOf("r.csv")), std::string::npos);
}

TEST(CmdRun, AStoreWriteThatFailsMidRunIsToldOnceTheRunGoesOnAndFails) {
  struct SCase {
    const char* pszFailsFrom;  // the command after which the store refuses every step
    int64_t lInterruptAtUs;
    int iExit;
    std::string sStates;
    size_t nStored;  // steps in the store
  };
  for (const SCase& c : std::vector<SCase>{
           {"mread", -1, ecxFailure, "completed completed completed", 1},
           // An operator's stop outranks the failed store.
           {"zero", 1'500'000, ecxUserAbort, "completed not performed not run", 0}}) {
    SCOPED_TRACE(c.pszFailsFrom);
    SPlanRun r = RunCommand(
        {"run", "PLAN", "--port", "5", "--operator", "auto", "--report", "DIR/r.json"},
        "reading earthl 0.2mA", kPlan, c.lInterruptAtUs,
        [](const test::CTempDir& dir) {
          std::ostringstream notes;
          CSqliteConnection(dir.PathOf("results.db"), notes, false)
              .Query(
                  "CREATE TRIGGER IF NOT EXISTS full BEFORE INSERT ON steps BEGIN SELECT "
                  "RAISE(ABORT, 'database or disk is full'); END");
        },
        c.pszFailsFrom);
    EXPECT_EQ(r.run.iExit, c.iExit);
    std::string sTold = "ksv940 run: the results store " + r.pDir->PathOf("results.db") +
                        " cannot be read or written: database or disk is full; the run goes on "
                        "without the store\n";
    size_t nAt = r.run.sErr.find(sTold);
    EXPECT_NE(nAt, std::string::npos) << r.run.sErr;
    EXPECT_EQ(r.run.sErr.find(sTold, nAt + 1), std::string::npos) << "told twice";
    EXPECT_EQ(StatesOf(r.report), c.sStates);
    // The store keeps the run as far as it could: incomplete, with the steps before the failure.
    std::ostringstream notes;
    SRunQuery query;
    query.fSteps = true;
    std::vector<SStoredRun> vRuns =
        IResultsStore::Open(r.pDir->PathOf("results.db"), notes)->Runs(query);
    ASSERT_EQ(vRuns.size(), 1u);
    EXPECT_EQ(vRuns[0].sOutcome, "incomplete");
    EXPECT_EQ(vRuns[0].vSteps.size(), c.nStored);
  }
}

TEST(CmdRun, ADryRunPrintsEachStepAndItsSequenceAndSendsNothing) {
  // Equal limits are accepted; an unnamed plan is named after its file, without the folder.
  const std::string kPlanText = R"(<KSV940Plan>
  <Calibrate/>
  <KSV940Test ID="8" PC="3" AP="all" min="5" max="5"/>
</KSV940Plan>
)";
  SPlanRun r = RunCommand({"run", "PLAN", "--dry-run", "--set", "measType=1"}, "", kPlanText);
  EXPECT_EQ(r.run.iExit, ecxOk) << r.run.sErr;
  EXPECT_EQ(r.sSent, "");
  EXPECT_EQ(r.run.sOut,
            "Plan: plan.xml (" + r.pDir->PathOf("plan.xml") +
                "), 2 steps\n\n1/2 Zero the test leads\n  zeroes the test leads "
                "(Calibrate)\n\n2/2 Earth leakage, normal condition\n  test 8 "
                "etcEarthLeak, power configuration 3 epcNC, lead -1, AP \"all\", NAP "
                "\"\"\n  limits: 5 to 5 uA\n   0  #stop=bpc\n   1  earthl\n   2  pol=n\n   3  "
                "#stop=apc\n   4  "
                "neut=c\n   5  mode=ac\n   6  ap=all\n   7  #stop=apc\n   8  mdual=off\n "
                "  9  #wait=500\n  10  #many\n");
  // Also for a path without a folder.
  std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(r.pDir->PathOf(""));
  test::SRun relative = test::RunInProcess({"run", "plan.xml", "--dry-run"});
  std::filesystem::current_path(cwd);
  EXPECT_EQ(relative.sOut.substr(0, relative.sOut.find('\n')),
            "Plan: plan.xml (plan.xml), 2 steps");
}

TEST(CmdRun, EachValueStandsBesideTheDevicesLastOneInTheStore) {
  test::CTempDir store;
  std::vector<std::string> vArgs = {"run",        "PLAN",     "--port",   "5",
                                    "--operator", "auto",     "--report", "DIR/r.json",
                                    "--device",   "asset=A1", "--db",     store.PathOf("r.db")};
  EXPECT_EQ(RunCommand(vArgs, "reading earthl 0.2mA").run.iExit, 0);
  SPlanRun second = RunCommand(vArgs, "reading earthl 0.35mA");
  EXPECT_EQ(second.run.iExit, 0) << second.run.sErr;
  EXPECT_NE(second.run.sOut.find("350 uA AC+DC        completed      pass  was 200 uA AC+DC on "
                                 "2024-05-17, +150 uA  worse since 2024-05-17 (+150 uA)\n"),
            std::string::npos)
      << second.run.sOut;
  EXPECT_EQ(second.report["steps"][1]["previous"],
            json({{"value", 200},
                  {"display", "200 uA AC+DC"},
                  {"date", "2024-05-17T09:30:00Z"},
                  {"trend", "worse since 2024-05-17 (+150 uA)"}}));
  EXPECT_EQ(second.report["steps"][2]["previous"]["trend"], nullptr);  // no limits
  SRun history = test::RunInProcess({"history", "--asset", "A1", "--db", store.PathOf("r.db")});
  EXPECT_NE(history.sOut.find("350 uA AC+DC pass  200 uA AC+DC pass"), std::string::npos)
      << history.sOut;
  // A third run's report charts the device's whole history of the test beside its value.
  vArgs.insert(vArgs.end(), {"--report", "DIR/r.html"});
  SPlanRun third = RunCommand(vArgs, "reading earthl 0.3mA");
  std::string sHtml = ReadFile(third.pDir->PathOf("r.html"));
  EXPECT_NE(sHtml.find("<title>3 values in \xC2\xB5"
                       "A</title>"),
            std::string::npos)
      << sHtml;

  // A store that cannot be opened ends the run before anything is sent.
  std::string sBad = store.PathOf("r.db/x");
  SPlanRun refused = RunCommand({"run", "PLAN", "--port", "5", "--db", sBad}, "");
  EXPECT_EQ(refused.run.iExit, 2);
  EXPECT_EQ(refused.sSent, "");
  EXPECT_EQ(refused.run.sErr,
            "ksv940 run: the results store " + sBad + " cannot be made: Not a directory\n");
}

TEST(CmdRun, AMalformedPlanIsRefusedWithItsFileAndLineAndNothingIsSent) {
  struct SRow {
    std::string sPlan;  // the lines inside <KSV940Plan>
    std::vector<std::string> vArgs;
    std::string sError;  // after "plan.xml:"
  };
  const std::vector<SRow> rows = {
      {"  <Calibrate>", {}, "3: not well-formed XML: Start-end tags mismatch"},
      {"  <KSV940Test ID=\"eight\" PC=\"3\"/>",
       {},
       "2: <KSV940Test ID=\"eight\" PC=\"3\">: Type mismatch"},
      {"  <Calibrate/>\n  <KSV940Test ID=\"2\" PC=\"3\"/>",
       {},
       "3: <KSV940Test ID=\"2\" PC=\"3\">: The selected test (TestNo = 2, Power Config = 3, Lead "
       "No = -1) is not a valid KSV940 test and cannot be performed."},
      {"  <Options measType=\"ac\"/>\n  <Calibrate/>",
       {},
       "2: measType takes the integer value of an enumeration member (32-bit), not \"ac\""},
      {"  <Options measType=\"7\" TestStandard=\"-2\"/>\n  <Calibrate/>",
       {},
       "2: measType must be 0 (AC+DC), 1 (AC) or 2 (DC), not 7\n"
       "plan.xml:2: TestStandard must be -1 (user defined), 0 (none), 1 (AAMI), 2 (IEC 60601), 3 "
       "(IEC 61010), 4 (IEC 62353) or 5 (AS/NZS 3551), not -2"},
      // Every fault is named, up to 20, in the order of the file.
      {"  <Calibrate x=\"1\"/>\n  <KSV940Test ID=\"8\" PC=\"1\"/>\n  <Calibrate/>",
       {},
       "2: <Calibrate> has no attribute \"x\"; it takes name\n"
       "plan.xml:3: <KSV940Test ID=\"8\" PC=\"1\">: The selected test (TestNo = 8, Power Config = "
       "1, Lead No = -1) is not a valid KSV940 test and cannot be performed."},
      {std::string(21, 'x'), {}, "FAULTS"},
      {"\n  <KSV940Test ID=\"8\" PC=\"3\" max=\"0,5\"/>",
       {},
       "3: <KSV940Test ID=\"8\" PC=\"3\">: max \"0,5\" is not a number (digits with \".\" for "
       "decimals)"},
      {"  <KSV940Test ID=\"24\" PC=\"3\" max=\"1\"/>",
       {},
       "2: ECG simulation, normal condition: the test takes no reading, so it has no min or max"},
      // The options in force are the command line's too: the sequence cannot be built.
      {"  <KSV940Test ID=\"24\" PC=\"3\"/>",
       {"--set", "ECGDuration=33"},
       "2: ECG simulation, normal condition: The micro sequence stored as 8024 is invalid. The "
       "test cannot be run.\\n\\nMicro sequence: "
       "#stop=bpc;ecg;#stop=ecg;CPL30;#wait=%T;quit;exit;#done\\nInvalid/missing directive: "},
      {"  <Options measType=\"1\"/>", {}, "1: the plan has no steps"},
      {"  <Options measType=\"1\"/>\n  <Options/>\n  <Calibrate/>",
       {},
       "3: a second <Options>; give every option in one"}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.sPlan);
    std::vector<std::string> vArgs = {"run", "PLAN", "--port", "5", "--report", "DIR/r.json"};
    vArgs.insert(vArgs.end(), row.vArgs.begin(), row.vArgs.end());
    std::string sPlan = row.sPlan;
    std::string sError = row.sError;
    if (sError == "FAULTS") {  // 21 elements the plan does not know: 20 named, one counted
      sPlan.clear();
      sError.clear();
      for (int i = 2; i <= 22; ++i) {
        sPlan += "  <Zero/>\n";
        sError += i > 21 ? " 1 more fault not shown"
                         : std::to_string(i) +
                               ": unknown element <Zero>; a plan holds <Options>, <Device>, "
                               "<Calibrate>, <KSV940Test> and <HighVoltageCheck>\nplan.xml:";
      }
    }
    SPlanRun r = RunCommand(vArgs, "", "<KSV940Plan>\n" + sPlan + "\n</KSV940Plan>\n");
    EXPECT_EQ(r.run.iExit, ecxUsage);
    std::string sPath = r.pDir->PathOf("plan.xml");
    for (size_t n = 0; (n = sError.find("plan.xml", n)) != std::string::npos; n += sPath.size()) {
      sError.replace(n, 8, sPath);
    }
    EXPECT_EQ(r.run.sErr, sPath + ":" + sError + "\n");
    EXPECT_EQ(r.run.sOut, "");
    EXPECT_EQ(r.sSent, "");
    EXPECT_EQ(r.report, nullptr);
  }
}

// Each mistake on the command line, and each link that cannot be used, gets its exit code and says
// what is wrong. "DIR/" in the expected text stands for the test's directory.
TEST(CommandLine, EachMistakeGetsItsExitCodeAndSaysWhatIsWrong) {
  const std::string kTestStandards =
      "-1 (user defined), 0 (none), 1 (AAMI), 2 (IEC 60601), 3 (IEC 61010), 4 (IEC 62353) or 5 "
      "(AS/NZS 3551), not 9";
  struct SRow {
    std::vector<std::string> vArgs;
    int iExit;
    std::string sErr;  // the whole of stderr, or a part of it where fWhole is false
    bool fWhole = true;
    std::string sOut = "";  // "HELP": what "run --help" prints
  };
  const std::vector<SRow> rows = {
      {{"rnu"}, ecxUsage, "ksv940: unknown command \"rnu\"; did you mean \"run\"?\n"},
      {{"frobnicate", "--port", "5"},
       ecxUsage,
       "ksv940: unknown command \"frobnicate\"; the commands are run, calibrate, hv, history, "
       "connect, "
       "dialog, explain, query, send, sim (ksv940 --help says more)\n"},
      {{"help", "run"}, ecxOk, "", true, "HELP"},
      {{"--version"}, ecxOk, "", true, "ksv940 1.0.0\n"},
      {{"connect", "--wifi", "nohost"}, ecxUsage, "--wifi: \"nohost\" is not HOST:PORT\n", false},
      {{"run", "PLAN", "--wifi", "127.0.0.1:99999"},
       ecxUsage,
       "--wifi: the port of \"127.0.0.1:99999\" must be 1 to 65535, not \"99999\"\n",
       false},
      {{"run", "PLAN", "--port", "5", "--set", "TestStandard=9"},
       ecxUsage,
       "--set: TestStandard must be " + kTestStandards + "\n",
       false},
      {{"hv", "--port", "5", "--set", "measType=7"},
       ecxUsage,
       "--set: measType must be 0 (AC+DC), 1 (AC) or 2 (DC), not 7\n",
       false},
      {{"run", "DIR/", "--dry-run"}, ecxUsage, "DIR/: cannot be read: Is a directory\n"},
      {{"run", "DIR/none.xml", "--dry-run"},
       ecxUsage,
       "DIR/none.xml: cannot be read: No such file or directory\n"},
      // A bridge that refuses the connection is not a bridge without an analyzer (4).
      {{"connect", "--wifi", "127.0.0.1:1", "--operator", "auto"},
       ecxUnreachable,
       "ksv940 connect: the wireless bridge at 127.0.0.1:1 cannot be reached: Connection "
       "refused\n"},
      {{"run", "PLAN", "--wifi", "127.0.0.1:1", "--operator", "auto", "--report", "DIR/r.json"},
       ecxUnreachable,
       "ksv940 run: no connection: the wireless bridge at 127.0.0.1:1 cannot be reached: "
       "Connection refused\n",
       false,
       "Verdict: INCOMPLETE - 3 steps: 0 within limits, 0 without limits, 0 outside, 0 failed, "
       "3 not run\n"},
      {{"connect", "--port", "DIR/tty", "--operator", "auto"},
       ecxFailure,
       "\nksv940 connect: port ",
       false},
      {{"calibrate", "--port", "DIR/tty", "--operator", "auto"},
       ecxFailure,
       " (DIR/tty) cannot be opened: No such file or directory\n",
       false}};
  const std::string sHelp = test::RunInProcess({"run", "--help"}).sOut;
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.vArgs[0] + " " + (row.vArgs.size() > 1 ? row.vArgs[1] : ""));
    SPlanRun r = RunCommand(row.vArgs, "");
    std::string sErr = row.sErr;
    for (size_t n = 0; (n = sErr.find("DIR/", n)) != std::string::npos;) {
      sErr.replace(n, 4, r.pDir->PathOf(""));
      n += r.pDir->PathOf("").size();
    }
    EXPECT_EQ(r.run.iExit, row.iExit);
    if (row.fWhole) {
      EXPECT_EQ(r.run.sErr, sErr);
    } else {
      EXPECT_NE(r.run.sErr.find(sErr), std::string::npos) << r.run.sErr;
    }
    EXPECT_EQ(r.run.sOut, row.sOut == "HELP" ? sHelp : row.sOut);
    EXPECT_EQ(r.sSent, "");
    if (!r.report.is_null()) {
      EXPECT_EQ(r.report["outcome"], "unreachable");
    }
  }
  EXPECT_NE(sHelp.find("--dry-run"), std::string::npos);
}

// --dry-run sends nothing and shows each step with its limits and the sequence it would run.
TEST(CmdRun, ADryRunShowsTheStepsWithTheirLimits) {
  SPlanRun r = RunCommand({"run", "PLAN", "--dry-run"}, "",
                          "<KSV940Plan name=\"One\">\n  <KSV940Test ID=\"2\" PC=\"1\" "
                          "min=\"0.01\" max=\"0.3\"/>\n</KSV940Plan>\n");
  EXPECT_EQ(r.run.iExit, ecxOk) << r.run.sErr;
  EXPECT_EQ(r.run.sOut.substr(0, r.run.sOut.find('\n')),
            "Plan: One (" + r.pDir->PathOf("plan.xml") + "), 1 step");
  EXPECT_NE(r.run.sOut.find("\n  limits: 0.01 to 0.3 Ohm\n   0  #stop=bpc\n"), std::string::npos)
      << r.run.sOut;
  EXPECT_EQ(r.sSent, "");
}

// The sample plan of the demo: every test code once, each answered by the simulated analyzer.
// The sample plans pass on the simulated analyzer: every test code once, and the recurrent test
// of a class I, type BF device with its limits, the device and the tester.
TEST(CmdRun, TheSamplePlansPassOnTheSimulatedAnalyzer) {
  struct SRow {
    const char* szPlan;
    std::vector<std::string> vArgs;
    size_t nSteps;
  };
  const SRow rows[] = {{"sample.xml", {}, 26}, {"class1-bf.xml", {"--tester", "A. Jansen"}, 12}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szPlan);
    std::vector<std::string> vArgs = {"run",        "PLAN", "--port",   "5",
                                      "--operator", "auto", "--report", "DIR/r.json"};
    vArgs.insert(vArgs.end(), row.vArgs.begin(), row.vArgs.end());
    SPlanRun r =
        RunCommand(vArgs, "", ReadFile(KSV940_SOURCE_DIR "/plans/" + std::string(row.szPlan)));
    EXPECT_EQ(r.run.iExit, 0) << r.run.sErr;
    EXPECT_EQ(r.report["outcome"], "completed");
    EXPECT_EQ(r.report["verdict"], "pass");
    EXPECT_EQ(r.report["steps"].size(), row.nSteps);
    for (const json& step : r.report["steps"]) {
      EXPECT_EQ(step["state"], "completed") << step["name"];
      EXPECT_EQ(step["error"], nullptr) << step["name"];
    }
    if (!row.vArgs.empty()) {
      EXPECT_EQ(r.report["tester"], "A. Jansen");
      EXPECT_EQ(r.report["device"]["class"], "I");
      EXPECT_EQ(r.report["device"]["type"], "BF");
    }
  }
}

TEST(CmdCalibrateAndHv, ConnectDoTheOneOperationAndEndRemoteOperation) {
  struct SRow {
    std::string sCommand;
    const char* szScenario;
    int iExit;
    std::string sOut;
    std::string sErr;
    std::string sSent;
  };
  const std::vector<SRow> rows = {
      {"calibrate", "", 0, "Zero reading: 0.000 Ohm AC+DC (completed)\n", "",
       kConnect + kZero + kEndRemote},
      {"hv", "", 0, "High voltage: off\n", "",
       kConnect + "\\e\r\nstat2\r\n\\e\r\nstat1\r\nstat3\r\nlocal\r\n"},
      {"hv", "high-voltage on", 1, "",
       "Orvex KSV940 Plug-In Response: The test instrument is busy and can not perform the "
       "requested operation.\n",
       kConnect + "\\e\r\nstat2\r\n\\e\r\nstat1\r\nstat3\r\nlocal\r\n"}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.sCommand + " " + row.szScenario);
    SPlanRun r = RunCommand({row.sCommand, "--port", "5", "--operator", "auto"}, row.szScenario);
    EXPECT_EQ(r.run.iExit, row.iExit);
    EXPECT_EQ(r.run.sOut, row.sOut);
    EXPECT_EQ(r.run.sErr, row.sErr);
    EXPECT_EQ(r.sSent, row.sSent);
  }
}

}  // namespace
}  // namespace ksv940
