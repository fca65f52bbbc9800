#include <gtest/gtest.h>

#include "declares/GDeclares.h"
#include "model/CKsvTestOptions.h"
#include "model/CKsvTestResult.h"
#include "testing/CRig.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;
using test::CRig;

TEST(Calibrate, ZeroesTheLeadsWithoutStopsOrPausesAndAnAbortAbortsIt) {
  struct SRow {
    test::ERigLink erl;
    const char* szScenario;
    bool fAbort;  // the host's Abort while "eres=low" waits for its late reply
    const char* szSent;
    std::vector<std::string> vCalls;  // of the wireless connector
  };
  const SRow rows[] = {
      {test::erlSerial, "", false, "eres=low\r\nrwire=2\r\nzero\r\n", {}},
      {test::erlWireless,
       "",
       false,
       "eres=low\r\nrwire=2\r\nzero\r\n",
       {"SendCommand(eres=low,30)", "SendCommand(rwire=2,30)", "SendCommand(zero,100)",
        "FlushData(200)"}},
      {test::erlSerial, "on eres 1 late 500", true, "eres=low\r\neres=low\r\n", {}},
      {test::erlWireless,
       "on eres 1 late 500",
       true,
       "eres=low\r\n",
       {"SendCommand(eres=low,30)"}}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(std::string(row.fAbort ? "abort" : "") +
                 (row.erl == test::erlWireless ? " (wireless)" : ""));
    CRig rig(CSimScenario::Parse(row.szScenario), row.erl);
    rig.Connect();
    int64_t lStartUs = rig.Now();
    if (row.fAbort) {
      rig.At(lStartUs + 10'000, [&] { rig.pVti->Abort(); });
    }
    int32_t lError = Caught([&] { EXPECT_TRUE(rig.pVti->Calibrate()); }, !row.fAbort).Number();
    // An abort sends no reset instructions (the sequence has none) and shows nothing.
    EXPECT_EQ(lError, row.fAbort ? errVTI_UserAbort : 0);
    EXPECT_EQ(rig.pVti->TestResult()->State(), row.fAbort ? etsAborted : etsCompleted);
    EXPECT_EQ(rig.TakeSent(), row.szSent);
    if (row.erl == test::erlWireless) {
      EXPECT_EQ(rig.pWifi->vCalls, row.vCalls);
    }
    EXPECT_TRUE(rig.ctx.Operator().Forms().empty() && rig.ctx.MessageBoxes().empty());
    EXPECT_LT(rig.Now() - lStartUs, 300'000) << "no #wait";
    EXPECT_EQ(rig.pVti->State(), evsIdle);
  }
}

TEST(Calibrate, AfterAFailedExchangeTheLatchSkipsTheSetUpAndTheHighVoltageQuestion) {
  CRig rig(
      CSimScenario::Parse("on eres 1 silent\non eres 2 silent\non eres 3 silent\nstatus stat2 "
                          "0040"));
  rig.Connect();
  EXPECT_EQ(Caught([&] { rig.pVti->Calibrate(); }).Number(), errVTI_Error);
  rig.TakeSent();
  EXPECT_TRUE(rig.pVti->FlagAbort());  // the channel's latch is set
  // Nothing is sent: the empty status reads as "no high voltage".
  EXPECT_FALSE(rig.pVti->InHighVoltageMode());
  EXPECT_EQ(rig.TakeSent(), "");
  // "zero" clears the latch and goes out; the set-up before it does not.
  EXPECT_TRUE(rig.pVti->Calibrate());
  EXPECT_EQ(rig.TakeSent(), "zero\r\n");
  EXPECT_FALSE(rig.pVti->FlagAbort());
  EXPECT_EQ(Caught([&] { rig.pVti->InHighVoltageMode(); }).Number(), errVTI_Error);
  EXPECT_EQ(rig.TakeSent(), "\\e\r\nstat2\r\n");
}

TEST(InHighVoltageMode, HighVoltageBitsMakeTheAnalyzerBusy) {
  for (test::ERigLink erl : {test::erlSerial, test::erlWireless}) {
    for (auto [szStatus2, fBusy] : {std::pair{"0040", true},
                                    {"1000", true},
                                    {"2000", true},
                                    {"0000", false},
                                    {"0001", false},
                                    {"8000", false}}) {
      SCOPED_TRACE(szStatus2 + std::string(erl == test::erlWireless ? " (wireless)" : ""));
      CRig rig(CSimScenario::Parse(std::string("status stat2 ") + szStatus2), erl);
      rig.Connect();
      EXPECT_EQ(Caught([&] { EXPECT_FALSE(rig.pVti->InHighVoltageMode()); }, !fBusy).Number(),
                fBusy ? errVTI_Error : 0);
      EXPECT_EQ(
          rig.ctx.MessageBoxes().empty() ? "" : rig.ctx.MessageBoxes()[0].sText,
          fBusy ? "The test instrument is busy and can not perform the requested operation." : "");
      EXPECT_EQ(rig.TakeSent(), erl == test::erlSerial ? "\\e\r\nstat2\r\n" : "stat2\r\n");
      if (erl == test::erlWireless) {
        EXPECT_EQ(rig.pWifi->vCalls,
                  (std::vector<std::string>{"FlushData(50)", "SendCommand(stat2,30)"}));
      }
      EXPECT_EQ(rig.pVti->State(), evsIdle);
    }
  }
}

TEST(EndRemote, ReturnsTheAnalyzerToLocalOperationAfterItsChecksAndStops) {
  struct SRow {
    const char* szWhat;
    test::ERigLink erl;
    const char* szSettings;
    bool fEarthLeakage;  // a test left the outlet powered and the measurement selected
    bool fGroundFault;
    const char* szTranscript;
    std::vector<std::string> vCalls = {};  // of the wireless connector
  };
  const SRow rows[] = {
      {"at the main menu", test::erlSerial, "", false, false, "\\e stat1 stat3 local"},
      {"a measurement selected", test::erlSerial, "", true, false, "\\e stat1 exit stat3 local"},
      {"ground fault tripped", test::erlSerial, "", false, true, "\\e stat1 stat3 gfir local"},
      {"ground fault tripped",
       test::erlWireless,
       "",
       false,
       true,
       "stat1 stat3 gfir local",
       {"FlushData(300)", "SendCommand(stat1,50)", "SendCommand(stat3,50)", "SendCommand(gfir,30)",
        "FlushData(50)", "SendCommand(local,30)"}},
      // Warned before power goes off: the power-off delay counts down at the end.
      {"warned before", test::erlSerial, "PowerOFFScreen=1 DelayTimePowerOff=3", true, false,
       "\\e stat1 exit stat3 [switch-off 3s] local"},
      {"stop before, warned before", test::erlSerial, "StopBeforeNewPC=-1 PowerOFFScreen=1", true,
       false, "[before ON to OFF] \\e stat1 exit stat3 [before ON to OFF] local"},
      {"stop before", test::erlSerial, "StopBeforeNewPC=-1 DelayTimePowerOff=3", true, false,
       "[before ON to OFF] \\e stat1 exit stat3 local"}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(std::string(row.szWhat) + (row.erl == test::erlWireless ? " (wireless)" : ""));
    CRig rig(CSimScenario(), row.erl);
    rig.Connect();
    rig.ctx.Operator().AnswerUnscripted();
    if (row.fEarthLeakage) {
      rig.Run(etcEarthLeak, epcNC);
    }
    rig.Set(row.szSettings);
    rig.TakeTranscript();
    rig.pWifi->vCalls.clear();
    rig.sim.Scenario().fGroundFault = row.fGroundFault;
    rig.pVti->EndRemote(&rig.guide);
    EXPECT_EQ(rig.TakeTranscript(), row.szTranscript);
    EXPECT_EQ(rig.pVti->State(), evsClosed);
    EXPECT_FALSE(rig.pPorts->IsOpen(CRig::kPort));
    ASSERT_EQ(rig.ctx.MessageBoxes().size(), row.fGroundFault ? 1u : 0u);
    if (row.fGroundFault) {
      EXPECT_EQ(rig.ctx.MessageBoxes()[0].sText, "Ground Fault Interrupt tripped");
      EXPECT_EQ(rig.ctx.MessageBoxes()[0].sTitle, "OrvexKSV940vti");  // the default title
      EXPECT_FALSE(rig.ctx.MessageBoxes()[0].fExclamation);
    }
    if (row.erl == test::erlWireless) {
      EXPECT_EQ(rig.pWifi->vCalls, row.vCalls);
    }
  }
}

TEST(EndRemote, SendsNothingWhenClosedOrAfterAFailedExchangeAndANestedCallReturnsAtOnce) {
  CRig rig(CSimScenario::Parse("on eres every silent"));
  rig.pVti->EndRemote(&rig.guide);
  EXPECT_EQ(rig.TakeSent(), "");
  EXPECT_EQ(rig.pVti->State(), evsClosed);
  rig.Connect();
  EXPECT_EQ(Caught([&] { rig.pVti->Calibrate(); }).Number(), errVTI_Error);
  rig.TakeSent();
  rig.pVti->EndRemote(&rig.guide);
  EXPECT_EQ(rig.TakeSent(), "");
  EXPECT_EQ(rig.pVti->State(), evsClosed);
  EXPECT_FALSE(rig.pPorts->IsOpen(CRig::kPort));
  // The failed exchange is forgotten: the next connection talks again.
  rig.Connect();
  int nInner = 0;
  // The host calls again while the first call pauses before "local".
  rig.At(rig.Now() + 50'000, [&] {
    rig.pVti->EndRemote(&rig.guide);
    nInner += rig.pVti->State() == evsIdle ? 1 : 100;
  });
  rig.pVti->EndRemote(&rig.guide);
  EXPECT_EQ(nInner, 1);
  EXPECT_EQ(rig.TakeSent(), "\\e\r\nstat1\r\nstat3\r\nlocal\r\n");
}

}  // namespace
}  // namespace ksv940
