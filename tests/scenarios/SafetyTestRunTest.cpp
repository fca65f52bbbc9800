#include <gtest/gtest.h>

#include "declares/GDeclares.h"
#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestOptions.h"
#include "model/CKsvTestResult.h"
#include "reading/MCommandHelpers.h"
#include "testing/CRig.h"
#include "testing/MCaught.h"
#include "testing/MGolden.h"

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
       test::Transcript(test::kEarthLeakageSetUp + "[wait ON 2s]\r\n" + test::kReading), 250.0F,
       "AC+DC", etsCompleted},
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

TEST(SafetyTestRun, OnTheWirelessLinkEachCommandHasItsWaitTimeAndQuitFlushes) {
  const std::pair<int32_t, std::vector<std::string>> kRows[] = {
      {etcEarthLeak,
       {"SendCommand(std=none,30)", "SendCommand(earthl,150)", "SendCommand(stat2,30)",
        "SendCommand(pol=off,30)", "SendCommand(pol=n,2000)", "SendCommand(neut=c,2000)",
        "SendCommand(mode=acdc,150)", "SendCommand(ap=all,150)", "SendCommand(mdual=off,150)",
        "SendCommand(mread,100)", "FlushData(300)", "FlushData(100)"}},
      {etcECGTest,
       {"SendCommand(std=none,30)", "SendCommand(ecg,150)", "SendCommand(CPL30,150)",
        "FlushData(50)", "SendCommand(exit,150)"}}};
  for (const auto& [etc, vCalls] : kRows) {
    SCOPED_TRACE(etc);
    CRig rig(CSimScenario(), test::erlWireless);
    rig.Connect();
    rig.Set("DelayTimePowerOn=0");
    rig.Run(etc, epcNC);
    EXPECT_EQ(rig.pWifi->vCalls, vCalls);
    EXPECT_EQ(rig.pVti->TestResult()->State(), etsCompleted);
  }
}

TEST(SafetyTestRun, PreconditionsAndInstrumentErrorsEndInTheFailurePath) {
  const std::string kComm = "The test could not be completed due to a communication error";
  struct SRow {
    const char* szWhat;
    const char* szScenario;
    bool fConnect;
    std::string sShown;
    std::string sSent;
    test::ERigLink erl = test::erlSerial;
  };
  const SRow rows[] = {
      {"not connected", "", false, "Can not open port %%1", ""},
      // A refused command is tried three times; nothing else is sent after the failure.
      {"refused command", "on earthl every error 33", true, kComm,
       "std=none\r\nearthl\r\nearthl\r\nearthl\r\n"},
      {"refused command", "on earthl every error 33", true, kComm, "std=none\r\nearthl\r\n",
       test::erlWireless},
      {"refused standard", "on std every error 30", true, kComm, "std=none\r\n",
       test::erlWireless}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(std::string(row.szWhat) + (row.erl == test::erlWireless ? " (wireless)" : ""));
    CRig rig(CSimScenario::Parse(row.szScenario), row.erl);
    if (row.fConnect) {
      rig.Connect();
    }
    rig.ctx.Operator().AnswerUnscripted();
    EXPECT_EQ(Caught([&] { rig.Run(etcEarthLeak, epcNC); }).Number(), errVTI_Error);
    ASSERT_EQ(rig.ctx.MessageBoxes().size(), 1u);
    EXPECT_EQ(rig.ctx.MessageBoxes()[0].sText, row.sShown);
    EXPECT_EQ(rig.TakeSent(), row.sSent);
    EXPECT_EQ(rig.pVti->State(), evsIdle);  // also after a refused call
  }
  // No test: refused without a change of state.
  CRig rig;
  rig.Connect();
  EXPECT_EQ(Caught([&] { rig.pVti->RunSafetyTest(nullptr, &rig.guide); }).Number(), errVTI_Error);
  EXPECT_EQ(rig.ctx.MessageBoxes().at(0).sText,
            "The selected test (TestNo = %%1, Power Config = %%2, Lead No = %%3) is not a valid "
            "KSV940 test and cannot be performed.");
  EXPECT_EQ(rig.TakeSent(), "");
  // A second operation while a test runs (here from its power-on countdown) is busy; the test
  // goes on.
  std::string sInner;
  rig.At(rig.Now() + 1'000'000, [&] {
    int32_t lNumber = Caught([&] { rig.pVti->Calibrate(); }).Number();
    sInner = std::to_string(lNumber) + " " + std::to_string(rig.ctx.MessageBoxes().size()) + " " +
             std::to_string(rig.pVti->State());
  });
  rig.ctx.Operator().AnswerUnscripted();
  rig.Run(etcEarthLeak, epcNC);
  // The host got errVTI_Error, the operator was shown the second message box, the state idle.
  EXPECT_EQ(sInner, std::to_string(errVTI_Error) + " 2 2");
  EXPECT_EQ(rig.ctx.MessageBoxes().at(1).sText,
            "The test instrument is busy and can not perform the requested operation.");
  EXPECT_EQ(rig.pVti->TestResult()->State(), etsCompleted);
  // A latch left set by an earlier failure skips the standard command; the test clears it.
  rig.sim.Scenario().On("eres", 0, esfSilent);
  Caught([&] { rig.pVti->Calibrate(); });
  rig.TakeTranscript();
  rig.Run(etcMains, epcMainsL1L2);
  EXPECT_EQ(rig.TakeTranscript(), "mains=l1-l2 mread \\e");
  EXPECT_FALSE(rig.pVti->FlagAbort());
}

