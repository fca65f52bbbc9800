#include "platform/core/MRuntime.h"

#include <gtest/gtest.h>

#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;

TEST(MRuntime, TextToInt32FollowsTheCoercionRules) {
  const std::pair<const char*, const char*> kRows[] = {// the value, or the error raised
                                                       {"42", "42"},
                                                       {"  -17 ", "-17"},
                                                       {"+8", "8"},
                                                       {"2.5", "2"},
                                                       {"3.5", "4"},
                                                       {"-2.5", "-2"},  // halves to the even
                                                       {"2.51", "3"},
                                                       {"1e3", "1000"},
                                                       {".5", "0"},
                                                       {"&H10", "16"},
                                                       {"&HFFFF", "-1"},
                                                       {"&H10000", "65536"},  // 4 digits: 16 bits
                                                       {"&O17", "15"},
                                                       {"-2147483648", "-2147483648"},
                                                       {"2147483648", "error 6"},
                                                       {"2147483647.5", "error 6"},
                                                       {"", "error 13"},
                                                       {"12abc", "error 13"},
                                                       {"1 2", "error 13"},
                                                       {"&H", "error 13"},
                                                       {"&HG1", "error 13"}};
  for (auto [szText, szExpected] : kRows) {
    int32_t lValue = 0;
    int32_t lError = Caught([&] { lValue = TextToInt32(szText); }, true).Number();
    EXPECT_EQ(lError != 0 ? "error " + std::to_string(lError) : std::to_string(lValue), szExpected)
        << szText;
  }
  EXPECT_EQ(Caught([] { TextToInt16("32768"); }).Number(), erOverflow);
  EXPECT_EQ(Caught([] { CheckedMul16(33, 1000); }).Number(), erOverflow);
}

TEST(MRuntime, StatusWordsAndReadingsAreScannedAsTheAnalyzerWritesThem) {
  const std::pair<const char*, int32_t> kStatus[] = {
      {"0208", 0x0208}, {"3040\r\n", 0x3040}, {"12zz", 0x12},       {"", 0},          {"!21", 0},
      {"zz12", 0},      {"abcd", 0xabcd},     {"0000000000001", 1}, {"12345", 0x2345}};
  for (auto [szText, lLowBits] : kStatus) {
    EXPECT_EQ(HexStatusValue(szText) & 0xFFFF, lLowBits) << szText;
  }
  EXPECT_EQ(Caught([] { HexStatusValue("123456789"); }).Number(), erOverflow);
  const std::pair<const char*, double> kReadings[] = {
      {"0.25mA", 0.25}, {"230.1V", 230.1}, {" 1 2 3", 123}, {"-5.5uA", -5.5}, {"1.5e2", 150},
      {"1.5e", 1.5},    {"OL", 0},         {"!32", 0},      {"\t7\n", 7},     {"+.5", 0.5}};
  for (auto [szText, dValue] : kReadings) {
    EXPECT_DOUBLE_EQ(LeadingNumber(szText), dValue) << szText;
  }
}

}  // namespace
}  // namespace ksv940
