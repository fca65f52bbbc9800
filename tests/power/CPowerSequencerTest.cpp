#include "power/CPowerSequencer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/CMicroSequence.h"
#include "model/GDeclares.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/MRuntime.h"
#include "power/CPowerBench.h"
#include "support/MDeclares.h"

// Dialogs are named by what they said (every text is checked exactly by the bench):
//   "before OFF to ON", "before ON to OFF", "before ON to OFF to ON": the before-change stop;
//   "after ON", "after OFF": the after-change stop;
//   "wait ON 2s", "wait OFF 3s": power is now ON/OFF, the test pauses N seconds;
//   "switch-off 3s": the DUT will switch off after N seconds.
// The operator continues each stop after a second and lets each countdown run out (which the bench
// checks lasted its N seconds), except where a row says Stop Test.

namespace ksv940 {
namespace {

using test::CPowerBench;
using test::RemoteScenario;
using Shown = std::vector<std::string>;

bool Has(const char* sLetters, char c) {
  return std::string(sLetters).find(c) != std::string::npos;
}

// Options by letter: B StopBeforeNewPC, A StopAfterNewPC, S PowerOFFScreen before.
void SetOptions(CPowerBench& bench, const char* sIn, int16_t iDelayOn, int16_t iDelayOff) {
  bench.options.SetStopBeforeNewPC(Has(sIn, 'B'));
  bench.options.SetStopAfterNewPC(Has(sIn, 'A'));
  bench.options.SetPowerOFFScreen(Has(sIn, 'S') ? eepo_before : eepo_After);
  bench.options.SetDelayTimePowerOn(iDelayOn);
  bench.options.SetDelayTimePowerOff(iDelayOff);
}

// The sequencer's flags by letter: q mfQuitSent, t mfLastToggleOff, w mfBeforeStopShown,
// x mfAfterStopShown, z mfPowerChangeAtBpc, p mfDelayPending, f mfForcedStop; s: the operator
// stopped (mfAbort and mfStopFlag both set).
std::string Flags(const CPowerBench& bench) {
  const CPowerSequencer& seq = bench.seq;
  std::string s;
  for (auto [c, f] : {std::pair{'q', seq.mfQuitSent},
                      {'t', seq.mfLastToggleOff},
                      {'w', seq.mfBeforeStopShown},
                      {'x', seq.mfAfterStopShown},
                      {'z', seq.mfPowerChangeAtBpc},
                      {'p', seq.mfDelayPending},
                      {'f', seq.mfForcedStop}}) {
    if (f) {
      s += c;
    }
  }
  EXPECT_EQ(bench.flags.mfAbort, bench.flags.mfStopFlag) << "a dialog's Stop Test sets both";
  return bench.flags.mfAbort ? s + 's' : s;
}

// The same flags, upper case, as a row sets them before the call.
void SetFlags(CPowerSequencer& seq, const char* sIn) {
  seq.mfQuitSent = Has(sIn, 'Q');
  seq.mfLastToggleOff = Has(sIn, 'T');
  seq.mfBeforeStopShown = Has(sIn, 'W');
  seq.mfAfterStopShown = Has(sIn, 'X');
  seq.mfPowerChangeAtBpc = Has(sIn, 'Z');
  seq.mfDelayPending = Has(sIn, 'P');
  seq.mfForcedStop = Has(sIn, 'F');
}

// ---------------------------------------------------------------------------------------------
// PowerChangeStop

TEST(CPowerSequencer, PowerChangeStopShowsWhatItsDirectiveTheOutletChangeAndTheOptionsCallFor) {
  // In: options B A S, flags P F X, and C fConfigFollows, E fEndDelay. Out: w z p s (see Flags).
  struct Row {
    const char* sDirective;
    int32_t epcCurrent;
    int32_t epcNew;
    const char* sIn;
    Shown vShown;
    int iStopAt;
    int32_t epcAfter;
    const char* sOut;
    int16_t iDelayOn = 2;
    int16_t iDelayOff = 3;
  };
  const Row rows[] = {
      // Before the change: the outlet record stays.
      {"#stop=bpc", epcNC, epcNC, "BAS", {}, -1, epcNC, ""},
      {"#stop=bpc", epcOff, epcNC, "B", {"before OFF to ON"}, -1, epcOff, "wz"},
      {"#stop=bpc", epcNC, epcOff, "B", {"before ON to OFF"}, -1, epcNC, "wz"},
      {"#stop=bpc", epcNC, epcNCRM, "B", {"before OFF to ON"}, -1, epcNC, "wz"},
      {"#stop=bpc", epcOff, epcNC, "AS", {}, -1, epcOff, "z"},
      {"#stop=bpc", epcNC, epcOff, "SE", {"switch-off 3s"}, -1, epcNC, "z"},
      {"#stop=bpc", epcNC, epcOff, "E", {"wait OFF 3s"}, -1, epcNC, "z"},
      {"#stop=bpc", epcOff, epcNC, "SE", {}, -1, epcOff, "z"},
      {"#stop=bpc", epcNC, epcNCRM, "E", {"wait ON 2s"}, -1, epcNC, "z"},
      {"#stop=bpc", epcNC, epcOff, "BSE", {"before ON to OFF"}, -1, epcNC, "wz"},
      {"#stop=bpc", epcOff, epcNC, "BP", {"wait ON 2s", "before OFF to ON"}, -1, epcOff, "wz"},
      {"#stop=bpc", epcNC, epcNC, "BP", {}, -1, epcNC, ""},
      {"#stop=bpc", epcNC, epcOff, "B", {"before ON to OFF"}, 0, epcNC, "wzs"},
      {"#stop=bpc", epcOff, epcNC, "BP", {"wait ON 2s", "before OFF to ON"}, 0, epcOff, "wzs"},
      {"#stop=bpc", epcNC, epcNCRM, "F", {}, -1, epcNC, "z"},
      // After the change: the outlet record becomes the new configuration.
      {"#stop=apc", epcOff, epcON, "A", {}, -1, epcON, ""},
      {"#stop=apc", epcOff, epcNC, "A", {"after ON"}, -1, epcNC, ""},
      {"#stop=apc", epcNC, epcOff, "A", {"after OFF"}, -1, epcOff, ""},
      {"#stop=apc", epcOff, epcNC, "", {"wait ON 2s"}, -1, epcNC, ""},
      {"#stop=apc", epcNC, epcOff, "S", {"switch-off 3s"}, -1, epcOff, ""},
      {"#stop=apc", epcNC, epcOff, "", {"wait OFF 3s"}, -1, epcOff, ""},
      {"#stop=apc", epcNC, epcNCRM, "", {"wait OFF 3s"}, -1, epcNCRM, "", 0},
      {"#stop=apc", epcNC, epcNCRM, "", {}, -1, epcNCRM, "", 0, 0},
      {"#stop=apc", epcOff, epcNC, "AX", {}, -1, epcNC, ""},
      {"#stop=apc", epcOff, epcNC, "AC", {}, -1, epcOff, ""},
      {"#stop=apc", epcNC, epcOff, "ASC", {"after OFF"}, -1, epcOff, ""},
      {"#stop=apc", epcNC, epcOff, "SC", {"switch-off 3s"}, -1, epcOff, ""},
      {"#stop=apc", epcNC, epcNCRM, "ASC", {}, -1, epcNC, ""},
      {"#stop=apc", epcNC, epcOff, "AC", {}, -1, epcNC, ""},
      {"#stop=apc", epcNC, epcNC, "P", {"wait ON 2s"}, -1, epcNC, ""},
      {"#stop=apc", epcOff, epcNC, "AP", {"wait ON 2s", "after ON"}, -1, epcNC, ""},
      {"#stop=apc", epcOff, epcNC, "APC", {"wait ON 2s"}, -1, epcOff, ""},
      {"#stop=apc", epcOff, epcNC, "A", {"after ON"}, 0, epcNC, "s"},
      {"#stop=apc", epcOff, epcNC, "", {"wait ON 2s"}, 0, epcNC, "s"},
      {"#stop=ecg", epcOff, epcNC, "A", {"after ON"}, -1, epcNC, ""},
      {"#stop=ecg", epcNC, epcNC, "P", {"wait ON 2s"}, -1, epcNC, ""},
      // The polarity switching's own requests: "#pol" records nothing.
      {"#pol", epcNC, epcNCRM, "AS", {"switch-off 3s"}, -1, epcNC, ""},
      {"#pol", epcNC, epcNCRM, "A", {}, -1, epcNC, "", 2, 0},
      {"#pol", epcNC, epcOff, "P", {"wait OFF 3s", "wait OFF 3s"}, -1, epcNC, ""},
      {"#pol", epcNC, epcNCRM, "AX", {}, -1, epcNC, ""},
      {"b", epcNC, epcOff, "F", {"before OFF to ON"}, -1, epcNC, ""},
      {"a", epcNC, epcOff, "F", {"after ON"}, -1, epcNC, ""},
      {"b", epcNC, epcOff, "BA", {}, -1, epcNC, ""},
      {"b", epcNC, epcOff, "FP", {"before OFF to ON"}, -1, epcNC, "p"},
      {"a", epcNC, epcOff, "F", {"after ON"}, 0, epcNC, "s"},
      // Any other argument does nothing; the comparison is exact.
      {"#stop=xyz", epcNC, epcNCRM, "BASPF", {}, -1, epcNC, "p"},
      {"#stop", epcNC, epcNCRM, "BAP", {}, -1, epcNC, "p"},
      {"#stop=BPC", epcNC, epcNCRM, "B", {}, -1, epcNC, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.sDirective << " " << row.epcCurrent << ">" << row.epcNew
                                    << " " << row.sIn << " stop@" << row.iStopAt);
    CPowerBench bench;
    SetOptions(bench, row.sIn, row.iDelayOn, row.iDelayOff);
    SetFlags(bench.seq, row.sIn);
    bench.power.Current = row.epcCurrent;
    bench.Answer(row.vShown, row.iStopAt);
    bench.seq.PowerChangeStop(row.sDirective, row.epcNew, &bench.owner, Has(row.sIn, 'C'),
                              Has(row.sIn, 'E'));
    EXPECT_EQ(bench.Shown(), row.vShown);
    EXPECT_EQ(bench.ctx.Operator().AnswersLeft(), 0u);
    EXPECT_EQ(bench.power.Current, row.epcAfter);
    std::string sFlags = Flags(bench);
    std::erase_if(sFlags, [](char c) { return c == 'x' || c == 'f'; });
    EXPECT_EQ(sFlags, row.sOut);
    EXPECT_EQ(bench.Bytes(), "");
  }
}

TEST(CPowerSequencer, PowerDelayWaitShowsOneCountdownAndPowerOnWinsWhenItsDelayCounts) {
  struct Row {
    bool fOn;
    bool fOff;
    bool fBefore;
    int16_t iDelayOn;
    int16_t iDelayOff;
    Shown vShown;
    int iStopAt;
  };
  const Row rows[] = {
      {true, false, false, 2, 0, {"wait ON 2s"}, -1},
      {true, true, false, 2, 3, {"wait ON 2s"}, -1},
      {true, true, true, 2, 3, {"wait ON 2s"}, -1},
      {true, true, false, 0, 3, {"wait OFF 3s"}, -1},
      {true, true, true, 0, 3, {"switch-off 3s"}, -1},
      {false, true, false, 2, 3, {"wait OFF 3s"}, -1},
      {false, true, true, 2, 1, {"switch-off 1s"}, -1},
      {true, false, false, 1, 0, {"wait ON 1s"}, -1},
      {false, true, true, 2, 0, {}, -1},
      {false, true, true, 2, -5, {}, -1},
      {true, false, false, -1, 3, {}, -1},
      {true, false, false, 0, 3, {}, -1},
      {false, false, true, 2, 3, {}, -1},
      {true, false, false, 5, 0, {"wait ON 5s"}, 0},
      {false, true, true, 0, 4, {"switch-off 4s"}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message()
                 << "on " << row.fOn << " off " << row.fOff << " before " << row.fBefore
                 << " delays " << row.iDelayOn << "/" << row.iDelayOff);
    CPowerBench bench;
    SetOptions(bench, "", row.iDelayOn, row.iDelayOff);
    bench.Answer(row.vShown, row.iStopAt);
    bench.seq.PowerDelayWait(row.fOn, row.fOff, &bench.owner, row.fBefore);
    EXPECT_EQ(bench.Shown(), row.vShown);
    EXPECT_EQ(bench.ctx.Operator().AnswersLeft(), 0u);
    EXPECT_EQ(Flags(bench), row.iStopAt >= 0 ? "s" : "");
  }
}

// ---------------------------------------------------------------------------------------------
// PolaritySwitch

enum EFault {
  efNone,
  efEmptyStatus,     // "stat2" answered by an empty line
  efOffOther,        // "pol=off" answered "X"
  efOffError,        // "pol=off" answered "!30"
  efPolErrorOnce,    // the first polarity instruction answered "!31"
  efPolErrorAlways,  // every polarity instruction answered "!31"
};

CSimScenario ScenarioWith(ESimOutlet eso, EFault ef, uint16_t iStatusBits = 0) {
  CSimScenario scenario = RemoteScenario(eso);
  scenario.aiStatusBits[2] = iStatusBits;
  switch (ef) {
    case efNone:
      break;
    case efEmptyStatus:
      scenario.On("stat2", 0, esfNoise, 0, "\r\n");
      break;
    case efOffOther:
      scenario.On("pol=off", 0, esfNoise, 0, "X\r\n");
      break;
    case efOffError:
      scenario.On("pol=off", 0, esfError, 0, "30");
      break;
    case efPolErrorOnce:
    case efPolErrorAlways:
      scenario.On("pol=r", ef == efPolErrorOnce ? 1 : 0, esfError, 0, "31");
      scenario.On("pol=n", ef == efPolErrorOnce ? 1 : 0, esfError, 0, "31");
      break;
  }
  return scenario;
}

constexpr const char* S = "stat2\r\n";
constexpr const char* O = "pol=off\r\n";
constexpr const char* R = "pol=r\r\n";

// The commands by letter: S "stat2", O "pol=off", R "pol=r", N "pol=n"; with CR LF each.
std::string Commands(const std::string& sLetters) {
  std::string sBytes;
  for (char c : sLetters) {
    sBytes += c == 'S' ? "stat2" : c == 'O' ? "pol=off" : c == 'R' ? "pol=r" : "pol=n";
    sBytes += "\r\n";
  }
  return sBytes;
}

// What the wireless connector is asked for the same commands.
std::vector<std::string> WirelessCalls(const std::string& sLetters, int32_t lInstructionWaitMs) {
  std::vector<std::string> vCalls;
  for (char c : sLetters) {
    std::string sCommand = Commands(std::string(1, c));
    sCommand.resize(sCommand.size() - 2);
    int32_t lWaitMs = c == 'S' || c == 'O' ? 30 : lInstructionWaitMs;
    vCalls.push_back("SendCommand(" + sCommand + "," + std::to_string(lWaitMs) + ")");
  }
  return vCalls;
}

// Dialog names joined by "; ", as the polarity rows give them.
Shown Split(const std::string& sShown) {
  Shown vShown;
  for (size_t nStart = 0; nStart < sShown.size();) {
    size_t nEnd = std::min(sShown.find("; ", nStart), sShown.size());
    vShown.push_back(sShown.substr(nStart, nEnd - nStart));
    nStart = nEnd + 2;
  }
  return vShown;
}

enum ETransport { etSerial = 1, etWireless = 2, etBoth = 3 };

struct SPolarityRow {
  const char* sCase;
  ETransport et;
  const char* sInstruction;
  int32_t epcConfig;
  int32_t epcCurrent;
  ESimOutlet eso;
  const char* sIn;  // options B A S, flags Q T W X Z P (see SetFlags)
  const char* sLastIn;
  const char* sShown;
  int iStopAt;
  const char* sCommands;  // see Commands
  const char* sLastOut;
  const char* sOut;  // flags afterwards (see Flags)
  EFault ef = efNone;
  int32_t lError = 0;
  int16_t iDelay = 2;  // PolaritySwitchingDelay
};

void RunPolarityRows(const std::vector<SPolarityRow>& rows) {
  for (const SPolarityRow& row : rows) {
    for (bool fWireless : {false, true}) {
      if ((row.et & (fWireless ? etWireless : etSerial)) == 0) {
        continue;
      }
      SCOPED_TRACE(testing::Message() << row.sCase << (fWireless ? " (wireless)" : " (serial)"));
      CPowerBench bench(fWireless, ScenarioWith(row.eso, row.ef));
      SetOptions(bench, row.sIn, 2, 3);
      bench.options.SetPolaritySwitchingDelay(row.iDelay);
      SetFlags(bench.seq, row.sIn);
      bench.seq.msLastPolarity = row.sLastIn;
      bench.power.Current = row.epcCurrent;
      bench.Answer(Split(row.sShown), row.iStopAt);
      int32_t lError = 0;
      try {
        bench.seq.PolaritySwitch(row.sInstruction, row.epcConfig, &bench.owner);
      } catch (const CAutomationError& err) {
        lError = err.Number();
      }
      EXPECT_EQ(lError, row.lError);
      EXPECT_EQ(bench.Bytes(), Commands(row.sCommands));
      if (fWireless) {
        EXPECT_EQ(bench.pWifi->vCalls, WirelessCalls(row.sCommands, row.iDelay * 1000));
      }
      EXPECT_EQ(bench.Shown(), Split(row.sShown));
      EXPECT_EQ(bench.ctx.Operator().AnswersLeft(), 0u);
      EXPECT_EQ(bench.seq.msLastPolarity, row.sLastOut);
      EXPECT_EQ(Flags(bench), row.sOut);
      EXPECT_EQ(bench.power.Current, row.epcCurrent) << "the outlet record is not changed";
    }
  }
}

TEST(CPowerSequencer, PolaritySwitchSendsNothingMoreWhenStatusWord2ShowsTheRequestedPolarity) {
  struct Row {
    uint16_t iStatus;
    const char* sInstruction;
    bool fSwitches;
    const char* sOut;  // mfQuitSent was set before
  };
  const Row rows[] = {
      {0x0008, "pol=n", false, ""}, {0x0208, "pol=r", false, "q"}, {0xFFFF, "pol=r", false, "q"},
      {0xFDFF, "pol=n", false, ""}, {0x0208, "pol=n", true, "q"},  {0x0000, "pol=n", true, "q"},
      {0x0200, "pol=n", true, "q"}, {0x0008, "pol=r", true, "q"},  {0x0200, "pol=r", true, "q"},
      {0x0000, "pol=R", true, "q"}, {0xFFF7, "pol=R", true, "q"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.sInstruction << " status " << std::hex << row.iStatus);
    CPowerBench bench(false, ScenarioWith(esoOff, efNone, row.iStatus));
    bench.seq.mfQuitSent = true;
    bool fReversed = row.sInstruction[4] != 'n';
    int32_t epcConfig = fReversed ? epcNCRM : epcNC;
    bench.power.Current = epcConfig;
    bench.seq.PolaritySwitch(row.sInstruction, epcConfig, &bench.owner);
    std::string sInstruction = std::string(row.sInstruction) + "\r\n";
    EXPECT_EQ(bench.Bytes(), row.fSwitches ? S + std::string(O) + sInstruction : S);
    EXPECT_EQ(bench.seq.msLastPolarity, fReversed ? "R" : "N");
    EXPECT_EQ(Flags(bench), row.sOut);
    EXPECT_EQ(bench.Shown(), Shown{});
  }
}

TEST(CPowerSequencer, PolaritySwitchStopsForTheChangeOfPolarityOnlyWhenItsConditionHolds) {
  // Warned before power goes off (S) the "#pol" stop comes before "pol=off" and shows the
  // switch-off countdown; otherwise after it, with the power-is-now-OFF countdown.
  RunPolarityRows({
      {"switching differs", etBoth, "pol=r", epcNCRM, epcNC, esoNormal, "S", "N", "switch-off 3s",
       -1, "SOR", "R", "t"},
      {"off again into a powered configuration", etBoth, "pol=r", epcNCRM, epcNC, esoNormal, "ST",
       "N", "switch-off 3s", -1, "SOR", "R", "t"},
      {"after quit", etBoth, "pol=r", epcOERM, epcNCRM, esoNormal, "SQ", "N", "", -1, "SOR", "R",
       ""},
      {"no condition", etBoth, "pol=r", epcOERM, epcNCRM, esoNormal, "S", "N", "", -1, "SOR", "R",
       ""},
      {"outlet now with open neutral", etSerial, "pol=r", epcNCRM, epcON, esoOff, "S", "N", "", -1,
       "SOR", "R", ""},
      {"open neutral requested", etSerial, "pol=r", epcONRM, epcNC, esoNormal, "S", "N", "", -1,
       "SOR", "R", ""},
      {"off again, outlet now with open neutral", etSerial, "pol=r", epcNCRM, epcON, esoOff, "ST",
       "N", "", -1, "SOR", "R", "t"},
      {"same letter as the last polarity", etSerial, "pol=r", epcNCRM, epcNC, esoNormal, "SQ", "R",
       "", -1, "SOR", "R", "q"},
      {"first polarity recorded", etSerial, "pol=r", epcNCRM, epcNC, esoNormal, "SQ", "", "", -1,
       "SOR", "R", "qt"},
      {"after switching off", etBoth, "pol=r", epcNCRM, epcNC, esoNormal, "", "N", "wait OFF 3s",
       -1, "SOR", "R", "t"},
      {"after switching off, normal", etSerial, "pol=n", epcNC, epcNCRM, esoReversed, "Q", "R",
       "wait OFF 3s", -1, "SON", "N", "t"},
      {"stop before the change replaces both", etBoth, "pol=r", epcNCRM, epcNC, esoNormal, "BS",
       "N", "before OFF to ON", -1, "SOR", "R", "p"},
  });
}

TEST(CPowerSequencer, PolaritySwitchForcesTheFixedStopsUnlessTheTestAlreadyStopped) {
  RunPolarityRows({
      {"stopped at the before-change directive", etBoth, "pol=r", epcNCRM, epcNC, esoNormal, "BAWZ",
       "N", "", -1, "SOR", "R", ""},
      {"after the change", etBoth, "pol=r", epcOERM, epcNCRM, esoNormal, "AP", "N", "after ON", -1,
       "SOR", "R", "x"},
      {"after, change found at the before-change directive", etSerial, "pol=r", epcNCRM, epcNC,
       esoNormal, "AZ", "N", "wait OFF 3s", -1, "SOR", "R", "t"},
      {"after, stop shown at the before-change directive", etSerial, "pol=r", epcNCRM, epcNC,
       esoNormal, "AW", "N", "wait OFF 3s", -1, "SOR", "R", "t"},
      {"before and after", etBoth, "pol=r", epcNCRM, epcNC, esoNormal, "BA", "N",
       "before OFF to ON; after ON", -1, "SOR", "R", "x"},
  });
}

TEST(CPowerSequencer, PolaritySwitchSendsNothingMoreAfterStopTestAndSkipsWhatItsStepSays) {
  RunPolarityRows({
      {"stop before switching off", etBoth, "pol=r", epcNCRM, epcNC, esoNormal, "S", "N",
       "switch-off 3s", 0, "S", "R", "ts"},
      {"stop in the forced before-change stop", etBoth, "pol=r", epcNCRM, epcNC, esoNormal, "BZ",
       "N", "before OFF to ON", 0, "S", "N", "ps"},
      {"stop after switching off", etBoth, "pol=r", epcNCRM, epcNC, esoNormal, "", "N",
       "wait OFF 3s", 0, "SO", "R", "ts"},
      {"stop after switching off, forced after-change stop follows", etSerial, "pol=r", epcNCRM,
       epcNC, esoNormal, "A", "N", "wait OFF 3s; after ON", 0, "SO", "R", "txs"},
      {"stop in the forced after-change stop", etBoth, "pol=r", epcNCRM, epcNC, esoNormal, "BA",
       "N", "before OFF to ON; after ON", 1, "SOR", "N", "xs"},
  });
}

TEST(CPowerSequencer, PolaritySwitchOnUnusualRepliesAndDelays) {
  constexpr int32_t kOverflow = erOverflow;
  RunPolarityRows({
      {"empty status: no stop before switching off", etSerial, "pol=n", epcNC, epcNCRM, esoReversed,
       "S", "R", "", -1, "SSSON", "N", "", efEmptyStatus},
      {"empty status: no stop before switching off", etWireless, "pol=n", epcNC, epcNCRM,
       esoReversed, "S", "R", "", -1, "SON", "N", "", efEmptyStatus},
      {"switch-off not acknowledged: no stop after it", etSerial, "pol=r", epcNCRM, epcNC,
       esoNormal, "", "N", "", -1, "SOR", "R", "", efOffOther},
      {"switch-off not acknowledged, stop before it", etSerial, "pol=r", epcNCRM, epcNC, esoNormal,
       "S", "N", "switch-off 3s", -1, "SOR", "R", "t", efOffOther},
      {"switch-off refused", etSerial, "pol=r", epcNCRM, epcNC, esoNormal, "", "N", "", -1, "SOOO",
       "N", "", efOffError, errVTI_InvalidReply},
      {"switch-off refused", etWireless, "pol=r", epcNCRM, epcNC, esoNormal, "", "N", "", -1, "SOR",
       "R", "", efOffError},
      // From here on no stop condition holds (open earth after normal condition, both reversed).
      {"polarity refused once", etBoth, "pol=r", epcOERM, epcNCRM, esoNormal, "", "N", "", -1,
       "SORR", "R", "", efPolErrorOnce},
      {"polarity refused twice", etSerial, "pol=r", epcOERM, epcNCRM, esoNormal, "", "N", "", -1,
       "SORR", "N", "", efPolErrorAlways, errVTI_InvalidReply},
      {"polarity refused twice", etWireless, "pol=r", epcOERM, epcNCRM, esoNormal, "", "N", "", -1,
       "SORR", "R", "", efPolErrorAlways},
      {"delay 32 s", etBoth, "pol=r", epcOERM, epcNCRM, esoNormal, "", "N", "", -1, "SOR", "R", "",
       efNone, 0, 32},
      {"delay 33 s", etWireless, "pol=r", epcOERM, epcNCRM, esoNormal, "", "N", "", -1, "SO", "N",
       "", efNone, kOverflow, 33},
      {"delay 33 s, no error reply", etSerial, "pol=r", epcOERM, epcNCRM, esoNormal, "", "N", "",
       -1, "SOR", "R", "", efNone, 0, 33},
      {"delay 33 s, refused once", etSerial, "pol=r", epcOERM, epcNCRM, esoNormal, "", "N", "", -1,
       "SOR", "N", "", efPolErrorOnce, kOverflow, 33},
  });
}

TEST(CPowerSequencer, PolaritySwitchPausesAfterSwitchingOffAndBeforeSendingAgain) {
  // Normal condition to reversed with a stop condition; no power-off delay, so its stops show
  // nothing. The pause is between the moments two commands began to reach the instrument, less
  // the few milliseconds of the exchange before it.
  struct Row {
    const char* sCase;
    bool fWireless;
    const char* sIn;
    EFault ef;
    int16_t iDelay;
    const char* sFirst;
    int nFirst;
    const char* sSecond;
    int nSecond;
    int64_t lPauseMs;
  };
  const Row rows[] = {
      {"stop before switching off", false, "S", efNone, 2, O, 0, R, 0, 1000},
      {"stop before switching off", true, "S", efNone, 2, O, 0, R, 0, 1000},
      {"switch-off not acknowledged", false, "S", efOffOther, 2, O, 0, R, 0, 0},
      {"no stop before switching off", false, "", efNone, 2, O, 0, R, 0, 0},
      {"polarity refused", false, "", efPolErrorOnce, 2, R, 0, R, 1, 2000},
      {"polarity refused", false, "", efPolErrorOnce, 5, R, 0, R, 1, 5000},
      {"polarity refused", true, "", efPolErrorOnce, 5, R, 0, R, 1, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.sCase << (row.fWireless ? " (wireless)" : " (serial)")
                                    << " delay " << row.iDelay);
    CPowerBench bench(row.fWireless, ScenarioWith(esoNormal, row.ef));
    SetOptions(bench, row.sIn, 2, 0);
    SetFlags(bench.seq, row.sIn);
    bench.options.SetPolaritySwitchingDelay(row.iDelay);
    bench.seq.msLastPolarity = "N";
    bench.power.Current = epcNC;
    bench.seq.PolaritySwitch("pol=r", epcNCRM, &bench.owner);
    int64_t lFirst = bench.ArrivedUs(row.sFirst, row.nFirst);
    int64_t lSecond = bench.ArrivedUs(row.sSecond, row.nSecond);
    ASSERT_GE(lFirst, 0);
    ASSERT_GE(lSecond, 0);
    int64_t lPauseUs = lSecond - lFirst - row.lPauseMs * 1000;
    EXPECT_GE(lPauseUs, 0);
    EXPECT_LT(lPauseUs, 10'000);
  }
}

TEST(CPowerSequencer, AnAbortDuringThePauseAfterSwitchingOffEndsItAndNothingMoreIsSent) {
  for (bool fWireless : {false, true}) {
    SCOPED_TRACE(fWireless ? "wireless" : "serial");
    CPowerBench bench(fWireless, ScenarioWith(esoNormal, efNone));
    SetOptions(bench, "S", 2, 3);
    bench.seq.msLastPolarity = "N";
    bench.power.Current = epcNC;
    bench.Answer({"switch-off 3s"});
    int64_t lStartUs = bench.ctx.Clock().NowUs();
    // The host's Abort, half a second into the pause that follows the 3-second countdown.
    bench.ctx.Pump().AddTimer(lStartUs + 3'500'000, 0, [&] {
      bench.flags.mfAbort = bench.flags.mfStopFlag = true;
      bench.link.Channel().Abort();
    });
    bench.seq.PolaritySwitch("pol=r", epcNCRM, &bench.owner);
    EXPECT_EQ(bench.Bytes(), std::string(S) + O);
    EXPECT_EQ(bench.ctx.Clock().NowUs() - lStartUs, 3'500'000);
  }
}

// ---------------------------------------------------------------------------------------------
// The callers' sequences

TEST(CPowerSequencer, EarthLeakageInReversedMainsAfterNormalConditionStopsBeforeAndAfterOnly) {
  // The runner's walk through template 8008 as far as this class takes part: stop directives
  // (with a configuration instruction next, or not: the stock templates name no command that
  // owes a power-on delay), polarity instructions, and the other commands sent as they stand.
  auto runTest = [](CPowerBench& bench, int32_t epcTest) {
    CMicroSequence sequence;
    sequence.Initialize(etcEarthLeak, epcTest, "1", "", bench.options);
    for (int32_t i = 0; i < sequence.Count(); ++i) {
      std::string s = sequence.Instruction(i);
      std::string sNext = sequence.Instruction(i + 1);
      if (bench.flags.mfStopFlag || bench.flags.mfAbort || s.rfind("#wait", 0) == 0 ||
          s.rfind("#many", 0) == 0) {
        continue;
      }
      if (s.rfind("#stop", 0) == 0) {
        bool fConfigFollows = sNext.rfind("neut=", 0) == 0 || sNext.rfind("pol=", 0) == 0;
        bench.seq.PowerChangeStop(s, epcTest, &bench.owner, fConfigFollows, false);
      } else if (s.rfind("pol=", 0) == 0) {
        bench.seq.PolaritySwitch(s, epcTest, &bench.owner);
      } else {
        bench.link.Exchange(s, true, 150);
      }
    }
  };
  for (bool fWireless : {false, true}) {
    SCOPED_TRACE(fWireless ? "wireless" : "serial");
    CPowerBench bench(fWireless, RemoteScenario(esoNormal));
    SetOptions(bench, "BA", 2, 0);
    bench.options.SetMeasType(emt_AC);
    bench.power.Current = epcNC;
    bench.seq.msLastPolarity = "N";
    gfOutletOn = true;  // the test before ended with the outlet on
    bench.Answer({"before ON to OFF to ON", "after ON"});
    runTest(bench, epcNCRM);
    EXPECT_EQ(bench.Shown(), (Shown{"before ON to OFF to ON", "after ON"}));
    EXPECT_EQ(bench.Bytes(),
              "earthl\r\nstat2\r\npol=off\r\npol=r\r\nneut=c\r\nmode=ac\r\nap=1\r\nmdual=off\r\n");
    EXPECT_EQ(bench.power.Current, epcNCRM);
    EXPECT_EQ(bench.seq.msLastPolarity, "R");
    EXPECT_EQ(Flags(bench), "");
    EXPECT_EQ(bench.sim.StatusWord(2) & 0x0208, 0x0208) << "outlet on, reversed";

    // The next test in the same configuration: the polarity in force takes no stop.
    size_t nForms = bench.ctx.Operator().Forms().size();
    size_t nBytes = bench.Bytes().size();
    runTest(bench, epcNCRM);
    EXPECT_EQ(bench.ctx.Operator().Forms().size(), nForms);
    EXPECT_EQ(bench.Bytes().substr(nBytes),
              "earthl\r\nstat2\r\nneut=c\r\nmode=ac\r\nap=1\r\nmdual=off\r\n");
  }
}

TEST(CPowerSequencer, EndRemoteWarnsBeforeSwitchingOffAndCountsDownWhenWarnedBefore) {
  // EndRemote's two calls: before talking to the instrument, and, only when the operator is
  // warned before power goes off, once more at the end with the power-off delay.
  struct Row {
    const char* sIn;  // options B A S, flag P
    int16_t iDelayOff;
    int32_t epcCurrent;
    Shown vShown;
  };
  const Row rows[] = {
      {"S", 3, epcNC, {"switch-off 3s"}},
      {"", 3, epcNC, {}},
      {"BS", 3, epcNC, {"before ON to OFF", "before ON to OFF"}},
      {"B", 3, epcNC, {"before ON to OFF"}},
      {"S", 3, epcOff, {}},
      {"S", 0, epcNC, {}},
      {"AS", 3, epcNCRM, {"switch-off 3s"}},
      {"P", 3, epcNC, {"wait OFF 3s"}},
      {"PS", 3, epcNC, {"switch-off 3s", "switch-off 3s"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message()
                 << row.sIn << " delay " << row.iDelayOff << " from " << row.epcCurrent);
    CPowerBench bench;
    SetOptions(bench, row.sIn, 2, row.iDelayOff);
    SetFlags(bench.seq, row.sIn);
    bench.power.Current = row.epcCurrent;
    bench.Answer(row.vShown);
    bench.seq.PowerChangeStop("#stop=bpc", epcOff, &bench.owner, false, false);
    if (Has(row.sIn, 'S')) {
      bench.seq.PowerChangeStop("#stop=bpc", epcOff, &bench.owner, false, true);
    }
    EXPECT_EQ(bench.Shown(), row.vShown);
    EXPECT_EQ(bench.ctx.Operator().AnswersLeft(), 0u);
    EXPECT_EQ(bench.power.Current, row.epcCurrent);
    EXPECT_FALSE(bench.seq.mfDelayPending);
  }
}

}  // namespace
}  // namespace ksv940
