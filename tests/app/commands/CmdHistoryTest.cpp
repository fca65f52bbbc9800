#include <gtest/gtest.h>

#include <sstream>

#include "app/store/IResultsStore.h"
#include "testing/CTempDir.h"
#include "testing/MRunCommand.h"

namespace ksv940 {
namespace {

// Two runs of one device a year apart, the second worse, and a run of another device.
class CmdHistoryTest : public testing::Test {
 protected:
  void SetUp() override {
    std::ostringstream notes;
    auto pStore = IResultsStore::Open(msDb, notes);
    for (auto [pszStarted, dValue, pszVerdict, pszAsset] :
         {std::tuple{"2023-05-17T07:30:05Z", 120.0, "pass", "A1"},
          std::tuple{"2024-05-17T07:30:05Z", 640.0, "fail", "A1"},
          std::tuple{"2024-06-01T10:00:00Z", 80.0, "pass", "B2"}}) {
      SStoredRun run;
      run.sReportId = std::string("id-") + pszStarted;
      run.sPlanName = "Recurrent";
      run.device.sAsset = pszAsset;
      run.device.sModel = "Pump";
      run.sTester = "J. Smith";
      run.sStarted = pszStarted;
      run.sOutcome = pszVerdict == std::string("pass") ? "completed" : "out of limits";
      run.sVerdict = pszVerdict;
      int64_t lRun = pStore->BeginRun(run);
      SStoredStep step;
      step.lIndex = 1;
      step.sKind = "test";
      step.sName = "Earth leakage";
      step.lId = 8;
      step.lPc = 3;
      step.sAp = "all";
      step.sNap = "";
      step.lLead = 1;
      step.sState = "completed";
      step.dValue = dValue;
      step.sUnit = "uA";
      step.dMax = 500;
      step.sDisplay = std::to_string(static_cast<int>(dValue)) + " uA AC+DC";
      step.sVerdict = dValue > 500 ? "fail" : "pass";
      pStore->AddStep(lRun, step);
      SStoredStep hv;
      hv.lIndex = 2;
      hv.sKind = "hv";
      hv.sName = "HV check";
      hv.sState = "completed";
      pStore->AddStep(lRun, hv);
      pStore->EndRun(lRun, run);
    }
  }
  test::CTempDir mDir;
  std::string msDb = mDir.PathOf("results.db");
};

TEST_F(CmdHistoryTest, AssetTableHasARowPerTestAndAColumnPerRunNewestFirst) {
  // Units as a person reads them on a UTF-8 console, the columns kept by the characters shown.
  for (auto [pszLocale, pszUnit] : {std::pair{"C", "uA"}, std::pair{"C.UTF-8",
                                                                    "\xC2\xB5"
                                                                    "A"}}) {
    SCOPED_TRACE(pszLocale);
    setenv("LC_ALL", pszLocale, 1);
    std::string sUnit = pszUnit;
    test::SRun run = test::RunInProcess({"history", "--asset", "A1", "--db", msDb});
    EXPECT_EQ(run.iExit, 0) << run.sErr;
    EXPECT_EQ(run.sOut,
              "Device: asset A1, model Pump\n"
              "Run            2024-05-17         2023-05-17\n"
              "Verdict        fail               pass\n"
              "Tester         J. Smith           J. Smith\n"
              "Earth leakage  640 " +
                  sUnit + " AC+DC fail  120 " + sUnit + " AC+DC pass\n");
    EXPECT_EQ(test::RunInProcess({"history", "--asset", "A1", "--db", msDb, "--last", "1"}).sOut,
              "Device: asset A1, model Pump\n"
              "Run            2024-05-17\n"
              "Verdict        fail\n"
              "Tester         J. Smith\n"
              "Earth leakage  640 " +
                  sUnit + " AC+DC fail\n");
  }
  setenv("LC_ALL", "C", 1);
}

TEST_F(CmdHistoryTest, RunsAcrossDevicesFilteredNewestFirst) {
  struct SCase {
    std::vector<std::string> vFilter;
    std::vector<std::string> vReportIds;
  };
  for (const SCase& c : std::vector<SCase>{
           {{}, {"2024-06-01", "2024-05-17", "2023-05-17"}},
           {{"--verdict", "pass"}, {"2024-06-01", "2023-05-17"}},
           {{"--since", "2024-01-01", "--device", "asset=A1"}, {"2024-05-17"}},
           {{"--device", "model=Pump", "--last", "1"}, {"2024-06-01"}},
       }) {
    std::vector<std::string> vArgs = {"history", "--runs", "--db", msDb};
    vArgs.insert(vArgs.end(), c.vFilter.begin(), c.vFilter.end());
    SCOPED_TRACE(testing::PrintToString(vArgs));
    test::SRun run = test::RunInProcess(vArgs);
    EXPECT_EQ(run.iExit, 0) << run.sErr;
    // Each run's line ends in its report id, "id-" and its start.
    std::string sIds, sExpected;
    for (size_t nAt = 0; (nAt = run.sOut.find("id-", nAt)) != std::string::npos; nAt += 3) {
      sIds += run.sOut.substr(nAt + 3, 10) + " ";
    }
    for (const std::string& sId : c.vReportIds) {
      sExpected += sId + " ";
    }
    EXPECT_EQ(sIds, sExpected);
  }
}

TEST_F(CmdHistoryTest, PageChartsEachTestWithItsLimitAndTheValueOutsideItAsACross) {
  test::SRun run = test::RunInProcess({"history", "--asset", "A1", "--db", msDb, "--html", "-"});
  EXPECT_EQ(run.iExit, 0) << run.sErr;
  EXPECT_NE(run.sOut.find("<h3>Earth leakage</h3><svg"), std::string::npos);
  EXPECT_NE(run.sOut.find("class=\"limit\""), std::string::npos);
  EXPECT_NE(run.sOut.find("<circle class=\"inside\""), std::string::npos);
  EXPECT_NE(run.sOut.find("<path class=\"outside\""), std::string::npos);
  EXPECT_NE(run.sOut.find("<title>2024-05-17: 640 \xC2\xB5"
                          "A (outside its limits)</title>"),
            std::string::npos);
}

TEST_F(CmdHistoryTest, BadUsageAndAMissingStore) {
  struct SCase {
    std::vector<std::string> vArgs;
    int iExit;
    std::string sErr;
  };
  for (const SCase& c : std::vector<SCase>{
           {{"history", "--db", msDb}, 2, "ksv940 history: give one of --asset ASSET and --runs\n"},
           {{"history", "--asset", "A1", "--db", mDir.PathOf("none.db")},
            1,
            "ksv940 history: there is no results store at " + mDir.PathOf("none.db") + "\n"},
       }) {
    SCOPED_TRACE(c.sErr);
    test::SRun run = test::RunInProcess(c.vArgs);
    EXPECT_EQ(run.iExit, c.iExit);
    EXPECT_EQ(run.sErr, c.sErr);
  }
}

}  // namespace
}  // namespace ksv940
