// CPU of the discovery query on a pseudo-terminal whose far end stays silent: the one-second
// blocking pause and the three time-outs of "local", ESC and "stat", about 6 s in all. Measured
// for the query alone in this process and for the whole `ksv940 query` process. A plain program;
// it prints its figures and the goal.
//
//   build/QueryBench            about 12 s

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "hostdefaults/MHostDefaults.h"
#include "link/CKsvMlcQuery.h"

using namespace ksv940;
using namespace ksv940::bench;

namespace {

void PrintCpu(const char* sWhat, double dWallMs, double dCpuMs, const std::string& sOutcome) {
  std::printf("%s: %.1f ms wall, %.2f ms CPU = %.3f %% of a core (goal: under 1 %%) -> %s\n", sWhat,
              dWallMs, dCpuMs, 100.0 * dCpuMs / dWallMs, sOutcome.c_str());
}

void CpuOfTheQuery() {
  CPtyPort port;
  CKsvMlcQuery query;
  double dCpu = ProcessCpuMs();
  double dStart = NowMs();
  MtiQueryResult result = query.QueryMTI(1);
  double dWall = NowMs() - dStart;
  dCpu = ProcessCpuMs() - dCpu;
  PrintCpu("QueryMTI on a silent pseudo-terminal", dWall, dCpu,
           "Result " + std::to_string(result.Result));
}

void CpuOfTheQueryCommand() {
  SPty pty;
  SCommandRun run = RunKsv940({"query", "--port", pty.sPath});
  if (!run.fRan) {
    std::printf("ksv940 query: the command is not built beside this benchmark, skipped\n");
    return;
  }
  PrintCpu("ksv940 query, silent pseudo-terminal, the whole process", run.dWallMs, run.dCpuMs,
           "exit " + std::to_string(run.iExit));
}

}  // namespace

int main() {
  ksv940::InstallHostDefaults();
  CpuOfTheQuery();
  CpuOfTheQueryCommand();
  return 0;
}
