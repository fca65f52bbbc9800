#pragma once

#include <string>
#include <vector>

namespace ksv940::test {

/// How a run of the ksv940 command ended and what it wrote.
struct SRun {
  int iExit;
  std::string sOut;
  std::string sErr;
};

/// Runs the command in this process, on the thread's current context (virtual time, simulated
/// ports... as the test set them). vArgs come after the program name: {"explain", "--all"}.
SRun RunInProcess(std::vector<std::string> vArgs);

/// Runs the built program in its own process, in real time, with vArgs as its arguments.
SRun RunBinary(const std::vector<std::string>& vArgs);

}  // namespace ksv940::test
