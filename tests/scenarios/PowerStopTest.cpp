#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "declares/GDeclares.h"
#include "model/CKsvTestOptions.h"
#include "testing/CRig.h"
#include "testing/MCaught.h"

// The operator's stops around changes of the equipment outlet and the switching of polarity, as
// runs of real tests show them: what concerns the outlet in the transcript of the last test (the
// dialogs, named as test::DialogName names them, "stat2" and the polarity commands). The operator
// continues each stop after a second and lets each countdown run out (which the name says did
// last its seconds), except where a row has the operator choose Stop Test.

namespace ksv940 {
namespace {

using test::CRig;

struct SPowerRow {
  const char* szWhat;
  const char* szSettings;  // the test options, by name
  const char* szTests;  // "test:configuration", blank-separated; the last one's transcript counts
  const char* szTranscript;
  int iStopAt = -1;  // the dialog of the last test (0 first) where the operator chooses Stop Test
  const char* szFaults = "";  // of the analyzer in the last test
  test::ERigLink erl = test::erlSerial;
  int32_t lError = 0;  // what the last test raised to the host
};

// Runs the tests of szTests on a connected rig; answers the last test's error number, 0 if none.
int32_t RunTests(CRig& rig, const std::string& sTests, const std::string& sFaults = "") {
  static const std::map<std::string, int32_t> kNames = {
      {"leak", etcEarthLeak}, {"encl", etcEnclLeak}, {"mains", etcMains}, {"diff", etcDiffLeak},
      {"ecg", etcECGTest},    {"Off", epcOff},       {"NC", epcNC},       {"NCRM", epcNCRM},
      {"OE", epcOE},          {"L1L2", epcMainsL1L2}};
  std::istringstream tests(sTests);
  int32_t lError = 0;
  for (std::string sTest; tests >> sTest;) {
    if (tests.peek() == EOF) {
      rig.TakeTranscript();
      for (const SSimFault& fault : CSimScenario::Parse(sFaults).vFaults) {
        rig.sim.Scenario().vFaults.push_back(fault);
      }
    }
    size_t nColon = sTest.find(':');
    lError = test::Caught(
                 [&] {
                   rig.Run(kNames.at(sTest.substr(0, nColon)), kNames.at(sTest.substr(nColon + 1)));
                 },
                 true)
                 .Number();
  }
  return lError;
}

void RunRows(const std::vector<SPowerRow>& rows) {
  for (const SPowerRow& row : rows) {
    SCOPED_TRACE(std::string(row.szWhat) + (row.erl == test::erlWireless ? " (wireless)" : ""));
    CRig rig(CSimScenario(), row.erl);
    rig.Connect();
    rig.Set(row.szSettings);
    rig.ctx.Operator().AnswerUnscripted();
    std::string sTests = row.szTests;
    size_t nLast = sTests.rfind(' ') == std::string::npos ? 0 : sTests.rfind(' ') + 1;
    RunTests(rig, sTests.substr(0, nLast));
    rig.TakeTranscript();
    rig.ctx.Operator().AnswerUnscripted(row.iStopAt);
    EXPECT_EQ(RunTests(rig, sTests.substr(nLast), row.szFaults), row.lError);
    EXPECT_EQ(rig.TakeTranscript(true), row.szTranscript);
    if (row.iStopAt >= 0) {
      // Once the operator has stopped, nothing more reaches the analyzer.
      EXPECT_LT(rig.Lines().back().lAtUs, rig.ctx.Operator().Forms().back().lShownUs);
    }
    if (row.lError == 0) {
      EXPECT_EQ(rig.pVti->FlagAbort(), row.iStopAt >= 0);
    }
  }
}

TEST(PowerStop, BeforeAndAfterTheOutletChangesTheOptionsChooseAStopOrACountdown) {
  const char* kOff3 = "DelayTimePowerOff=3";
  const char* kWarned = "PowerOFFScreen=1 DelayTimePowerOff=3";
  RunRows({{"first test from off, defaults", "", "leak:NC", "stat2 pol=off pol=n [wait ON 2s]"},
           {"no delays", "DelayTimePowerOn=0", "leak:NC", "stat2 pol=off pol=n"},
           {"shortest delay", "DelayTimePowerOn=1", "leak:NC", "stat2 pol=off pol=n [wait ON 1s]"},
           {"stop before, off to on", "StopBeforeNewPC=-1", "leak:NC",
            "[before OFF to ON] stat2 pol=off pol=n [wait ON 2s]"},
           {"stop before, on to off", "StopBeforeNewPC=-1 DelayTimePowerOff=3",
            "leak:NC mains:L1L2", "[before ON to OFF] [wait OFF 3s]"},
           {"stop before, on to off to on", "StopBeforeNewPC=-1", "leak:NC leak:NCRM",
            "[before ON to OFF to ON] stat2 pol=off pol=r [wait ON 2s]"},
           {"stop after, on", "StopAfterNewPC=-1", "leak:NC", "stat2 pol=off pol=n [after ON]"},
           {"stop after, off", "StopAfterNewPC=-1", "leak:NC mains:L1L2", "[after OFF]"},
           {"warned before switching off", kWarned, "leak:NC mains:L1L2", "[switch-off 3s]"},
           {"no change", "StopBeforeNewPC=-1 StopAfterNewPC=-1", "leak:NC leak:NC", "stat2"},
           // A polarity instruction follows the first after-change directive, which therefore waits
           // for the second, unless the outlet only goes off and the operator is warned before.
           {"configuration follows, warned before", kWarned, "leak:NC diff:Off",
            "[switch-off 3s] stat2"},
           {"configuration follows", kOff3, "leak:NC diff:Off", "stat2 [wait OFF 3s]"},
           {"the ECG set-up", "StopAfterNewPC=-1", "ecg:NC", "[after ON]"},
           {"stop test before", "StopBeforeNewPC=-1", "leak:NC", "[before OFF to ON]", 0},
           {"stop test in a countdown", "", "leak:NC", "stat2 pol=off pol=n [wait ON 2s]", 0}});
}

TEST(PowerStop, APolarityChangeSwitchesTheOutletOffFirstAndStopsWhereTheOptionsSay) {
  const char* kOff3 = "DelayTimePowerOff=3";
  const char* kWarned = "PowerOFFScreen=1 DelayTimePowerOff=3";
  // "ecg:NC" ends with "exit": the outlet off, its polarity forgotten by the analyzer; "encl:OE"
  // then needs no change of the outlet's power after normal condition.
  const char* kAfterEcg = "leak:NC ecg:NC encl:OE";
  RunRows(
      {{"already in normal polarity", "", "leak:NC leak:NC", "stat2"},
       {"already in reversed polarity", "", "leak:NCRM leak:NCRM", "stat2"},
       {"warned before switching off", kWarned, "leak:NC leak:NCRM",
        "stat2 [switch-off 3s] pol=off pol=r [wait ON 2s]"},
       {"warned before switching off", kWarned, "leak:NC leak:NCRM",
        "stat2 [switch-off 3s] pol=off pol=r [wait ON 2s]", -1, "", test::erlWireless},
       // Tests without a polarity instruction (mains here, not ECG) forget the last polarity: the
       // next one records its own and takes no stop for the change.
       {"the last polarity forgotten", kWarned, "leak:NC mains:L1L2 leak:NCRM",
        "stat2 pol=off pol=r [wait ON 2s]"},
       {"the last polarity kept", kWarned, "leak:NC ecg:NC leak:NCRM",
        "stat2 [switch-off 3s] pol=off pol=r [wait ON 2s]"},
       {"after switching off", kOff3, "leak:NC leak:NCRM",
        "stat2 pol=off [wait OFF 3s] pol=r [wait ON 2s]"},
       {"empty status: no stop before switching off", kWarned, "leak:NC leak:NCRM",
        "stat2 stat2 stat2 pol=off pol=r [wait ON 2s]", -1, "on stat2 every noise \\r\\n"},
       {"switch-off not acknowledged: no stop after it", kOff3, "leak:NC leak:NCRM",
        "stat2 pol=off pol=r [wait ON 2s]", -1, "on pol=off every noise X\\r\\n"},
       // Where the test did not stop at its first directive the stop before is forced, and the
       // power-on delay is owed to the next directive.
       {"stop before forced", "StopBeforeNewPC=-1", kAfterEcg,
        "stat2 [before ON to OFF to ON] pol=off pol=n [wait ON 2s]"},
       {"stop after forced", "StopAfterNewPC=-1", kAfterEcg, "stat2 pol=off pol=n [after ON]"},
       {"stop test before switching off", kWarned, "leak:NC leak:NCRM", "stat2 [switch-off 3s]", 0},
       {"stop test in the forced stop before", "StopBeforeNewPC=-1", kAfterEcg,
        "stat2 [before ON to OFF to ON]", 0},
       {"stop test after switching off", kOff3, "leak:NC leak:NCRM", "stat2 pol=off [wait OFF 3s]",
        0},
       {"stop test in the forced stop after", "StopAfterNewPC=-1", kAfterEcg,
        "stat2 pol=off pol=n [after ON]", 0}});
}

TEST(PowerStop, ARefusedSwitchOrPolarityIsSentAgainOnlyWhereTheRulesSay) {
  using test::erlSerial;
  using test::erlWireless;
  const char* kTests = "leak:NC leak:NCRM";
  const char* kOffRefused = "on pol=off every error 30";
  const char* kRefusedOnce = "on pol=r 1 error 31";
  const char* kRefused = "on pol=r every error 31";
  RunRows(
      {{"switch-off refused", "", kTests, "stat2 pol=off pol=off pol=off", -1, kOffRefused,
        erlSerial, errVTI_Error},
       {"switch-off refused", "", kTests, "stat2 pol=off pol=r [wait ON 2s]", -1, kOffRefused,
        erlWireless},
       {"polarity refused once", "", kTests, "stat2 pol=off pol=r pol=r [wait ON 2s]", -1,
        kRefusedOnce},
       {"polarity refused twice", "", kTests, "stat2 pol=off pol=r pol=r", -1, kRefused, erlSerial,
        errVTI_Error},
       {"polarity refused twice", "", kTests, "stat2 pol=off pol=r pol=r [wait ON 2s]", -1,
        kRefused, erlWireless},
       // Answers the channel retries: the polarity sent again gets all its attempts.
       {"polarity answered !21", "", kTests, "stat2 pol=off pol=r pol=r pol=r pol=r", -1,
        "on pol=r every error 21", erlSerial, errVTI_Error},
       {"polarity answered !32", "", kTests, "stat2 pol=off pol=r pol=r pol=r pol=r", -1,
        "on pol=r every error 32", erlSerial, errVTI_Error},
       // The polarity switching delay is a 16-bit number of milliseconds: 33 s overflow, on the
       // serial link only when the polarity is sent again.
       {"delay 33 s", "PolaritySwitchingDelay=33", "leak:NC", "stat2 pol=off pol=n [wait ON 2s]"},
       {"delay 33 s, refused once", "PolaritySwitchingDelay=33", "leak:NC", "stat2 pol=off pol=n",
        -1, "on pol=n 1 error 31", erlSerial, errVTI_Error},
       {"delay 33 s", "PolaritySwitchingDelay=33", "leak:NC", "stat2 pol=off", -1, "", erlWireless,
        errVTI_Error}});
}

TEST(PowerStop, TheOutletPausesASecondAfterSwitchingOffAndThePolarityIsSentAgainAfterItsDelay) {
  // From normal condition to reversed mains, with a stop condition and no power delays, so that
  // the stops show nothing. The pause lies between the moments two commands began to reach the
  // analyzer, less the few milliseconds of the exchange before it.
  struct SRow {
    const char* szWhat;
    test::ERigLink erl;
    const char* szSettings;
    const char* szFaults;
    const char* szFirst;
    const char* szSecond;  // its second occurrence when it is the same as szFirst
    int64_t lPauseMs;
  };
  const SRow rows[] = {
      {"warned before", test::erlSerial, "PowerOFFScreen=1", "", "pol=off", "pol=r", 1000},
      {"warned before", test::erlWireless, "PowerOFFScreen=1", "", "pol=off", "pol=r", 1000},
      {"switch-off not acknowledged", test::erlSerial, "PowerOFFScreen=1",
       "on pol=off 1 noise X\\r\\n", "pol=off", "pol=r", 0},
      {"not warned before", test::erlSerial, "", "", "pol=off", "pol=r", 0},
      {"polarity refused", test::erlSerial, "", "on pol=r 1 error 31", "pol=r", "pol=r", 2000},
      {"polarity refused", test::erlSerial, "PolaritySwitchingDelay=5", "on pol=r 1 error 31",
       "pol=r", "pol=r", 5000},
      {"polarity refused", test::erlWireless, "PolaritySwitchingDelay=5", "on pol=r 1 error 31",
       "pol=r", "pol=r", 0}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(std::string(row.szWhat) + (row.erl == test::erlWireless ? " (wireless)" : ""));
    CRig rig(CSimScenario(), row.erl);
    rig.Connect();
    rig.Set(std::string(row.szSettings) + " DelayTimePowerOn=0");
    RunTests(rig, "leak:NC");
    size_t nBefore = rig.Lines().size();
    RunTests(rig, "leak:NCRM", row.szFaults);
    std::vector<int64_t> vStarts;
    for (size_t i = nBefore; i < rig.Lines().size(); ++i) {
      if (rig.Lines()[i].sLine ==
          (vStarts.empty() ? row.szFirst : row.szSecond) + std::string("\r\n")) {
        vStarts.push_back(rig.Lines()[i].lStartUs);
      }
    }
    ASSERT_EQ(vStarts.size(), 2u);
    int64_t lPauseUs = vStarts[1] - vStarts[0] - row.lPauseMs * 1000;
    EXPECT_GE(lPauseUs, 0);
    EXPECT_LT(lPauseUs, 10'000);
  }
}

TEST(PowerStop, AnAbortDuringThePauseAfterSwitchingOffEndsItAndNothingMoreIsSent) {
  for (test::ERigLink erl : {test::erlSerial, test::erlWireless}) {
    SCOPED_TRACE(erl == test::erlWireless ? "wireless" : "serial");
    CRig rig(CSimScenario(), erl);
    rig.Connect();
    rig.Set("PowerOFFScreen=1 DelayTimePowerOff=3");
    rig.ctx.Operator().AnswerUnscripted();
    RunTests(rig, "leak:NC");
    rig.TakeTranscript();
    // The host's Abort, about half a second into the pause that follows the 3-second countdown.
    int64_t lAbortAtUs = rig.Now() + 3'500'000;
    rig.At(lAbortAtUs, [&] { rig.pVti->Abort(); });
    // On the serial link the abort stops the test; on the wireless link it aborts it.
    EXPECT_EQ(RunTests(rig, "leak:NCRM"), erl == test::erlSerial ? 0 : errVTI_UserAbort);
    EXPECT_EQ(rig.TakeTranscript(), "std=none earthl stat2 [switch-off 3s] pol=off");
    EXPECT_EQ(rig.Now(), lAbortAtUs);
    EXPECT_TRUE(rig.pVti->FlagAbort());
  }
}

}  // namespace
}  // namespace ksv940
