#include "platform/core/CMessagePump.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/core/PosixPumpPlatform.h"
#include "testing/CTestContext.h"

namespace ksv940 {
namespace {

TEST(CMessagePump, IdleVirtualPumpJumpsToTheNextDeadline) {
  test::CTestContext ctx;
  std::vector<std::string> fired;
  ctx.Pump().AddTimer(5'000, 0, [&] { fired.push_back("5ms"); });
  ctx.Pump().AddTimer(2'000, 0, [&] { fired.push_back("2ms"); });
  ctx.Pump().ProcessMessages();
  EXPECT_EQ(ctx.Clock().NowUs(), 2'000);
  EXPECT_EQ(fired, std::vector<std::string>{"2ms"});
  ctx.Pump().ProcessMessages();
  EXPECT_EQ(ctx.Clock().NowUs(), 5'000);
  EXPECT_EQ(fired, (std::vector<std::string>{"2ms", "5ms"}));
}

TEST(CMessagePump, PostedTasksRunBeforeTimeAdvances) {
  test::CTestContext ctx;
  int nRuns = 0;
  ctx.Pump().AddTimer(1'000, 0, [] {});
  ctx.Pump().Post([&] { ++nRuns; });
  ctx.Pump().ProcessMessages();
  EXPECT_EQ(nRuns, 1);
  EXPECT_EQ(ctx.Clock().NowUs(), 0);
}

TEST(CMessagePump, VirtualPumpWithNothingToWaitForFailsInsteadOfHanging) {
  test::CTestContext ctx;
  EXPECT_THROW(ctx.Pump().ProcessMessages(), std::logic_error);
}

TEST(CMessagePump, RunUntilEndsOnTheConditionOrTheDeadlineAndLeavesNoTimerBehind) {
  struct Row {
    const char* szCase;
    int64_t lConditionAtUs;  // when a timer makes the condition hold
    bool fHandlerRaises;     // that timer's handler raises instead
    bool fHeld;
    int64_t lEndUs;
  };
  const Row rows[] = {
      {"condition first", 2'000, false, true, 2'000},
      {"deadline first", 9'000, false, false, 5'000},
      {"handler raises", 2'000, true, false, 2'000},
  };
  for (const Row& row : rows) {
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
    EXPECT_EQ(ctx.Clock().NowUs(), row.lEndUs);
    // Whatever ended the wait, its deadline is gone: an idle pump goes straight to what comes
    // next, not to 5 ms.
    ctx.Pump().WakeAt(20'000);
    while (ctx.Clock().NowUs() < 20'000) {
      ctx.Pump().ProcessMessages();
      EXPECT_NE(ctx.Clock().NowUs(), 5'000);
    }
  }
}

TEST(CMessagePump, HandlersMayRemoveTimersAndNestThePump) {
  test::CTestContext ctx;
  std::vector<int> fired;
  CMessagePump::Id second = 0;
  ctx.Pump().AddTimer(1'000, 0, [&] {
    fired.push_back(1);
    ctx.Pump().RemoveTimer(second);
    // A modal dialog's nested loop inside a handler.
    bool fDone = false;
    ctx.Pump().AddTimer(ctx.Clock().NowUs() + 3'000, 0, [&] { fDone = true; });
    while (!fDone) {
      ctx.Pump().ProcessMessages();
    }
    fired.push_back(3);
  });
  second = ctx.Pump().AddTimer(1'000, 0, [&] { fired.push_back(2); });
  ctx.Pump().ProcessMessages();
  EXPECT_EQ(fired, (std::vector<int>{1, 3}));
  EXPECT_EQ(ctx.Clock().NowUs(), 4'000);
}

TEST(CPumpTimer, FiresEveryIntervalAndRestartsItsCount) {
  test::CTestContext ctx;
  std::vector<int64_t> ticks;
  CPumpTimer timer([&] { ticks.push_back(ctx.Clock().NowUs() / 1000); });
  timer.Start(1000);
  ctx.RunUntil(900'000);
  timer.Start(1000);  // restarting at 900 ms: the next tick is 1000 ms later, not 100 ms
  ctx.RunUntil(3'950'000);
  EXPECT_EQ(ticks, (std::vector<int64_t>{1900, 2900, 3900}));
  timer.Stop();
  EXPECT_FALSE(timer.Enabled());
}

TEST(CPumpTimer, ZeroIntervalFiresAtTheNextTurn) {
  test::CTestContext ctx;
  int nTicks = 0;
  CPumpTimer timer([&] { ++nTicks; });
  timer.Start(0);
  ctx.Pump().ProcessMessages();
  EXPECT_GE(nTicks, 1);
}

// The OS itself is under test here: a real pump must block in poll, not spin, and wake for a
// readable descriptor.
TEST(CMessagePumpReal, BlocksUntilADescriptorIsReadable) {
  auto pClock = std::make_shared<CRealClock>();
  CMessagePump pump(pClock);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string sRead;
  CPosixPumpPlatform::Of(pump).WatchReadable(fds[0], [&] {
    char c;
    if (read(fds[0], &c, 1) == 1) {
      sRead.push_back(c);
    }
  });
  pump.AddTimer(pClock->NowUs() + 20'000, 0, [&] { ASSERT_EQ(write(fds[1], "x", 1), 1); });
  int64_t lStart = pClock->NowUs();
  while (sRead.empty()) {
    pump.ProcessMessages();
  }
  EXPECT_EQ(sRead, "x");
  EXPECT_GE(pClock->NowUs() - lStart, 19'000);
  close(fds[0]);
  close(fds[1]);
}

}  // namespace
}  // namespace ksv940
