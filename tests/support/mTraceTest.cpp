#include "support/mTrace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/trace/ITraceSink.h"
#include "testing/CTraceRecorder.h"

namespace ksv940 {
namespace {

TEST(mTrace, EachValueIsFollowedByATab) {
  auto pRecorder = std::make_shared<test::CTraceRecorder>();
  CContextScope scope;
  scope.Set<ITraceSink>(pRecorder);
  Trace("Connected", 5);
  Trace("Send Data    ::" + std::string("stat1"));
  Trace(int16_t{-3}, 1.5, "");
  Trace();
  ASSERT_EQ(pRecorder->vLines.size(), 4u);
  EXPECT_EQ(pRecorder->vLines[0], "Connected\t5\t");
  EXPECT_EQ(pRecorder->vLines[0].size(), 12u);
  EXPECT_EQ(pRecorder->vLines[1], "Send Data    ::stat1\t");
  EXPECT_EQ(pRecorder->vLines[2], "-3\t1.5\t\t");
  EXPECT_EQ(pRecorder->vLines[3], "");
}

// A sink that fails as told: its first nFailing sends raise, and IsOpen raises once if asked.
class CFailingSink : public ITraceSink {
 public:
  CFailingSink(int nFailing, bool fFailOpenOnce) : mnFailing(nFailing), mfFailOpen(fFailOpenOnce) {}
  bool IsOpen() const override {
    if (mfFailOpen) {
      mfFailOpen = false;
      throw CAutomationError(5, "test", "no sink");
    }
    return true;
  }
  void Send(const std::string& sLine) override {
    ++nAttempts;
    if (mnFailing > 0) {
      --mnFailing;
      throw CAutomationError(57, "test", "disk full");
    }
    vLines.push_back(sLine);
  }
  int nAttempts = 0;
  std::vector<std::string> vLines;

 private:
  int mnFailing;
  mutable bool mfFailOpen;
};

TEST(mTrace, FailuresAreTracedOnceAndNeverRecurse) {
  struct Row {
    const char* sCase;
    int nFailing;
    bool fFailOpen;
    int nAttempts;
    const char* sReportPattern;  // empty: nothing arrives
  };
  const Row rows[] = {
      {"a send fails", 1, false, 2,
       "disk full\r\nin OrvexNTB3\\.mTrace\\.SendTraceMessage at line [1-9][0-9]*\t"},
      {"the report fails too", 2, false, 2, ""},
      {"the sink cannot say whether it is open", 0, true, 1,
       "no sink\r\nin OrvexNTB3\\.mTrace\\.DoTrace at line [1-9][0-9]*\t"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sCase);
    auto pSink = std::make_shared<CFailingSink>(row.nFailing, row.fFailOpen);
    CContextScope scope;
    scope.Set<ITraceSink>(pSink);
    Trace("x");
    EXPECT_EQ(pSink->nAttempts, row.nAttempts);
    if (*row.sReportPattern == '\0') {
      EXPECT_TRUE(pSink->vLines.empty());
    } else {
      ASSERT_EQ(pSink->vLines.size(), 1u);
      EXPECT_TRUE(std::regex_match(pSink->vLines[0], std::regex(row.sReportPattern)))
          << pSink->vLines[0];
    }
    // The module goes on tracing afterwards.
    Trace("y");
    ASSERT_FALSE(pSink->vLines.empty());
    EXPECT_EQ(pSink->vLines.back(), "y\t");
  }
}

// The default sink is chosen once per thread from KSV940_TRACE; each case runs on a thread of
// its own.
TEST(mTrace, EachThreadChoosesItsSinkFromTheEnvironmentOnce) {
  char szDir[] = "/tmp/ksv940-traceXXXXXX";
  ASSERT_NE(mkdtemp(szDir), nullptr);
  std::string sFile = std::string(szDir) + "/trace.txt";
  struct Row {
    const char* sCase;
    std::string sValue;  // "-": not set
    bool fTraces;
  };
  const Row rows[] = {
      {"unset", "-", false},
      {"empty", "", false},
      {"a file", sFile, true},
      {"a file that cannot be made", std::string(szDir) + "/missing/trace.txt", false},
      {"stderr", "stderr", true},
  };
  const char* szBefore = std::getenv("KSV940_TRACE");
  std::string sBefore = szBefore != nullptr ? szBefore : "";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sCase);
    if (row.sValue == "-") {
      unsetenv("KSV940_TRACE");
    } else {
      setenv("KSV940_TRACE", row.sValue.c_str(), 1);
    }
    bool fTraces = false;
    std::thread worker([&] {
      fTraces = DoTrace();
      // Changing the variable later does not change the thread's choice.
      unsetenv("KSV940_TRACE");
      if (fTraces && row.sValue != "stderr") {
        Trace("Connected", 5);
        Trace("second");
      }
      EXPECT_EQ(DoTrace(), fTraces);
    });
    worker.join();
    EXPECT_EQ(fTraces, row.fTraces);
  }
  std::ifstream in(sFile, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), "Connected\t5\t\nsecond\t\n");
  if (szBefore != nullptr) {
    setenv("KSV940_TRACE", sBefore.c_str(), 1);
  } else {
    unsetenv("KSV940_TRACE");
  }
  std::remove(sFile.c_str());
  rmdir(szDir);
}

}  // namespace
}  // namespace ksv940
