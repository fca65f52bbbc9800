#include <gtest/gtest.h>

#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestOptions.h"
#include "model/CKsvTestResult.h"
#include "model/GDeclares.h"
#include "scenarios/CVtiRig.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::CVtiRig;

std::shared_ptr<CKsvSafetyTest> MakeTest(int32_t etc, int32_t epc, const std::string& sAP = "all") {
  auto pTest = std::make_shared<CKsvSafetyTest>();
  pTest->Initialize(etc, epc);
  pTest->SetAP(sAP);
  return pTest;
}

TEST(SafetyTestRun, EachTestSendsItsSequenceAndLeavesItsReading) {
  struct SRow {
    const char* szWhat;
    int32_t etc;
    int32_t epc;
    std::string sSent;
    std::vector<std::string> vTitles;  // the dialogs the operator saw
    float fValue;
    const char* szSuffix;
    EKsvTestState etsState;
  };
  const std::vector<SRow> rows = {
      {"earth leakage, normal condition",
       etcEarthLeak,
       epcNC,
       "std=none\r\nearthl\r\nstat2\r\npol=off\r\npol=n\r\nneut=c\r\nmode=acdc\r\nap=all\r\n"
       "mdual=off\r\nmread\r\n\\e\r\n",
       {"Power is now ON. In order for the DUT to stabilize, the test will pause for 2 seconds."},
       250.0F,
       "AC+DC",
       etsCompleted},
      {"mains voltage",
       etcMains,
       epcMainsL1Gnd,
       "std=none\r\nmains=l1-gnd\r\nmread\r\n\\e\r\n",
       {},
       230.1F,
       "",
       etsCompleted},
      {"ECG simulation",
       etcECGTest,
       epcNC,
       "std=none\r\necg\r\nCPL30\r\n\\e\r\nexit\r\n",
       {"Power is now ON. In order for the DUT to stabilize, the test will pause for 2 seconds."},
       0.0F,
       "",
       etsCompleted},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szWhat);
    CVtiRig rig(CSimScenario::Parse("reading earthl 0.25mA\nreading mains 230.1V"));
    rig.Connect();
    for (size_t i = 0; i < row.vTitles.size(); ++i) {
      rig.ctx.Operator().ThenLetItRun();
    }
    rig.pVti->RunSafetyTest(MakeTest(row.etc, row.epc), &rig.guide);
    EXPECT_EQ(rig.TakeSent(), row.sSent);
    std::vector<std::string> vTitles;
    for (const auto& form : rig.ctx.Operator().Forms()) {
      vTitles.push_back(form.Text("lblTitle"));
      EXPECT_EQ(form.sOwner, "Test guide");
    }
    EXPECT_EQ(vTitles, row.vTitles);
    EXPECT_FLOAT_EQ(rig.pVti->TestResult()->Value(), row.fValue);
    EXPECT_EQ(rig.pVti->TestResult()->UnitSuffix(), row.szSuffix);
    EXPECT_EQ(rig.pVti->TestResult()->State(), row.etsState);
    EXPECT_EQ(rig.pVti->State(), evsIdle);
  }
}

TEST(SafetyTestRun, AnOperatorStopSkipsTheRestOnSerialAndAbortsOnWireless) {
  for (test::ERigLink erl : {test::erlSerial, test::erlWireless}) {
    SCOPED_TRACE(erl);
    CVtiRig rig(CSimScenario(), erl);
    rig.Connect();
    rig.pVti->testOptions()->SetStopAfterNewPC(true);
    rig.ctx.Operator().Then(eoaStop, 1000);
    std::shared_ptr<CKsvTestResult> pBefore = rig.pVti->TestResult();
    if (erl == test::erlSerial) {
      rig.pVti->RunSafetyTest(MakeTest(etcEarthLeak, epcNC), &rig.guide);
      EXPECT_EQ(rig.pVti->TestResult()->State(), etsNotPerformed);
      // The stop lasts: the next test runs nothing until the host clears it.
      EXPECT_TRUE(rig.pVti->FlagAbort());
      rig.TakeSent();
      rig.pVti->RunSafetyTest(MakeTest(etcMains, epcMainsL1L2), &rig.guide);
      EXPECT_EQ(rig.TakeSent(), "std=none\r\n");
      rig.pVti->SetStopFlagForAPScreen(false);
      EXPECT_FALSE(rig.pVti->FlagAbort());
    } else {
      auto err =
          test::Caught([&] { rig.pVti->RunSafetyTest(MakeTest(etcEarthLeak, epcNC), &rig.guide); });
      EXPECT_EQ(err.Number(), errVTI_UserAbort);
      EXPECT_EQ(rig.pVti->TestResult()->State(), etsAborted);
      EXPECT_TRUE(rig.ctx.MessageBoxes().empty());
    }
    ASSERT_EQ(rig.ctx.Operator().Forms().size(), 1u);
    EXPECT_EQ(rig.ctx.Operator().Forms()[0].Text("lblTitle"), "Power is now ON.");
    EXPECT_EQ(rig.pVti->State(), evsIdle);
    // A result the host kept is never changed by later tests.
    EXPECT_NE(rig.pVti->TestResult(), pBefore);
    EXPECT_EQ(pBefore->State(), etsNotPerformed);
  }
}

