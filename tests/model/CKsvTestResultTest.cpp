#include "model/CKsvTestResult.h"

#include <gtest/gtest.h>

#include "testing/CTestContext.h"

namespace ksv940 {
namespace {

TEST(CKsvTestResult, SetReadingTurnsAReplyIntoWhatTheHostReads) {
  struct Row {
    const char* sReply;
    int32_t emt;
    const char* sCommand;
    float fValue;
    const char* sUnknown;
    EKsvTestState ets;
    const char* sSuffix;
  };
  const Row rows[] = {
      {"123.4", emt_AC, "mread", 123.4F, "", etsCompleted, "AC"},
      {"0.25mA", emt_DC, "read", 250.0F, "", etsCompleted, "DC"},
      {"0.25MA", emt_DC, "read", 250.0F, "", etsCompleted, "DC"},
      {"230.1V", emt_ACDC, "read", 230.1F, "", etsCompleted, ""},
      {"12uA", emt_ACDC, "read", 12.0F, "", etsCompleted, "AC+DC"},
      {"12uA", 3, "read", 12.0F, "", etsCompleted, ""},
      {" - 1 . 5 e 2 uA", emt_AC, "read", -150.0F, "", etsCompleted, "AC"},
      {"OL", emt_AC, "read", 0.0F, "", etsCompleted, "AC"},
      {"", emt_AC, "read", 0.0F, "", etsNotPerformed, ""},
      {"!21", emt_AC, "mread", 0.0F, "", etsOverflow, ""},
      {"!32", emt_ACDC, "read", 0.0F, "OL", etsCompleted, "AC+DC"},
      {"!32", emt_AC, "mread", 0.0F, "OL", etsOverflow, "AC"},
      {"!32", emt_AC, "zero", 0.0F, "OL", etsOverflow, "AC"},
      // Beyond the float's range: what was set before stays, the result is not performed.
      {"1e39", emt_AC, "read", 0.0F, "", etsNotPerformed, ""},
      {"1e36mA", emt_AC, "read", 1e36F, "", etsNotPerformed, ""}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sReply);
    test::CTestContext ctx;
    CKsvTestResult result;
    result.SetReading(row.sReply, row.emt, row.sCommand);
    EXPECT_FLOAT_EQ(result.Value(), row.fValue);
    EXPECT_EQ(result.ValueUnknown(), row.sUnknown);
    EXPECT_EQ(result.State(), row.ets);
    EXPECT_EQ(result.UnitSuffix(), row.sSuffix);
  }
}

TEST(CKsvTestResult, TheSuffixIsTranslatedAndALaterReadingReplacesTheState) {
  test::CTestContext ctx;
  ctx.Language().SetTranslation(21100, "WS");
  CKsvTestResult result;
  EXPECT_EQ(result.State(), etsNotPerformed);
  result.SetReading("5", emt_AC, "read");
  EXPECT_EQ(result.UnitSuffix(), "WS");
  result.SetReading("!21", emt_AC, "read");
  EXPECT_EQ(result.State(), etsOverflow);
  EXPECT_EQ(result.UnitSuffix(), "");
  EXPECT_FLOAT_EQ(result.Value(), 5.0F);
  result.SetState(etsAborted);
  EXPECT_EQ(result.State(), etsAborted);
}

}  // namespace
}  // namespace ksv940
