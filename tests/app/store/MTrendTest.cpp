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

TEST(MTrendTest, UnitsAsAPersonReadsThemOnlyWhereTheyStandAsAWord) {
  struct SCase {
    const char* pszText;
    const char* pszUnit;
    const char* pszShown;
    size_t nWidth;
  };
  for (const SCase& c : std::vector<SCase>{
           {"was 250 uA AC+DC on 2024-05-17, +12 uA", "uA",
            "was 250 \xC2\xB5"
            "A AC+DC on 2024-05-17, +12 \xC2\xB5"
            "A",
            38},
           {"worse since 2024-05-17 (-0.5 MOhm)", "MOhm", "worse since 2024-05-17 (-0.5 M\xCE\xA9)",
            32},
           {"OL MOhm; 3 Ohm", "Ohm", "OL MOhm; 3 \xCE\xA9", 12},
           {"3 Ohms, 3 uAh", "Ohm", "3 Ohms, 3 uAh", 13},
           {"230 V", "V", "230 V", 5},
       }) {
    SCOPED_TRACE(c.pszText);
    std::string sShown = WithPersonUnit(c.pszText, c.pszUnit);
    EXPECT_EQ(sShown, c.pszShown);
    EXPECT_EQ(ShownWidth(sShown), c.nWidth);
  }
}

}  // namespace
}  // namespace ksv940
