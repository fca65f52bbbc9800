#pragma once

// What the benchmarks share: the process's CPU time, a wall clock, and a pseudo-terminal pair.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <string>

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

}  // namespace ksv940::bench
