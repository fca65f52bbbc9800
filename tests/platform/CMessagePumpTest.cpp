#include "platform/core/CMessagePump.h"
#include "platform/core/PosixPumpPlatform.h"

#include <gtest/gtest.h>
#include <time.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

#include "testing/CTestContext.h"

namespace ksv940 {
namespace {

TEST(CMessagePump, RunUntilEndsOnTheConditionOrTheDeadlineAndLeavesNoTimerBehind) {
  struct SRow {
    const char* szCase;
    int64_t lConditionAtUs;  // when a timer makes the condition hold
    bool fHandlerRaises;     // that timer's handler raises instead
    bool fHeld;
    int64_t lEndUs;
  };
  const SRow rows[] = {{"condition first", 2'000, false, true, 2'000},
                       {"deadline first", 9'000, false, false, 5'000},
                       {"handler raises", 2'000, true, false, 2'000}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szCase);
    test::CTestContext ctx;
    bool fCondition = false;
    ctx.Pump().AddTimer(row.lConditionAtUs, 0, [&] {
      if (row.fHandlerRaises) {
        throw std::runtime_error("handler failed");
      }
      fCondition = true;
    });
    bool fHeld = false;
    bool fRaised = false;
    try {
      fHeld = ctx.Pump().RunUntil(5'000, [&] { return fCondition; });
    } catch (const std::runtime_error&) {
      fRaised = true;
    }
    EXPECT_EQ(fRaised, row.fHandlerRaises);
    EXPECT_EQ(fHeld, row.fHeld);
    EXPECT_EQ(ctx.NowUs(), row.lEndUs);
    // Whatever ended the wait, its deadline is gone: an idle pump goes straight to what comes
    // next, not to 5 ms.
    ctx.Pump().WakeAt(20'000);
    ctx.Pump().ProcessMessages();
    EXPECT_NE(ctx.NowUs(), 5'000);
  }
}

// The OS itself is under test here: a real pump blocks in poll, not spinning, until a descriptor
// is readable: the thread uses next to no processor time while it waits.
TEST(CMessagePumpReal, BlocksUntilADescriptorIsReadable) {
  auto pClock = std::make_shared<CRealClock>();
  CMessagePump pump(pClock);
  int aiFds[2];
  ASSERT_EQ(pipe(aiFds), 0);
  std::string sRead;
  CPosixPumpPlatform::Of(pump).WatchReadable(aiFds[0], [&] {
    char c;
    if (read(aiFds[0], &c, 1) == 1) {
      sRead.push_back(c);
    }
  });
  pump.AddTimer(pClock->NowUs() + 100'000, 0, [&] { ASSERT_EQ(write(aiFds[1], "x", 1), 1); });
  auto fnCpuUs = [] {
    timespec time{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return time.tv_sec * 1'000'000LL + time.tv_nsec / 1000;
  };
  int64_t lStart = pClock->NowUs();
  int64_t lCpuStartUs = fnCpuUs();
  while (sRead.empty()) {
    pump.ProcessMessages();
  }
  EXPECT_EQ(sRead, "x");
  EXPECT_GE(pClock->NowUs() - lStart, 99'000);
  // A spinning thread would take its share of a processor for the whole 100 ms.
  EXPECT_LT(fnCpuUs() - lCpuStartUs, 5'000);
  close(aiFds[0]);
  close(aiFds[1]);
}

}  // namespace
}  // namespace ksv940
