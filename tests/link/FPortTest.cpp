#include "link/FPort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/ChannelTesting.h"

namespace ksv940 {
namespace {

TEST(FPort, TimerEventsFollowStartAndStopOfEachForm) {
  struct SOp {
    int64_t lAtMs;
    char cForm;      // 'A' or 'B'
    int32_t lTmOut;  // -2: StopTimer
  };
  struct Row {
    const char* sCase;
    std::vector<SOp> vOps;
    int64_t lUntilMs;
    std::string sExpected;  // "form@ms" of each TimeOut event, in order
  };
  constexpr int32_t kStop = -2;
  const Row rows[] = {
      {"fires after each interval while enabled", {{0, 'A', 1000}}, 2500, "A@1000 A@2000 "},
      {"a restart counts from the restart",
       {{0, 'A', 1000}, {900, 'A', 1000}},
       3000,
       "A@1900 A@2900 "},
      {"stopped", {{0, 'A', 1000}, {999, 'A', kStop}}, 3000, ""},
      {"two forms count independently",
       {{0, 'A', 1000}, {0, 'B', 300}, {650, 'B', kStop}},
       1500,
       "B@300 B@600 A@1000 "},
      {"a negative interval keeps the one the timer had",
       {{0, 'A', 400}, {100, 'A', kStop}, {200, 'A', -5}},
       700,
       "A@600 "},
      {"zero fires at the next turn", {{100, 'A', 0}, {100, 'B', 50}}, 200, "A@100 B@150 "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sCase);
    test::CLinkFixture link;
    std::string sEvents;
    FPort* pA = nullptr;
    FPort* pB = nullptr;
    auto fnEvent = [&](char cForm) {
      sEvents += std::string(1, cForm) + "@" + std::to_string(link.Now() / 1000) + " ";
      // Like the users' handlers: a one-shot time-out, except for the periodic rows.
      if (std::string(row.sCase) == "zero fires at the next turn") {
        (cForm == 'A' ? pA : pB)->StopTimer();
      }
    };
    FPort formA([&] { fnEvent('A'); });
    FPort formB([&] { fnEvent('B'); });
    pA = &formA;
    pB = &formB;
    for (const SOp& op : row.vOps) {
      link.At(op.lAtMs * 1000, [&, op] {
        FPort& form = op.cForm == 'A' ? formA : formB;
        if (op.lTmOut == kStop) {
          form.StopTimer();
        } else {
          form.StartTimer(op.lTmOut);
        }
      });
    }
    link.ctx.RunUntil(row.lUntilMs * 1000);
    EXPECT_EQ(sEvents, row.sExpected);
  }
}

TEST(FPort, MakesItsControlFromTheFactoryAndClosesItsPortWhenUnloaded) {
  test::CLinkFixture link;
  {
    FPort form([] {});
    form.Comm().SetCommPort(test::CLinkFixture::kPort);
    form.Comm().SetPortOpen(true);
    EXPECT_EQ(form.Comm().Status(), "Connected");
    EXPECT_TRUE(link.pPorts->IsOpen(test::CLinkFixture::kPort));
  }
  EXPECT_FALSE(link.pPorts->IsOpen(test::CLinkFixture::kPort));
}

}  // namespace
}  // namespace ksv940
