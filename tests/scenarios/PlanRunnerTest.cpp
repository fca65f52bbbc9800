#include <gtest/gtest.h>

#include <sstream>

#include "app/commands/MCommandLine.h"
#include "app/plan/COptionSettings.h"
#include "app/record/MRunText.h"
#include "app/reports/CReportSet.h"
#include "app/run/CPlanRunner.h"
#include "model/CKsvTestOptions.h"
#include "model/GDeclares.h"
#include "testing/CRig.h"
#include "testing/CTempDir.h"

namespace ksv940 {
namespace {

using test::CRig;

// Interrupts the run (as Ctrl-C does) when the first step has ended, before the next begins.
class CInterruptAfterFirstStep : public IRunObserver {
 public:
  void StepEnded(const SRunRecord& /*record*/, size_t nStep) override {
    if (pRunner != nullptr && nStep == 0) {
      pRunner->Interrupt();
    }
  }
  CPlanRunner* pRunner = nullptr;
};

TEST(PlanRunner, AnInterruptBetweenStepsOrAStopOnTheWirelessLinkStartsNoFurtherStep) {
  struct SRow {
    const char* szWhat;
    test::ERigLink erl;
    bool fInterrupt;
    std::vector<std::string> vStates;
    std::string sSent;
    int32_t lError;  // of the first step; 0 for none
  };
  const std::vector<SRow> rows = {
      {"interrupted between the steps",
       test::erlSerial,
       true,
       {"completed", "not run"},
       "std=none\r\nearthl\r\nstat2\r\npol=off\r\npol=n\r\nneut=c\r\nmode=acdc\r\nap=all\r\n"
       "mdual=off\r\nmread\r\n\\e\r\n\\e\r\nstat1\r\nexit\r\nstat3\r\nlocal\r\n",
       0},
      {"Stop Test on the wireless link",
       test::erlWireless,
       false,
       {"aborted", "not run"},
       "",
       errVTI_UserAbort}};
  test::CTempDir dir;
  std::string sPlan = dir.Write("plan.xml", R"(<KSV940Plan>
  <KSV940Test ID="8" PC="3" AP="all"/>
  <KSV940Test ID="9" PC="3" AP="1"/>
</KSV940Plan>)");
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szWhat);
    CRig rig(CSimScenario(), row.erl);
    if (row.fInterrupt) {
      rig.ctx.Operator().ThenLetItRun();
    } else {
      rig.pVti->testOptions()->SetStopAfterNewPC(true);
      rig.ctx.Operator().Then(eoaStop, 1000);
    }
    CTestPlan plan = CTestPlan::Read(sPlan, COptionSettings());
    std::ostringstream err;
    CReportSet reports({}, err);
    CInterruptAfterFirstStep observer;
    CPlanRunner runner(*rig.pVti, rig.guide, plan, reports, observer);
    observer.pRunner = row.fInterrupt ? &runner : nullptr;
    int iExit = runner.Run(row.erl == test::erlSerial ? CRig::kPort : -1, "rig", false);
    EXPECT_EQ(iExit, ecxUserAbort);
    EXPECT_EQ(runner.Record().ero, row.fInterrupt ? eroInterrupted : eroStopped);
    std::vector<std::string> vStates;
    for (const SStepRecord& step : runner.Record().vSteps) {
      vStates.push_back(StateText(step.ess));
    }
    EXPECT_EQ(vStates, row.vStates);
    const std::optional<SRunError>& error = runner.Record().vSteps[0].error;
    EXPECT_EQ(error ? error->lNumber : 0, row.lError);
    if (row.erl == test::erlSerial) {
      std::string sSent = rig.TakeSent();
      EXPECT_EQ(sSent.substr(sSent.find("std=none")), row.sSent);
    }
    EXPECT_EQ(rig.ctx.Operator().Forms().size(), 1u);
  }
}

// A Stop Test in the stop dialog that ends remote operation changes nothing sent; the run's record
// keeps it as a remark.
TEST(PlanRunner, AStopTestWhileRemoteOperationEndsIsARemarkOfTheRun) {
  test::CTempDir dir;
  std::string sPlan =
      dir.Write("plan.xml", "<KSV940Plan><KSV940Test ID=\"8\" PC=\"3\"/></KSV940Plan>");
  for (EOperatorAnswer eoa : {eoaContinue, eoaStop}) {
    SCOPED_TRACE(eoa);
    CRig rig;
    rig.pVti->testOptions()->SetStopBeforeNewPC(true);
    rig.ctx.Operator().Then(eoaContinue).ThenLetItRun().Then(eoa);
    CTestPlan plan = CTestPlan::Read(sPlan, COptionSettings());
    std::ostringstream err;
    CReportSet reports({}, err);
    IRunObserver observer;
    CPlanRunner runner(*rig.pVti, rig.guide, plan, reports, observer);
    EXPECT_EQ(runner.Run(CRig::kPort, "rig", false), ecxOk);
    std::string sSent = rig.TakeSent();
    EXPECT_EQ(sSent.substr(sSent.rfind("mread")),
              "mread\r\n\\e\r\n\\e\r\nstat1\r\nexit\r\nstat3\r\nlocal\r\n");
    EXPECT_EQ(runner.Record().vRemarks,
              eoa == eoaStop
                  ? std::vector<std::string>{"Stop Test was pressed while remote operation ended"}
                  : std::vector<std::string>{});
    EXPECT_EQ(rig.ctx.Operator().Forms().size(), 3u);
  }
}

}  // namespace
}  // namespace ksv940
