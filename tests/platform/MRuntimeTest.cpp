#include "platform/core/MRuntime.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/core/CAutomationError.h"

namespace ksv940 {
namespace {

// Runs fn and answers the run-time error number it raised, or nothing when it returned.
template <class F>
std::optional<int32_t> RaisedNumber(F fn) {
  try {
    fn();
  } catch (const CAutomationError& err) {
    return err.Number();
  }
  return std::nullopt;
}

TEST(MRuntime, TextToInt32FollowsTheCoercionRules) {
  struct Row {
    const char* sText;
    int32_t lExpected;
    std::optional<int32_t> error;
  };
  const Row rows[] = {
      {"42", 42, {}},
      {"  -17 ", -17, {}},
      {"+8", 8, {}},
      {"2.5", 2, {}},  // a half rounds to the even neighbour
      {"3.5", 4, {}},
      {"-2.5", -2, {}},
      {"2.51", 3, {}},
      {"1e3", 1000, {}},
      {".5", 0, {}},
      {"&H10", 16, {}},
      {"&HFFFF", -1, {}},  // a four-digit literal is 16-bit
      {"&H10000", 65536, {}},
      {"&O17", 15, {}},
      {"2147483647", 2147483647, {}},
      {"-2147483648", -2147483647 - 1, {}},
      {"2147483648", 0, erOverflow},
      {"2147483647.5", 0, erOverflow},
      {"", 0, erTypeMismatch},
      {"abc", 0, erTypeMismatch},
      {"12abc", 0, erTypeMismatch},
      {"1 2", 0, erTypeMismatch},
      {"&H", 0, erTypeMismatch},
      {"&HG1", 0, erTypeMismatch},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sText);
    int32_t lValue = 0;
    auto error = RaisedNumber([&] { lValue = TextToInt32(row.sText); });
    EXPECT_EQ(error, row.error);
    if (!row.error) {
      EXPECT_EQ(lValue, row.lExpected);
    }
  }
}

TEST(MRuntime, TextToInt16OverflowsOutsideSixteenBits) {
  EXPECT_EQ(TextToInt16("32767"), 32767);
  EXPECT_EQ(TextToInt16("-32768"), -32768);
  EXPECT_EQ(RaisedNumber([] { TextToInt16("32768"); }), erOverflow);
}

TEST(MRuntime, CheckedArithmeticRaisesOverflow) {
  EXPECT_EQ(CheckedMul16(32, 1000), 32000);
  EXPECT_EQ(RaisedNumber([] { CheckedMul16(33, 1000); }), erOverflow);
  EXPECT_EQ(CheckedMul16(-32, 1000), -32000);
  EXPECT_EQ(CheckedMul32(2147483, 1000), 2147483000);
  EXPECT_EQ(RaisedNumber([] { CheckedMul32(2147484, 1000); }), erOverflow);
  EXPECT_EQ(RaisedNumber([] { CheckedAdd32(INT32_MAX, 1); }), erOverflow);
  EXPECT_EQ(RaisedNumber([] { CheckedSub32(INT32_MIN, 1); }), erOverflow);
  EXPECT_EQ(RaisedNumber([] { CheckedInt16(40000); }), erOverflow);
}

TEST(MRuntime, StatusWordsReadAsHexadecimalLiterals) {
  struct Row {
    const char* sText;
    int32_t lLowBits;
  };
  const Row rows[] = {
      {"0004", 0x0004}, {"0208", 0x0208},     {"4000", 0x4000},
      {"8000", 0x8000}, {"3040\r\n", 0x3040}, {"12zz", 0x12},
      {"", 0},          {"!21", 0},           {"zz12", 0},
      {"abcd", 0xabcd}, {"0000000000001", 1}, {"12345", 0x2345},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sText);
    EXPECT_EQ(HexStatusValue(row.sText) & 0xFFFF, row.lLowBits);
  }
  EXPECT_EQ(RaisedNumber([] { HexStatusValue("123456789"); }), erOverflow);
}

TEST(MRuntime, LeadingNumberScansAReading) {
  struct Row {
    const char* sText;
    double dValue;
  };
  const Row rows[] = {
      {"123.4", 123.4}, {"0.25mA", 0.25}, {"230.1V", 230.1}, {" 1 2 3", 123},
      {"-5.5uA", -5.5}, {"1.5e2", 150},   {"1.5e", 1.5},     {"OL", 0},
      {"", 0},          {"!32", 0},       {"\t7\n", 7},      {"+.5", 0.5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sText);
    EXPECT_DOUBLE_EQ(LeadingNumber(row.sText), row.dValue);
  }
}

TEST(MRuntime, FailuresCarryTheirClassicTexts) {
  try {
    RaiseRuntimeError(erSubscript);
    FAIL();
  } catch (const CAutomationError& err) {
    EXPECT_EQ(err.Number(), 9);
    EXPECT_EQ(err.Description(), "Subscript out of range");
    EXPECT_EQ(err.Source(), kComponentName);
  }
  EXPECT_EQ(RuntimeErrorText(5), "Invalid procedure call or argument");
  EXPECT_EQ(RuntimeErrorText(6), "Overflow");
  EXPECT_EQ(RuntimeErrorText(13), "Type mismatch");
}

}  // namespace
}  // namespace ksv940
