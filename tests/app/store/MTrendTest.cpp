#include "app/store/MTrend.h"

#include <gtest/gtest.h>

namespace ksv940 {
namespace {

TEST(MTrendTest, RemarkOnlyForAMoveTowardALimitBeyondItsShare) {
  struct SCase {
    const char* pszName;
    double dPrevious;
    double dNow;
    std::optional<double> dMin;
    std::optional<double> dMax;
    const char* pszUnit;
    double dPercent;
    const char* pszRemark;
  };
  for (const SCase& c : std::vector<SCase>{
           {"up by 30 % of max", 100, 250, {}, 500, "uA", 20, "worse since 2024-05-17 (+150 uA)"},
           {"up by exactly 20 % of max", 100, 200, {}, 500, "uA", 20, ""},
           {"down, away from max", 250, 100, {}, 500, "uA", 20, ""},
           {"a larger share asked for", 100, 250, {}, 500, "uA", 50, ""},
           {"down toward min", 10, 9.5, 2, {}, "MOhm", 20, "worse since 2024-05-17 (-0.5 MOhm)"},
           {"up, away from min", 9.5, 10, 2, 20, "MOhm", 20, ""},
           {"without limits", 1, 1000, {}, {}, "uA", 20, ""},
           {"a decimal difference", 0.1, 0.4, {}, 1, "mA", 20, "worse since 2024-05-17 (+0.3 mA)"},
       }) {
    SCOPED_TRACE(c.pszName);
    SStoredStep step;
    step.dValue = c.dNow;
    step.dMin = c.dMin;
    step.dMax = c.dMax;
    step.sUnit = c.pszUnit;
    EXPECT_EQ(TrendRemark(step, {c.dPrevious, "", "2024-05-17T07:30:05Z"}, c.dPercent),
              c.pszRemark);
  }
}

}  // namespace
}  // namespace ksv940
