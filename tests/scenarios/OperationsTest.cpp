#include <gtest/gtest.h>

#include "model/CKsvTestOptions.h"
#include "model/CKsvTestResult.h"
#include "model/GDeclares.h"
#include "testing/CRig.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;
using test::CRig;

TEST(Calibrate, ZeroesTheLeadsWithoutStopsOrPauses) {
  CRig rig;
  rig.Connect();
  int64_t lStartUs = rig.Now();
  EXPECT_TRUE(rig.pVti->Calibrate());
  EXPECT_EQ(rig.TakeSent(), "eres=low\r\nrwire=2\r\nzero\r\n");
  EXPECT_TRUE(rig.ctx.Operator().Forms().empty());
  EXPECT_LT(rig.Now() - lStartUs, 300'000);
  EXPECT_EQ(rig.pVti->TestResult()->State(), etsCompleted);
  EXPECT_EQ(rig.pVti->State(), evsIdle);
}

TEST(Calibrate, AfterAFailedExchangeZeroingAndHighVoltageStillAskTheAnalyzer) {
  CRig rig(CSimScenario::Parse(
      "on eres 1 silent\non eres 2 silent\non eres 3 silent\nstatus stat2 0040"));
  rig.Connect();
  EXPECT_EQ(Caught([&] { rig.pVti->Calibrate(); }).Number(), errVTI_Error);
  rig.TakeSent();
  EXPECT_TRUE(rig.pVti->FlagAbort());  // the channel's latch is set
  EXPECT_EQ(Caught([&] { rig.pVti->InHighVoltageMode(); }).Number(), errVTI_Error);
  EXPECT_EQ(rig.TakeSent(), "\\e\r\nstat2\r\n");
  EXPECT_TRUE(rig.pVti->Calibrate());
  EXPECT_EQ(rig.TakeSent(), "eres=low\r\nrwire=2\r\nzero\r\n");
}

TEST(InHighVoltageMode, HighVoltageBitsMakeTheAnalyzerBusy) {
  struct SRow {
    const char* szStatus2;
    bool fBusy;
  };
  const SRow rows[] = {{"0040", true},  {"1000", true},  {"2000", true},
                       {"0000", false}, {"0001", false}, {"8000", false}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szStatus2);
    CRig rig(CSimScenario::Parse(std::string("status stat2 ") + row.szStatus2));
    rig.Connect();
    if (row.fBusy) {
      EXPECT_EQ(Caught([&] { rig.pVti->InHighVoltageMode(); }).Number(), errVTI_Error);
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

TEST(EndRemote, ReturnsTheAnalyzerToLocalOperationAfterItsChecks) {
  struct SRow {
    const char* szWhat;
    test::ERigLink erl;
    bool fMeasurementSelected;
    bool fGroundFault;
    std::string sSent;
    std::vector<std::string> vCalls = {};  // of the wireless connector
  };
  const SRow rows[] = {
      {"at the main menu", test::erlSerial, false, false, "\\e\r\nstat1\r\nstat3\r\nlocal\r\n"},
      {"a measurement selected", test::erlSerial, true, false,
       "\\e\r\nstat1\r\nexit\r\nstat3\r\nlocal\r\n"},
      {"ground fault tripped", test::erlSerial, false, true,
       "\\e\r\nstat1\r\nstat3\r\ngfir\r\nlocal\r\n"},
      {"wireless, ground fault tripped",
       test::erlWireless,
       false,
       true,
       "stat1\r\nstat3\r\ngfir\r\nlocal\r\n",
       {"FlushData(300)", "SendCommand(stat1,50)", "SendCommand(stat3,50)", "SendCommand(gfir,30)",
        "FlushData(50)", "SendCommand(local,30)"}}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szWhat);
    CRig rig(CSimScenario(), row.erl);
    rig.Connect();
    if (row.fMeasurementSelected) {
      ASSERT_TRUE(rig.pVti->Calibrate());  // leaves the protective-earth measurement selected
      rig.TakeSent();
    }
    rig.sim.Scenario().fGroundFault = row.fGroundFault;
    rig.pVti->EndRemote(&rig.guide);
    EXPECT_EQ(rig.TakeSent(), row.sSent);
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

TEST(EndRemote, SendsNothingWhenClosedOrAfterAFailedExchange) {
  {
    CRig rig;
    rig.pVti->EndRemote(&rig.guide);
    EXPECT_EQ(rig.TakeSent(), "");
    EXPECT_EQ(rig.pVti->State(), evsClosed);
  }
  CRig rig(CSimScenario::Parse("on eres every silent"));
  rig.Connect();
  EXPECT_EQ(Caught([&] { rig.pVti->Calibrate(); }).Number(), errVTI_Error);
  EXPECT_EQ(rig.pVti->State(), evsIdle);
  rig.TakeSent();
  rig.pVti->EndRemote(&rig.guide);
  EXPECT_EQ(rig.TakeSent(), "");
  EXPECT_EQ(rig.pVti->State(), evsClosed);
  EXPECT_FALSE(rig.pPorts->IsOpen(CRig::kPort));
  // The failed exchange is forgotten: the next connection talks again.
  rig.pVti->InitRemote(CRig::kPort);
  EXPECT_EQ(rig.pVti->State(), evsIdle);
}

TEST(EndRemote, ACallFromInsideARunningEndRemoteReturnsAtOnce) {
  CRig rig;
  rig.Connect();
  int nInner = 0;
  // The host calls again while the first call pauses before "local".
  rig.At(rig.Now() + 50'000, [&] {
    rig.pVti->EndRemote(&rig.guide);
    ++nInner;
    EXPECT_EQ(rig.pVti->State(), evsIdle);
  });
  rig.pVti->EndRemote(&rig.guide);
  EXPECT_EQ(nInner, 1);
  EXPECT_EQ(rig.TakeSent(), "\\e\r\nstat1\r\nstat3\r\nlocal\r\n");
}

}  // namespace
}  // namespace ksv940
