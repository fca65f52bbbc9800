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
#include "link/CKsvMlcQuery.h"
#include "platform/CContext.h"
#include "platform/CPortMap.h"

using namespace ksv940;
using namespace ksv940::bench;

namespace {

void PrintCpu(const char* sWhat, double dWallMs, double dCpuMs, const std::string& sOutcome) {
  std::printf("%s: %.1f ms wall, %.2f ms CPU = %.3f %% of a core (goal: under 1 %%) -> %s\n", sWhat,
              dWallMs, dCpuMs, 100.0 * dCpuMs / dWallMs, sOutcome.c_str());
}

void CpuOfTheQuery() {
  SPty pty;
  auto pMap = std::make_shared<CPortMap>();
  pMap->Map(1, pty.sPath);
  CContextScope scope;
  scope.Set<CPortMap>(pMap);
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
  char szSelf[4096];
  ssize_t n = readlink("/proc/self/exe", szSelf, sizeof szSelf - 1);
  if (n <= 0) {
    return;
  }
  std::string sBinary = std::string(szSelf, static_cast<size_t>(n));
  sBinary = sBinary.substr(0, sBinary.rfind('/') + 1) + "ksv940";
  if (access(sBinary.c_str(), X_OK) != 0) {
    std::printf("ksv940 query: %s not built, skipped\n", sBinary.c_str());
    return;
  }
  SPty pty;
  std::vector<std::string> vArgs = {sBinary, "query", "--port", pty.sPath};
  std::vector<char*> vArgv;
  for (std::string& sArg : vArgs) {
    vArgv.push_back(sArg.data());
  }
  vArgv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  double dStart = NowMs();
  pid_t pid = 0;
  if (posix_spawn(&pid, sBinary.c_str(), &actions, nullptr, vArgv.data(), environ) != 0) {
    std::printf("ksv940 query: could not start %s\n", sBinary.c_str());
    posix_spawn_file_actions_destroy(&actions);
    return;
  }
  int iStatus = 0;
  rusage usage{};
  wait4(pid, &iStatus, 0, &usage);
  double dWall = NowMs() - dStart;
  posix_spawn_file_actions_destroy(&actions);
  PrintCpu("ksv940 query, silent pseudo-terminal, the whole process", dWall, CpuMs(usage),
           "exit " + std::to_string(WIFEXITED(iStatus) ? WEXITSTATUS(iStatus) : -1));
}

}  // namespace

int main() {
  CpuOfTheQuery();
  CpuOfTheQueryCommand();
  return 0;
}
