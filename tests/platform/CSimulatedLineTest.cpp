#include "sim/CSimulatedLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/CTestContext.h"

namespace ksv940 {
namespace {

TEST(CSimulatedLine, CharactersArriveOneCharacterTimeApartAt115200Baud) {
  test::CTestContext ctx;
  CSimulatedLine line;
  std::vector<std::pair<int64_t, std::string>> arrivals;
  line.SetReceiver(CSimulatedLine::eslPeer, [&](std::string_view s) {
    arrivals.emplace_back(ctx.Clock().NowUs(), std::string(s));
  });
  line.Write(CSimulatedLine::eslHost, "stat\r\n");
  EXPECT_EQ(line.Pending(CSimulatedLine::eslHost), 6u);
  ctx.RunUntil(10'000);
  std::string sAll;
  for (auto& [lUs, s] : arrivals) {
    sAll += s;
  }
  EXPECT_EQ(sAll, "stat\r\n");
  EXPECT_EQ(line.Pending(CSimulatedLine::eslHost), 0u);
  // Six characters of ten bits at 115200 baud take 520.8 us; the last one is in at 521 us.
  ASSERT_FALSE(arrivals.empty());
  EXPECT_EQ(arrivals.front().first, 87);
  EXPECT_EQ(arrivals.back().first, 521);
}

TEST(CSimulatedLine, BothDirectionsAreIndependentAndFlushDropsUnsent) {
  test::CTestContext ctx;
  CSimulatedLine line;
  std::string sAtHost;
  std::string sAtPeer;
  line.SetReceiver(CSimulatedLine::eslHost, [&](std::string_view s) { sAtHost += s; });
  line.SetReceiver(CSimulatedLine::eslPeer, [&](std::string_view s) {
    sAtPeer += s;
    if (sAtPeer == "ab") {
      line.Write(CSimulatedLine::eslPeer, "*\r\n");
    }
  });
  line.Write(CSimulatedLine::eslHost, "ab");
  ctx.RunUntil(1'000);
  EXPECT_EQ(sAtHost, "*\r\n");
  line.Write(CSimulatedLine::eslHost, "lost");
  line.Flush(CSimulatedLine::eslHost);
  ctx.RunUntil(2'000);
  EXPECT_EQ(sAtPeer, "ab");
}

}  // namespace
}  // namespace ksv940
