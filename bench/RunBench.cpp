// The sample plan on the simulated analyzer, in real time: `ksv940 run plans/sample.xml
// --simulate` (the analyzer on a pseudo-terminal in the command's own process) against its floor,
// the time the plan itself prescribes: the same run on virtual time, where only the waits count
// (power-on delays, "#wait", the pause after switching the outlet off, the analyzer's reply
// latency and reading period, the reading window that ends at a whole second of the time of day)
// and characters take no time, as on a pseudo-terminal. The virtual run starts at the time of day
// the real one started at, since the reading windows end on whole seconds. Prints the wall time
// beside the floor and the command's peak resident memory. A plain program.
//
//   build/RunBench [PLAN]        about twice the plan's floor (70 s for the sample plan)

#include <time.h>

#include <climits>
#include <cstdio>
#include <sstream>
#include <string>

#include "BenchSupport.h"
#include "app/plan/COptionSettings.h"
#include "app/plan/CTestPlan.h"
#include "app/reports/CReportSet.h"
#include "app/run/CHostSession.h"
#include "app/run/CPlanRunner.h"
#include "hostdefaults/MHostDefaults.h"
#include "platform/core/CMessagePump.h"
#include "plugin/CKsvVti.h"
#include "sim/CSimInstrument.h"
#include "sim/CSimulatedLine.h"
#include "sim/CSimulatedPorts.h"

using namespace ksv940;
using namespace ksv940::bench;

namespace {

// The plan's run on virtual time: the pump jumps from one deadline to the next, so the time that
// passes is exactly what the run waits for.
double FloorMs(const std::string& sPlan, int64_t lTimeOfDayUs, int& iExit) {
  auto pClock = std::make_shared<CSimulatedClock>(lTimeOfDayUs);
  auto pPump = std::make_shared<CMessagePump>(pClock);
  CContextScope scope;
  scope.Set<IClock>(pClock).Set<CMessagePump>(pPump);
  auto pLine = std::make_shared<CSimulatedLine>(INT32_MAX);
  CSimInstrument sim{CSimScenario()};
  sim.Attach(*pLine);
  auto pPorts = std::make_shared<CSimulatedPorts>();
  pPorts->Connect(1, pLine);
  scope.Set<ISerialControlFactory>(pPorts);

  std::ostringstream out;
  SCommandContext ctx{out, out, 0};
  SHostOptions host;
  host.sOperator = "auto";
  double dMs = 0.0;
  {
    CHostSession session(host, ctx);
    CTestPlan plan = CTestPlan::Read(sPlan, host.settings);
    plan.ApplyOptions(*session.Vti().testOptions());
    CReportSet reports({}, out);
    IRunObserver silent;
    CPlanRunner runner(session.Vti(), session.TestGuide(), plan, reports, silent);
    int64_t lStartUs = pClock->NowUs();
    iExit = runner.Run(1, "simulated", false);
    dMs = static_cast<double>(pClock->NowUs() - lStartUs) / 1000.0;
  }
  sim.Detach();
  return dMs;
}

// The local time of day now, in microseconds after midnight.
int64_t TimeOfDayUs() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return (local.tm_hour * 3600LL + local.tm_min * 60LL + local.tm_sec) * 1'000'000LL +
         now.tv_nsec / 1000;
}

}  // namespace

int main(int argc, char** argv) {
  ksv940::InstallHostDefaults();
  std::string sPlan = argc > 1 ? argv[1] : std::string(KSV940_SOURCE_DIR) + "/plans/sample.xml";
  int64_t lStartUs = TimeOfDayUs();
  // The run keeps its steps in a results store of its own, as a run does by default.
  char szDir[] = "/tmp/ksv940-runbench-XXXXXX";
  std::string sDb = std::string(mkdtemp(szDir) != nullptr ? szDir : "/tmp") + "/results.db";
  SCommandRun run = RunKsv940({"run", sPlan, "--simulate", "--operator", "auto", "--db", sDb});
  std::remove(sDb.c_str());
  std::remove((sDb + "-wal").c_str());
  std::remove((sDb + "-shm").c_str());
  rmdir(szDir);
  if (!run.fRan) {
    std::printf("ksv940 run: the command is not built beside this benchmark, skipped\n");
    return 0;
  }
  int iFloorExit = -1;
  double dFloorMs = FloorMs(sPlan, lStartUs, iFloorExit);
  std::printf("floor (the plan's own waits, on virtual time): %.1f ms, exit %d\n", dFloorMs,
              iFloorExit);
  double dOver = 100.0 * (run.dWallMs - dFloorMs) / dFloorMs;
  std::printf(
      "ksv940 run --simulate, pseudo-terminal, real time: %.1f ms wall = floor + %.1f ms (%+.2f "
      "%%; goal: within 1 %%) -> %s; exit %d\n",
      run.dWallMs, run.dWallMs - dFloorMs, dOver, dOver <= 1.0 ? "met" : "NOT met", run.iExit);
  std::printf("ksv940 run: %.1f ms CPU; peak resident memory %.1f MB (goal: under 10 MB) -> %s\n",
              run.dCpuMs, static_cast<double>(run.lPeakRssKb) / 1024.0,
              run.lPeakRssKb < 10 * 1024 ? "met" : "NOT met");
  return 0;
}
