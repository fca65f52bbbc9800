#include "power/CPowerConfig.h"

#include <gtest/gtest.h>

namespace ksv940 {
namespace {

TEST(CPowerConfig, TogglesFollowTheTableForEveryPairOfConfigurations) {
  // Per current configuration, one character per new configuration 0 to 17: + switches on only,
  // - off only, B both, . neither. Rows 0, 1, 3, 5 and 6 are the analyzer's reference answers;
  // 17 stands for every value outside the enumeration.
  const char* const kToggles[18] = {
      "......BB..........",  // 0 epcOffOE
      "...++.BB..........",  // 1 epcOff
      "...++.BB..........",  // 2 epcON
      ".--..-BB---.......",  // 3 epcNC
      ".--..-BB---.......",  // 4 epcOE
      "-..BB.++...-------",  // 5 epcONRM
      "---BB-..----------",  // 6 epcNCRM
      "---BB-..----------",  // 7 epcOERM
      "...++.BB..........",  // 8 epcMainsL1L2
      "...++.BB..........",  // 9
      "...++.BB..........",  // 10
      "......BB..........",  // 11 epcAccessNC
      "......BB..........",  // 12
      "......BB..........",  // 13
      "......BB..........",  // 14
      "......BB..........",  // 15
      "......BB..........",  // 16 epcAccessOERM
      "......BB.........."   // 17
  };
  const char* sPoweredIn = "...xx.xx..........";
  const char* sReversedIn = ".....xxx..........";
  for (int32_t lCurrent = 0; lCurrent < 18; ++lCurrent) {
    CPowerConfig config;
    config.Current = lCurrent;
    for (int32_t lNew = 0; lNew < 18; ++lNew) {
      SCOPED_TRACE(std::to_string(lCurrent) + " to " + std::to_string(lNew));
      char cExpected = kToggles[lCurrent][lNew];
      EXPECT_EQ(config.WillToggleOn(lNew), cExpected == '+' || cExpected == 'B');
      EXPECT_EQ(config.WillToggleOff(lNew), cExpected == '-' || cExpected == 'B');
      EXPECT_EQ(config.Current, lCurrent);
    }
    EXPECT_EQ(config.PowerOn(), sPoweredIn[lCurrent] == 'x') << lCurrent;
    EXPECT_EQ(config.PowerOff(), sPoweredIn[lCurrent] != 'x') << lCurrent;
    EXPECT_EQ(config.Reversed(), sReversedIn[lCurrent] == 'x') << lCurrent;
  }
  CPowerConfig fresh;
  EXPECT_EQ(fresh.Current, 0);
  fresh.Current = -5;
  EXPECT_TRUE(fresh.WillToggleOn(6) && fresh.WillToggleOff(6));
  EXPECT_FALSE(fresh.WillToggleOn(3) || fresh.WillToggleOff(3));
}

}  // namespace
}  // namespace ksv940