TEST(SafetyTestRun, PreconditionsAndInstrumentErrorsEndInTheFailurePath) {
  {
    CVtiRig rig;
    auto err = test::Caught(
        [&] { rig.pVti->RunSafetyTest(MakeTest(etcMains, epcMainsL1L2), &rig.guide); });
    EXPECT_EQ(err.Number(), errVTI_Error);
    ASSERT_EQ(rig.ctx.MessageBoxes().size(), 1u);
    EXPECT_EQ(rig.ctx.MessageBoxes()[0].sText, "Can not open port %%1");
    EXPECT_EQ(rig.pVti->State(), evsIdle);  // a refused call leaves the object idle
  }
  {
    CVtiRig rig(CSimScenario::Parse("on earthl every error 33"));
    rig.Connect();
    rig.ctx.Operator().ThenLetItRun();
    auto err =
        test::Caught([&] { rig.pVti->RunSafetyTest(MakeTest(etcEarthLeak, epcNC), &rig.guide); });
    EXPECT_EQ(err.Number(), errVTI_Error);
    ASSERT_EQ(rig.ctx.MessageBoxes().size(), 1u);
    EXPECT_EQ(rig.ctx.MessageBoxes()[0].sText,
              "The test could not be completed due to a communication error");
    // A refused command is tried three times; nothing else is sent after the failure.
    EXPECT_EQ(rig.TakeSent(), "std=none\r\nearthl\r\nearthl\r\nearthl\r\n");
    EXPECT_EQ(rig.pVti->State(), evsIdle);
  }
}

TEST(SafetyTestRun, AppliedPartInstructionsAreRewrittenForTheBoard) {
  struct SRow {
    const char* szIn;
    bool fPca2;
    const char* szOut;
  };
  const SRow rows[] = {
      {"ap=1//gnd", true, "ap2=1//ALL"},
      {"ap=1//gnd", false, "ap=1//GND"},
      {"ap=all//", false, "ap=all//"},
      {"ap=//open", false, "ap=//open"},
      {"ap=1/2/3", false, "ap=1/2/GND"},
      {"ap=1/2/", false, "ap=1/2/"},
      {"ap=1", false, "ap=1"},
      {"ap=1=2", true, "ap2=1"},
      {"ap=GND/gnd", true, "ap2=ALL/ALL"},
      {"ap", true, "ap"},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szIn);
    EXPECT_EQ(CKsvVti::RewriteAppliedParts(row.szIn, row.fPca2), row.szOut);
  }
  CVtiRig rig(CSimScenario::Parse("pca-type 2"));
  rig.Connect();
  rig.ctx.Operator().ThenLetItRun();
  rig.pVti->RunSafetyTest(MakeTest(etcEarthLeak, epcNC, "1//gnd"), &rig.guide);
  EXPECT_NE(rig.TakeSent().find("\r\nap2=1//ALL\r\n"), std::string::npos);
}

TEST(SafetyTestRun, CalibrateZeroesTheLeadsWithoutStopsOrPauses) {
  CVtiRig rig;
  rig.Connect();
  int64_t lStartUs = rig.ctx.Clock().NowUs();
  EXPECT_TRUE(rig.pVti->Calibrate());
  EXPECT_EQ(rig.TakeSent(), "eres=low\r\nrwire=2\r\nzero\r\n");
  EXPECT_TRUE(rig.ctx.Operator().Forms().empty());
  EXPECT_LT(rig.ctx.Clock().NowUs() - lStartUs, 300'000);
  EXPECT_EQ(rig.pVti->TestResult()->State(), etsCompleted);
  EXPECT_EQ(rig.pVti->State(), evsIdle);
}

TEST(SafetyTestRun, AfterAFailedExchangeZeroingAndHighVoltageStillAskTheAnalyzer) {
  CVtiRig rig(CSimScenario::Parse(
      "on eres 1 silent\non eres 2 silent\non eres 3 silent\nstatus stat2 0040"));
  rig.Connect();
  EXPECT_EQ(test::Caught([&] { rig.pVti->Calibrate(); }).Number(), errVTI_Error);
  rig.TakeSent();
  EXPECT_TRUE(rig.pVti->FlagAbort());  // the channel's latch is set
  EXPECT_EQ(test::Caught([&] { rig.pVti->InHighVoltageMode(); }).Number(), errVTI_Error);
  EXPECT_EQ(rig.TakeSent(), "\\e\r\nstat2\r\n");
  EXPECT_TRUE(rig.pVti->Calibrate());
  EXPECT_EQ(rig.TakeSent(), "eres=low\r\nrwire=2\r\nzero\r\n");
}

TEST(SafetyTestRun, HighVoltageBitsMakeTheAnalyzerBusy) {
  struct SRow {
    const char* szStatus2;
    bool fBusy;
  };
  const SRow rows[] = {{"0040", true},  {"1000", true},  {"2000", true},
                       {"0000", false}, {"0001", false}, {"8000", false}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szStatus2);
    CVtiRig rig(CSimScenario::Parse(std::string("status stat2 ") + row.szStatus2));
    rig.Connect();
    if (row.fBusy) {
      auto err = test::Caught([&] { rig.pVti->InHighVoltageMode(); });
      EXPECT_EQ(err.Number(), errVTI_Error);
      ASSERT_EQ(rig.ctx.MessageBoxes().size(), 1u);
      EXPECT_EQ(rig.ctx.MessageBoxes()[0].sText,
                "The test instrument is busy and can not perform the requested operation.");
    } else {
      EXPECT_FALSE(rig.pVti->InHighVoltageMode());
    }
    EXPECT_EQ(rig.TakeSent(), "\\e\r\nstat2\r\n");
    EXPECT_EQ(rig.pVti->State(), evsIdle);
  }
}

}  // namespace
}  // namespace ksv940
