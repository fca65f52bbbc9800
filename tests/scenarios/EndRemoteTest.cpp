#include <gtest/gtest.h>

#include "model/CKsvTestOptions.h"
#include "model/CKsvTestResult.h"
#include "model/GDeclares.h"
#include "scenarios/CVtiRig.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::CVtiRig;

TEST(EndRemote, ReturnsTheAnalyzerToLocalOperationAfterItsChecks) {
  struct SRow {
    const char* szWhat;
    bool fMeasurementSelected;
    bool fGroundFault;
    std::string sSent;
  };
  const SRow rows[] = {
      {"at the main menu", false, false, "\\e\r\nstat1\r\nstat3\r\nlocal\r\n"},
      {"a measurement selected", true, false, "\\e\r\nstat1\r\nexit\r\nstat3\r\nlocal\r\n"},
      {"ground fault tripped", false, true, "\\e\r\nstat1\r\nstat3\r\ngfir\r\nlocal\r\n"},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szWhat);
    CVtiRig rig;
    rig.Connect();
    if (row.fMeasurementSelected) {
      ASSERT_TRUE(rig.pVti->Calibrate());  // leaves the protective-earth measurement selected
      rig.TakeSent();
    }
    rig.sim.Scenario().fGroundFault = row.fGroundFault;
    rig.pVti->EndRemote(&rig.guide);
    EXPECT_EQ(rig.TakeSent(), row.sSent);
    EXPECT_EQ(rig.pVti->State(), evsClosed);
    EXPECT_FALSE(rig.pPorts->IsOpen(CVtiRig::kPort));
    ASSERT_EQ(rig.ctx.MessageBoxes().size(), row.fGroundFault ? 1u : 0u);
    if (row.fGroundFault) {
      EXPECT_EQ(rig.ctx.MessageBoxes()[0].sText, "Ground Fault Interrupt tripped");
      EXPECT_EQ(rig.ctx.MessageBoxes()[0].sTitle, "");
      EXPECT_FALSE(rig.ctx.MessageBoxes()[0].fExclamation);
    }
  }
}

TEST(EndRemote, SendsNothingWhenClosedOrAfterAFailedExchange) {
  {
    CVtiRig rig;
    rig.pVti->EndRemote(&rig.guide);
    EXPECT_EQ(rig.TakeSent(), "");
    EXPECT_EQ(rig.pVti->State(), evsClosed);
  }
  {
    CVtiRig rig(CSimScenario::Parse("on eres every silent"));
    rig.Connect();
    auto err = test::Caught([&] { rig.pVti->Calibrate(); });
    EXPECT_EQ(err.Number(), errVTI_Error);
    EXPECT_EQ(rig.pVti->State(), evsIdle);
    rig.TakeSent();
    rig.pVti->EndRemote(&rig.guide);
    EXPECT_EQ(rig.TakeSent(), "");
    EXPECT_EQ(rig.pVti->State(), evsClosed);
    EXPECT_FALSE(rig.pPorts->IsOpen(CVtiRig::kPort));
    // The failed exchange is forgotten: the next connection talks again.
    rig.pVti->InitRemote(CVtiRig::kPort);
    EXPECT_EQ(rig.pVti->State(), evsIdle);
  }
}

TEST(EndRemote, WirelessGoesThroughTheConnectorAndClosesNothing) {
  CVtiRig rig(CSimScenario(), test::erlWireless);
  rig.Connect();
  rig.sim.Scenario().fGroundFault = true;
  rig.pVti->EndRemote(&rig.guide);
  EXPECT_EQ(
      rig.pWifi->vCalls,
      (std::vector<std::string>{"FlushData(300)", "SendCommand(stat1,50)", "SendCommand(stat3,50)",
                                "SendCommand(gfir,30)", "FlushData(50)", "SendCommand(local,30)"}));
  EXPECT_EQ(rig.ctx.MessageBoxes().size(), 1u);
  EXPECT_EQ(rig.pVti->State(), evsClosed);
}

TEST(EndRemote, ACallFromInsideARunningEndRemoteReturnsAtOnce) {
  CVtiRig rig;
  rig.Connect();
  int nInner = 0;
  // The host calls again while the first call pauses before "local".
  rig.ctx.Pump().AddTimer(rig.ctx.Clock().NowUs() + 50'000, 0, [&] {
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
