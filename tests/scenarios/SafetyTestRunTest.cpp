#include <gtest/gtest.h>

#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestOptions.h"
#include "model/CKsvTestResult.h"
#include "model/GDeclares.h"
#include "testing/CRig.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;
using test::CRig;

TEST(SafetyTestRun, EachTestSendsItsSequenceAndLeavesItsReading) {
  struct SRow {
    const char* szWhat;
    int32_t etc;
    int32_t epc;
    std::string sTranscript;
    float fValue;
    const char* szSuffix;
    EKsvTestState etsState;
  };
  const std::vector<SRow> rows = {
      {"earth leakage, normal condition", etcEarthLeak, epcNC,
       "std=none earthl stat2 pol=off pol=n neut=c mode=acdc ap=all [wait ON 2s] mdual=off mread "
       "\\e",
       250.0F, "AC+DC", etsCompleted},
      {"mains voltage", etcMains, epcMainsL1Gnd, "std=none mains=l1-gnd mread \\e", 230.1F, "",
       etsCompleted},
      {"ECG simulation", etcECGTest, epcNC, "std=none ecg [wait ON 2s] CPL30 \\e exit", 0.0F, "",
       etsCompleted}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szWhat);
    CRig rig(CSimScenario::Parse("reading earthl 0.25mA\nreading mains 230.1V"));
    rig.Connect();
    rig.ctx.Operator().AnswerUnscripted();
    rig.Run(row.etc, row.epc);
    EXPECT_EQ(rig.TakeTranscript(), row.sTranscript);
    EXPECT_FLOAT_EQ(rig.pVti->TestResult()->Value(), row.fValue);
    EXPECT_EQ(rig.pVti->TestResult()->UnitSuffix(), row.szSuffix);
    EXPECT_EQ(rig.pVti->TestResult()->State(), row.etsState);
    EXPECT_EQ(rig.pVti->State(), evsIdle);
  }
}

TEST(SafetyTestRun, AnOperatorStopSkipsTheRestOnSerialAndAbortsOnWireless) {
  for (test::ERigLink erl : {test::erlSerial, test::erlWireless}) {
    SCOPED_TRACE(erl);
    CRig rig(CSimScenario(), erl);
    rig.Connect();
    rig.Set("StopAfterNewPC=-1");
    rig.ctx.Operator().Then(eoaStop, 1000);
    std::shared_ptr<CKsvTestResult> pBefore = rig.pVti->TestResult();
    if (erl == test::erlSerial) {
      rig.Run(etcEarthLeak, epcNC);
      EXPECT_EQ(rig.pVti->TestResult()->State(), etsNotPerformed);
      // The stop lasts: the next test runs nothing until the host clears it.
      EXPECT_TRUE(rig.pVti->FlagAbort());
      rig.TakeSent();
      rig.Run(etcMains, epcMainsL1L2);
      EXPECT_EQ(rig.TakeSent(), "std=none\r\n");
      rig.pVti->SetStopFlagForAPScreen(false);
      EXPECT_FALSE(rig.pVti->FlagAbort());
    } else {
      EXPECT_EQ(Caught([&] { rig.Run(etcEarthLeak, epcNC); }).Number(), errVTI_UserAbort);
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
  struct SRow {
    const char* szWhat;
    const char* szScenario;
    bool fConnect;
    const char* szShown;
    std::string sSent;
  };
  const SRow rows[] = {
      {"not connected", "", false, "Can not open port %%1", ""},
      // A refused command is tried three times; nothing else is sent after the failure.
      {"refused command", "on earthl every error 33", true,
       "The test could not be completed due to a communication error",
       "std=none\r\nearthl\r\nearthl\r\nearthl\r\n"}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szWhat);
    CRig rig(CSimScenario::Parse(row.szScenario));
    if (row.fConnect) {
      rig.Connect();
    }
    rig.ctx.Operator().AnswerUnscripted();
    EXPECT_EQ(Caught([&] { rig.Run(etcEarthLeak, epcNC); }).Number(), errVTI_Error);
    ASSERT_EQ(rig.ctx.MessageBoxes().size(), 1u);
    EXPECT_EQ(rig.ctx.MessageBoxes()[0].sText, row.szShown);
    EXPECT_EQ(rig.TakeSent(), row.sSent);
    EXPECT_EQ(rig.pVti->State(), evsIdle);  // also after a refused call
  }
}

TEST(SafetyTestRun, AppliedPartInstructionsAreRewrittenForTheBoard) {
  struct SRow {
    const char* szIn;
    bool fPca2;
    const char* szOut;
  };
  const SRow rows[] = {{"ap=1//gnd", true, "ap2=1//ALL"},
                       {"ap=1//gnd", false, "ap=1//GND"},
                       {"ap=all//", false, "ap=all//"},
                       {"ap=//open", false, "ap=//open"},
                       {"ap=1/2/3", false, "ap=1/2/GND"},
                       {"ap=1/2/", false, "ap=1/2/"},
                       {"ap=1", false, "ap=1"},
                       {"ap=1=2", true, "ap2=1"},
                       {"ap=GND/gnd", true, "ap2=ALL/ALL"},
                       {"ap", true, "ap"}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szIn);
    EXPECT_EQ(CKsvVti::RewriteAppliedParts(row.szIn, row.fPca2), row.szOut);
  }
}

}  // namespace
}  // namespace ksv940