TEST(SafetyTestRun, TheStandardCommandNamesTheTestStandard) {
  CRig rig;
  rig.Connect();
  for (auto [iStandard, szCommand] : {std::pair{1, "std=aami"},
                                      {2, "std=601"},
                                      {3, "std=1010"},
                                      {4, "std=353"},
                                      {5, "std=asnz"},
                                      {0, "std=none"},
                                      {-1, "std=none"},
                                      {6, "std=none"}}) {
    rig.Set("TestStandard=" + std::to_string(iStandard));
    rig.Run(etcMains, epcMainsL1L2);
    EXPECT_EQ(rig.TakeTranscript(), std::string(szCommand) + " mains=l1-l2 mread \\e");
  }
}

// Instructions an applied-part text brings (the host's test plan holds it): waits, readings, stop
// directives before and after a command that owes a power-on delay, and what is no instruction.
TEST(SafetyTestRun, DirectivesWaitReadAndStopAsTheirRulesSay) {
  struct SRow {
    const char* szAp;
    const char* szSettings;
    test::ERigLink erl;
    const char* szTranscript;  // from "ap=all" on
    int64_t lWaitMs;           // how much longer than without the directive ap=all is followed
    const char* szShown = "";  // the operator's message
  };
  const SRow rows[] = {
      {"all;#wait=1500", "", test::erlSerial, "ap=all mdual=off mread \\e", 1500},
      {"all;#wait=2.5", "", test::erlSerial, "ap=all mdual=off mread \\e", 2},
      {"all;#wait=1500", "", test::erlWireless, "ap=all mdual=off mread", 0},
      {"all;#wait", "", test::erlSerial, "ap=all", 0,
       "Unknown error number 13 occured.\r\nDescription: Type mismatch"},
      {"all;#read", "", test::erlSerial, "ap=all read mdual=off mread \\e", -1},
      {"all;#pol=n", "", test::erlSerial, "ap=all mdual=off mread \\e", 0},
      {"all;", "", test::erlSerial, "ap=all", 0,
       "The micro sequence stored as 8008 is invalid. The test cannot be run.\\n\\nMicro "
       "sequence: \\nInvalid/missing directive: "},
      // "INSB" owes the power-on delay: a stop before it shows only when the operator is warned
      // before power goes off, a stop after it only when not.
      {"all;#stop=apc;INSB", "DelayTimePowerOn=2 PowerOFFScreen=1", test::erlSerial,
       "ap=all [wait ON 2s] INSB mdual=off mread \\e", -1},
      {"all;#stop=apc;INSB", "DelayTimePowerOn=2", test::erlSerial,
       "ap=all INSB [wait ON 2s] mdual=off mread \\e", -1},
      // A stop is read from the text after the first "=": "#stopx=apc" is an after-change stop,
      // "#stop=#pol" the polarity switching's own, which never shows a power-on delay.
      {"all;#stopx=apc;INSB", "DelayTimePowerOn=2 PowerOFFScreen=1", test::erlSerial,
       "ap=all [wait ON 2s] INSB mdual=off mread \\e", -1},
      {"all;#stop=#pol;INSB", "DelayTimePowerOn=2 PowerOFFScreen=1", test::erlSerial,
       "ap=all INSB mdual=off mread \\e", -1}};
  auto fnGapUs = [](const CRig& rig) {
    for (size_t i = 0; i + 1 < rig.Lines().size(); ++i) {
      if (rig.Lines()[i].sLine == "ap=all\r\n") {
        return rig.Lines()[i + 1].lStartUs - rig.Lines()[i].lAtUs;
      }
    }
    return int64_t{-1};
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(std::string(row.szAp) + (row.erl == test::erlWireless ? " (wireless)" : ""));
    int64_t lGapUs = 0;
    for (const char* szAp : {"all", row.szAp}) {
      CRig rig(CSimScenario(), row.erl);
      rig.Connect();
      rig.Set(std::string("DelayTimePowerOn=0 ") + row.szSettings);
      rig.ctx.Operator().AnswerUnscripted();
      Caught([&] { rig.Run(etcEarthLeak, epcNC, szAp); }, true);
      std::string sTranscript = rig.TakeTranscript();
      lGapUs = fnGapUs(rig) - lGapUs;
      if (szAp == row.szAp) {
        EXPECT_EQ(sTranscript.substr(sTranscript.find("ap=all")), row.szTranscript);
        EXPECT_EQ(rig.ctx.MessageBoxes().empty() ? "" : rig.ctx.MessageBoxes()[0].sText,
                  row.szShown);
      }
    }
    if (row.lWaitMs >= 0 && *row.szShown == '\0') {
      EXPECT_EQ(lGapUs, row.lWaitMs * 1000);
    }
  }
}

