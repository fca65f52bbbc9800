#pragma once

#include <cstdint>
#include <functional>
#include <string>

/// Stops the run when a property every input must keep does not hold: the fuzzer keeps the input
/// as a crash, and the replay of a corpus fails.
#define FUZZ_CHECK(fCondition)                                     \
  do {                                                             \
    if (!(fCondition))                                             \
      ::ksv940::fuzz::FuzzFailed(#fCondition, __FILE__, __LINE__); \
  } while (false)

/// Makes the file a fuzz target of its own when it is built for libFuzzer; in the replay program
/// the function is called by name instead.
#ifdef KSV940_LIBFUZZER
#define KSV940_FUZZ_ENTRY(fnTarget)                                           \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) { \
    return ::ksv940::fuzz::fnTarget(pData, nSize);                            \
  }
#else
#define KSV940_FUZZ_ENTRY(fnTarget)
#endif

namespace ksv940::fuzz {

[[noreturn]] void FuzzFailed(const char* szCondition, const char* szFile, int iLine);

/// Installs the host's services once per process, as a host does at start-up.
void FuzzSetUp();

/// Runs fn and answers the number of the automation error it raised, or 0 when it returned. Any
/// other exception is a failure: nothing in the component may raise one.
int32_t RaisedNumber(const std::function<void()>& fn);

/// Writes sData to a file of this process (created once, rewritten at each call) and answers its
/// path, for readers that take a file.
std::string ScratchFile(const std::string& sData, const char* szSuffix);

}  // namespace ksv940::fuzz
