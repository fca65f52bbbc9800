#include <gtest/gtest.h>

#include "app/record/MRunText.h"
#include "app/record/MValueText.h"

namespace ksv940 {
namespace {

TEST(MValueText, AValueReadsAsTheHostsDisplayPatternShowsIt) {
  struct SRow {
    float fValue;
    const char* szPattern;
    const char* szText;
  };
  const std::vector<SRow> rows = {
      {1234.5F, "# ##0.0", "1 234.5"},
      {12345.6F, "# ##0.0", "12 345.6"},  // digits beyond the pattern go before it
      {5.0F, "# ##0.0", "5.0"},           // no blank before the first digit shown
      {0.25F, "# ##0", "0"},
      {250.0F, "# ##0", "250"},
      {230.1F, "# ##0.0", "230.1"},  // the reading as read, not the float's binary value
      {0.095F, "# ##0.000", "0.095"},
      {0.0005F, "# ##0.000", "0.001"},  // half away from zero
      {1.25F, "#0.0", "1.3"},
      {0.04F, "#0.0", "0.0"},
      {-0.04F, "#0.0", "0.0"},  // a value that rounds to zero has no sign
      {-1234.56F, "# ##0.0", "-1 234.6"},
      {999.96F, "# ##0.0", "1 000.0"},  // rounding carries into a new digit
      {1.5F, "0.0#", "1.5"},            // an optional decimal that is zero is left out
      {1.567F, "0.0#", "1.57"},
      {0.3F, "", "0.3"},
      {1e6F, "", "1000000"}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(std::string(row.szPattern) + " " + std::to_string(row.fValue));
    EXPECT_EQ(FormatValue(row.fValue, row.szPattern), row.szText);
  }
  EXPECT_EQ(ReadableValue(230.1F), 230.1);
}

// A reply is a reading when the result can take its number, and nothing but a unit follows it.
TEST(MRunText, AReplyIsAReadingOnlyWhenItIsANumberAndAUnit) {
  for (const char* szReply : {"0.25mA", "12uA", "550.0", " 0. 2 5 mA", "-1.5e2 V", "230.1v",
                              "2MOhm", "0.095 Ohm", ".5A", "1E3", "!21", "!32"}) {
    EXPECT_TRUE(IsReadingReply(szReply)) << szReply;
  }
  for (const char* szReply :
       {"abc", "OL", ">2.00mA", "0,25mA", "!22", "!37", "12uA AC", "1e", "mA", "-", "12 apples"}) {
    EXPECT_FALSE(IsReadingReply(szReply)) << szReply;
  }
}

}  // namespace
}  // namespace ksv940
