// The soak, on virtual time: test after test on one plug-in object per link, each disturbed at
// random by faults on the commands it sends, the operator's answers and an Abort from the host,
// seeded so that a run can be repeated. After each test the rules' invariants; every hundred tests
// remote operation is ended and begun again; over the whole run neither the pump's timers and
// watched descriptors nor the process's open descriptors may grow (the ASan build adds leaks). The
// wireless link is our bridge client on a loopback bridge, which connects anew each time: its
// sockets are the descriptors that could leak.
//
//   KSV940_SOAK_TESTS=N (default 10 000) tests on each link; KSV940_SOAK_SEED=S (default 1).

#include <dirent.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>

#include "declares/GDeclares.h"
#include "platform/core/PosixPumpPlatform.h"
#include "reliability/MFaultRuns.h"

namespace ksv940::test {
namespace {

long EnvNumber(const char* szName, long lDefault) {
  const char* szValue = std::getenv(szName);
  return szValue == nullptr ? lDefault : std::strtol(szValue, nullptr, 10);
}

size_t OpenDescriptors() {
  size_t nOpen = 0;
  if (DIR* pDir = opendir("/proc/self/fd")) {
    while (readdir(pDir) != nullptr) {
      ++nOpen;
    }
    closedir(pDir);
  }
  return nOpen;
}

// The faults a soak draws from: everything the simulated analyzer does but drop, which would end
// the object's usefulness (the sweep covers it).
const ESimFault kFaultKinds[] = {esfLate, esfSilent, esfGarbled, esfSplit, esfError, esfNoise};
const char* const kErrorCodes[] = {"21", "22", "30", "32", "33", "37", "50", "51", "57"};

class Soak : public ::testing::TestWithParam<ERigLink> {};

TEST_P(Soak, TestAfterTestWithRandomDisturbancesKeepsTheRulesAndGrowsNothing) {
  const long lTests = EnvNumber("KSV940_SOAK_TESTS", 10000);
  const auto uSeed = static_cast<uint32_t>(EnvNumber("KSV940_SOAK_SEED", 1));
  std::mt19937 random(uSeed);
  auto Chance = [&](int iPercent) { return static_cast<int>(random() % 100) < iPercent; };

  CRig rig(CSimScenario(), GetParam());
  PrepareRig(rig);
  rig.Connect();
  size_t nTimersAtStart = rig.ctx.Pump().TimerCount();
  size_t nWatchesAtStart = CPosixPumpPlatform::Of(rig.ctx.Pump()).WatchCount();
  size_t nDescriptorsAtStart = OpenDescriptors();
  size_t nMostTimers = nTimersAtStart;
  int aiOutcomes[3] = {};
  int iFaulted = 0;
  int iAborted = 0;
  int iStopped = 0;
  std::map<int32_t, std::vector<std::string>> lastCommands;  // by test code, undisturbed
  int64_t lVirtualStartUs = rig.ctx.Clock().NowUs();
  auto wallStart = std::chrono::steady_clock::now();

  for (long lTest = 0; lTest < lTests; ++lTest) {
    const SSweepTemplate& tmpl = kSweepTemplates[random() % 24];
    SSweepDisturbance disturbance;
    // Faults on commands this test sent when it last ran, held for one to three sends.
    std::vector<SSimFault> vFaults;
    const std::vector<std::string>& vLast = lastCommands[tmpl.etc];
    for (int iFault = 0; iFault < 2 && !vLast.empty() && Chance(50); ++iFault) {
      size_t k = random() % vLast.size();
      SSimFault fault;
      fault.sCommand = FaultName(vLast[k]);
      fault.eFault = kFaultKinds[random() % std::size(kFaultKinds)];
      fault.lMs = static_cast<int32_t>(random() % 3000);
      fault.lSplitAt = static_cast<int32_t>(1 + random() % 4);
      fault.sText = fault.eFault == esfError   ? kErrorCodes[random() % std::size(kErrorCodes)]
                    : fault.eFault == esfNoise ? "\xff\x0d"
                                               : "";
      auto lFirst = Occurrence(vLast, k);
      for (int32_t l = lFirst; l < lFirst + 1 + static_cast<int32_t>(random() % 3); ++l) {
        fault.lOccurrence = l;
        vFaults.push_back(fault);
      }
      ++iFaulted;
    }
    disturbance.fnArm = [&](CSimScenario& scenario) {
      for (const SSimFault& fault : vFaults) {
        scenario.On(fault.sCommand, fault.lOccurrence, fault.eFault, fault.lMs, fault.sText,
                    fault.lSplitAt);
      }
    };
    if (Chance(10)) {
      disturbance.lAbortAtUs = static_cast<int64_t>(random() % 20'000'000);
      ++iAborted;
    }
    if (Chance(10)) {
      disturbance.iStopAtForm = static_cast<int>(random() % 3);
    }

    SSweepRun run = RunTest(rig, tmpl, disturbance);

    SCOPED_TRACE("seed " + std::to_string(uSeed) + ", test " + std::to_string(lTest) + " (code " +
                 std::to_string(tmpl.etc) + ")");
    ASSERT_TRUE(run.lError == 0 || run.lError == errVTI_Error || run.lError == errVTI_UserAbort)
        << run.lError;
    ASSERT_LE(run.nBoxes, run.lError == errVTI_Error ? 1U : 0U) << run.sBoxes;
    ASSERT_EQ(run.lState, evsIdle);
    ASSERT_TRUE(run.fNewResult && run.fEarlierResultKept);
    aiOutcomes[run.lError == 0 ? 0 : run.lError == errVTI_Error ? 1 : 2] += 1;
    iStopped += run.fStopped ? 1 : 0;
    if (disturbance.lAbortAtUs < 0 && !run.fStopped && vFaults.empty()) {
      lastCommands[tmpl.etc] = run.vCommands;
    }
    // The host lifts an operator's stop before its next test, and now and then starts over.
    rig.pVti->SetStopFlagForAPScreen(false);
    if (lTest % 100 == 99) {
      rig.pVti->EndRemote(&rig.guide);
      ASSERT_EQ(rig.pVti->State(), evsClosed);
      rig.sim.Scenario().vFaults.clear();
      rig.Connect();
      ASSERT_EQ(rig.pVti->State(), evsIdle);
    }
    nMostTimers = std::max(nMostTimers, rig.ctx.Pump().TimerCount());
    // A stream of readings may still run on the wireless link (nothing stops it there), and a
    // late reply may still be on its way: a few timers, never more and more.
    ASSERT_LE(rig.ctx.Pump().TimerCount(), nTimersAtStart + 8);
    ASSERT_EQ(CPosixPumpPlatform::Of(rig.ctx.Pump()).WatchCount(), nWatchesAtStart);
  }
  rig.pVti->EndRemote(&rig.guide);
  EXPECT_EQ(OpenDescriptors(), nDescriptorsAtStart);
  double dWallS =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  std::printf(
      "\nSoak, %s link, seed %u: %ld tests in %.2f s (%.1f h of virtual time), %d with "
      "faults, %d with an Abort, %d stopped by the operator; none/errVTI_Error/"
      "errVTI_UserAbort %d/%d/%d; timers at most %zu (at start %zu), open descriptors "
      "%zu before and after\n",
      LinkName(GetParam()).c_str(), uSeed, lTests, dWallS,
      static_cast<double>(rig.ctx.Clock().NowUs() - lVirtualStartUs) / 3.6e9, iFaulted, iAborted,
      iStopped, aiOutcomes[0], aiOutcomes[1], aiOutcomes[2], nMostTimers, nTimersAtStart,
      OpenDescriptors());
}

INSTANTIATE_TEST_SUITE_P(Links, Soak, ::testing::Values(erlSerial, erlBridge),
                         [](const auto& link) { return LinkName(link.param); });

}  // namespace
}  // namespace ksv940::test
