#pragma once

// What the benchmarks share: the process's CPU time, a wall clock, a pseudo-terminal pair (also as
// port 1), and running the built command.

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/CContext.h"
#include "platform/serial/CPortMap.h"

namespace ksv940::bench {

inline double CpuMs(const rusage& usage) {
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

/// CPU time (user and system) the process has used so far, in milliseconds.
inline double ProcessCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return CpuMs(usage);
}

inline double NowMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

/// A pseudo-terminal pair: the terminal end's path (what a serial control opens) and the far
/// end's descriptor, held open for the pair's lifetime.
struct SPty {
  int iMaster = -1;
  std::string sPath;
  SPty() {
    iMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    grantpt(iMaster);
    unlockpt(iMaster);
    char szName[128];
    ptsname_r(iMaster, szName, sizeof szName);
    sPath = szName;
  }
  ~SPty() { close(iMaster); }
  SPty(const SPty&) = delete;
  SPty& operator=(const SPty&) = delete;
};

/// A pseudo-terminal pair whose terminal end is port 1 of this thread's port map while it lives.
struct CPtyPort {
  SPty pty;
  std::shared_ptr<CPortMap> pMap = std::make_shared<CPortMap>();
  CContextScope scope;
  CPtyPort() {
    pMap->Map(1, pty.sPath);
    scope.Set<CPortMap>(pMap);
  }
};

/// How a run of the ksv940 command, in a process of its own, went.
struct SCommandRun {
  bool fRan = false;     ///< false when the command is not built beside the benchmark
  double dWallMs = 0.0;  ///< from start to exit
  double dCpuMs = 0.0;   ///< the whole process's CPU time
  int iExit = -1;
  long lPeakRssKb = 0;  ///< the process's largest resident set
};

/// Runs the ksv940 command built beside this benchmark (or the one $KSV940_BENCH_BINARY names,
/// to compare builds) with vArgs, its output thrown away.
inline SCommandRun RunKsv940(std::vector<std::string> vArgs) {
  SCommandRun run;
  char szSelf[4096];
  ssize_t n = readlink("/proc/self/exe", szSelf, sizeof szSelf - 1);
  if (n <= 0) {
    return run;
  }
  std::string sBinary = std::string(szSelf, static_cast<size_t>(n));
  sBinary = sBinary.substr(0, sBinary.rfind('/') + 1) + "ksv940";
  if (const char* szOther = std::getenv("KSV940_BENCH_BINARY"); szOther != nullptr) {
    sBinary = szOther;
  }
  if (access(sBinary.c_str(), X_OK) != 0) {
    return run;
  }
  vArgs.insert(vArgs.begin(), sBinary);
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
  if (posix_spawn(&pid, sBinary.c_str(), &actions, nullptr, vArgv.data(), environ) == 0) {
    int iStatus = 0;
    rusage usage{};
    wait4(pid, &iStatus, 0, &usage);
    run.fRan = true;
    run.dWallMs = NowMs() - dStart;
    run.dCpuMs = CpuMs(usage);
    run.lPeakRssKb = usage.ru_maxrss;
    run.iExit = WIFEXITED(iStatus) ? WEXITSTATUS(iStatus) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

}  // namespace ksv940::bench
