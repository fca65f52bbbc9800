#include "support/mTrace.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/trace/ITraceSink.h"
#include "testing/CTempDir.h"

namespace ksv940 {
namespace {

// The default sink is chosen once per thread from KSV940_TRACE; each case runs on a thread of
// its own.
TEST(mTrace, EachThreadChoosesItsSinkFromTheEnvironmentOnce) {
  test::CTempDir dir;
  const std::pair<std::string, bool> kRows[] = {{"-", false},  // not set
                                                {"", false},
                                                {dir.PathOf("trace.txt"), true},
                                                {dir.PathOf("missing/trace.txt"), false},
                                                {"stderr", true}};
  const char* szBefore = std::getenv("KSV940_TRACE");
  std::string sBefore = szBefore != nullptr ? szBefore : "";
  for (const auto& [sValue, fExpected] : kRows) {
    SCOPED_TRACE(sValue);
    sValue == "-" ? unsetenv("KSV940_TRACE") : setenv("KSV940_TRACE", sValue.c_str(), 1);
    bool fTraces = false;
    std::thread([&] {
      fTraces = DoTrace();
      unsetenv("KSV940_TRACE");  // changing the variable later does not change the choice
      if (fTraces && sValue != "stderr") {
        Trace("Connected", 5);
      }
      EXPECT_EQ(DoTrace(), fTraces);
    }).join();
    EXPECT_EQ(fTraces, fExpected);
  }
  std::stringstream content;
  content << std::ifstream(dir.PathOf("trace.txt"), std::ios::binary).rdbuf();
  EXPECT_EQ(content.str(), "Connected\t5\t\n");
  szBefore != nullptr ? setenv("KSV940_TRACE", sBefore.c_str(), 1) : unsetenv("KSV940_TRACE");
}

}  // namespace
}  // namespace ksv940