TEST(SafetyTestRun, ChkCmdAppPODelayTakesTheNameBeforeTheFirstEqualsSignExactly) {
  CRig rig;
  for (auto [szCommand, fOwed] : {std::pair{"MAINS=230", true},
                                  {"INSB", true},
                                  {"SAF=1=2", true},
                                  {"APINS=", true},
                                  {"mains=230", false},
                                  {"", false},
                                  {"XSAF", false},
                                  {"ERES ", false}}) {
    EXPECT_EQ(rig.pVti->ChkCmdAppPODelay(szCommand), fOwed) << szCommand;
  }
}

// The test-load command no step of a test sends: "iec" for etlIEC, "aami" for anything else,
// acknowledged with "*" CR LF, not parsed.
TEST(SafetyTestRun, TheTestLoadCommand) {
  for (test::ERigLink erl : {test::erlSerial, test::erlWireless}) {
    CRig rig(CSimScenario::Parse("remote on"), erl);
    CInstrumentLink link(rig.pWifi);
    if (erl == test::erlSerial) {
      link.Channel().OpenPort(CRig::kPort);
    } else {
      link.SetWireless(true);
    }
    rig.pWifi->vCalls.clear();
    SendTestLoad(link, etlIEC);
    SendTestLoad(link, etlIEC + 1);
    SendTestLoad(link, -1);
    EXPECT_EQ(rig.TakeSent(), "iec\r\naami\r\naami\r\n");
    if (erl == test::erlWireless) {
      EXPECT_EQ(rig.pWifi->vCalls,
                (std::vector<std::string>{"SendCommand(iec,30)", "SendCommand(aami,30)",
                                          "SendCommand(aami,30)"}));
    }
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
