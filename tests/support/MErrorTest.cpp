#include "support/MError.h"

#include <gtest/gtest.h>

#include "model/GDeclares.h"
#include "testing/CTestContext.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;

TEST(MError, RaiseErrorChoosesAndTranslatesTheTextByNumber) {
  test::CTestContext ctx;
  struct Row {
    int32_t lNumber;
    CVariantList vParams;
    const char* sExpected;
  };
  const Row rows[] = {
      {errVTI_NotOpen, {3}, "Can not open port 3"},
      {errVTI_Busy, {}, "The test instrument is busy and can not perform the requested operation."},
      {errVTI_AlreadyOpen, {}, "The channel is already open on port %%1."},
      {errVTI_KsvError, {"Cannot null"}, "The KSV940 reported an error: Cannot null."},
      {errVTI_InvalidMuSeq,
       {8024, "#stop=bpc;ecg", "#wait"},
       "The micro sequence stored as 8024 is invalid. The test cannot be run.\\n\\nMicro sequence: "
       "#stop=bpc;ecg\\nInvalid/missing directive: #wait"},
      {errVTI_InvalidTest,
       {1, 1, -1},
       "The selected test (TestNo = 1, Power Config = 1, Lead No = -1) is not a valid KSV940 test "
       "and cannot be performed."},
      {errVTI_NoReply, {7}, "Instrument is not responding, Please restart the instrument."},
      {errVTI_InvalidReply,
       {"!99"},
       "The test could not be completed due to a communication error"},
      {errVTI_WrongFWVer,
       {"1.17"},
       " This version of the Plug-In requires KSV940 FW v1.17 or newer. Please contact Marlo "
       "Raderurezi for the latest version."},
      {errVTI_Error, {}, ""},
      {errVTI_UserAbort, {}, ""},
      {errVTI_InvalidPort, {}, ""},
      {errVTI_Error - 1, {}, ""},
      {errVTI_Error + 12, {}, ""},
      {errVTI_Error + 7101, {}, "#stop=bpc;#stop=apc;mains=%V;#stop=apc;#wait=300;#many"},
      {errVTI_Error + 7100, {}, "=== MICRO SEQUENCES ==="},
      {5, {}, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.lNumber);
    auto err = Caught([&] { RaiseError(row.lNumber, "CChannel", "", row.vParams); });
    EXPECT_EQ(err.Number(), row.lNumber);
    EXPECT_EQ(err.Source(), "CChannel");
    EXPECT_EQ(err.Description(), row.sExpected);
  }
}

TEST(MError, RaiseErrorWithADescriptionNeverReadsTheTable) {
  test::CTestContext ctx;
  auto err = Caught([] { RaiseError(errVTI_NotOpen, "X", "21999::Own text %%1", {"p"}); });
  EXPECT_EQ(err.Description(), "Own text p");
}

TEST(MError, CheckConnectStatusMapsTheControlsTexts) {
  test::CTestContext ctx;
  EXPECT_NO_THROW(CheckConnectStatus("Connected"));
  struct Row {
    const char* sStatus;
    int32_t lNumber;
    const char* sDescription;
  };
  const Row rows[] = {
      {"Port unavailable", errVTI_AlreadyOpen, "The channel is already open on port %%1."},
      {"Port not found", errVTI_InvalidPort, ""},
      {"connected", errVTI_Error, ""},
      {"", errVTI_Error, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sStatus);
    auto err = Caught([&] { CheckConnectStatus(row.sStatus); });
    EXPECT_EQ(err.Number(), row.lNumber);
    EXPECT_EQ(err.Source(), kComponentName);
    EXPECT_EQ(err.Description(), row.sDescription);
  }
}

TEST(MError, ReportErrorShowsOnceAndPassesTheUniformNumber) {
  struct Row {
    int32_t lNumber;
    const char* sSource;
    const char* sDescription;
    bool fShown;
    const char* sShownText;
    int32_t lRaised;
    const char* sRaisedDescription;
  };
  const Row rows[] = {
      {errVTI_NotOpen, "CChannel", "Can not open port 3", true, "Can not open port 3", errVTI_Error,
       "Can not open port 3"},
      {errVTI_Busy, "CKsvVti", "", true,
       "Unexpected error occured in the Plug-In, Please restart the test.", errVTI_Error, ""},
      {errVTI_UserAbort, "CKsvVti", "", false, "", errVTI_UserAbort, ""},
      {errVTI_Error, "CKsvVti", "already shown", false, "", errVTI_Error, "already shown"},
      {5, "OrvexKSV940vti", "Invalid procedure call or argument", true,
       "Unknown error number 5 occured.\r\nDescription: Invalid procedure call or argument",
       errVTI_Error,
       "Unknown error number 5 occured.\r\nDescription: Invalid procedure call or argument"},
      {errVTI_Error + 29, "X", "", true,
       "Unexpected error occured in the Plug-In, Please restart the test.", errVTI_Error, ""},
      {errVTI_Error + 30, "X", "d", true,
       "Unknown error number -2147179392 occured.\r\nDescription: d", errVTI_Error,
       "Unknown error number -2147179392 occured.\r\nDescription: d"},
      {errVTI_NoReply, kWifiErrorSource, "bridge gone", false, "", errVTI_Error, "bridge gone"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.lNumber);
    test::CTestContext ctx;
    auto err = Caught([&] { ReportError(row.lNumber, row.sSource, row.sDescription); });
    EXPECT_EQ(err.Number(), row.lRaised);
    EXPECT_EQ(err.Source(), "CKsvVti");
    EXPECT_EQ(err.Description(), row.sRaisedDescription);
    ASSERT_EQ(ctx.MessageBoxes().size(), row.fShown ? 1u : 0u);
    if (row.fShown) {
      EXPECT_EQ(ctx.MessageBoxes()[0].sText, row.sShownText);
      EXPECT_EQ(ctx.MessageBoxes()[0].sTitle, "Orvex KSV940 Plug-In Response");
      EXPECT_TRUE(ctx.MessageBoxes()[0].fExclamation);
    }
  }
}

TEST(MError, OperatorTextIsWhatTheMessageBoxWouldShow) {
  test::CTestContext ctx;
  struct Row {
    int32_t lNumber;
    const char* sDescription;
    const char* sShown;
  };
  const Row rows[] = {
      {errVTI_InvalidTest, "Test 1 is not valid.", "Test 1 is not valid."},
      {errVTI_Busy, "", "Unexpected error occured in the Plug-In, Please restart the test."},
      {errVTI_Error, "", "Unexpected error occured in the Plug-In, Please restart the test."},
      {13, "Type mismatch", "Unknown error number 13 occured.\r\nDescription: Type mismatch"},
      {errVTI_Error - 1, "", "Unknown error number -2147179423 occured.\r\nDescription: "},
      {errVTI_Error + 29, "x %%1", "x %%1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.lNumber);
    EXPECT_EQ(OperatorText(row.lNumber, row.sDescription), row.sShown);
    auto err = Caught([&] { ReportError(row.lNumber, "X", row.sDescription); });
    if (row.lNumber != errVTI_Error) {
      ASSERT_FALSE(ctx.MessageBoxes().empty());
      EXPECT_EQ(ctx.MessageBoxes().back().sText, row.sShown);
    }
  }
}

// A text service that fails for the texts it is told to.
class CFailingLanguage : public CLanguageService {
 public:
  std::string sFailFor;
  std::string GetText(const std::string& sModule, const std::string& sText,
                      const CVariantList& vParams) override {
    if (sText.find(sFailFor) != std::string::npos) {
      throw CAutomationError(5, "Orvex", "no text");
    }
    return CLanguageService::GetText(sModule, sText, vParams);
  }
};

TEST(MError, OperatorTextOfAFailureIsWhatTheMessageBoxWouldShow) {
  test::CTestContext ctx;
  EXPECT_EQ(OperatorText(CAutomationError(static_cast<int32_t>(0x8004A463u), "CChannel",
                                          "Can not open port 5")),
            "Can not open port 5");
  EXPECT_EQ(OperatorText(CAutomationError(static_cast<int32_t>(0x8004A464u), "CChannel", "")),
            "Unexpected error occured in the Plug-In, Please restart the test.");
  EXPECT_EQ(OperatorText(CAutomationError(13, "OrvexKSV940vti", "Type mismatch")),
            "Unknown error number 13 occured.\r\nDescription: Type mismatch");
}

TEST(MError, AFailingTranslationLeavesOnlyThatTextEmpty) {
  test::CTestContext ctx;
  auto pLanguage = std::make_shared<CFailingLanguage>();
  ctx.Scope().Set<ILanguageService>(pLanguage);
  pLanguage->sFailFor = "20920::";
  Caught([] { ReportError(errVTI_Busy, "X", "Busy."); });
  pLanguage->sFailFor = "21900::";
  auto err = Caught([] { ReportError(5, "X", "Invalid call"); });
  EXPECT_EQ(err.Description(), "Invalid call");
  pLanguage->sFailFor = "Invalid call";
  EXPECT_EQ(OperatorText(errVTI_Busy, "Invalid call"), "");
  ASSERT_EQ(ctx.MessageBoxes().size(), 2u);
  EXPECT_EQ(ctx.MessageBoxes()[0].sTitle, "");
  EXPECT_EQ(ctx.MessageBoxes()[0].sText, "Busy.");
  EXPECT_EQ(ctx.MessageBoxes()[1].sTitle, "Orvex KSV940 Plug-In Response");
  EXPECT_EQ(ctx.MessageBoxes()[1].sText, "Invalid call");
}

TEST(MError, ATranslatedCatalogueReachesTheOperator) {
  test::CTestContext ctx;
  ctx.Language().SetTranslation(21901, "Port %%1 kann nicht geoeffnet werden");
  ctx.Language().SetTranslation(20920, "KSV940-Antwort");
  auto err = Caught([] { RaiseError(errVTI_NotOpen, "CChannel", "", {4}); });
  auto reported = Caught([&] { ReportError(err); });
  ASSERT_EQ(ctx.MessageBoxes().size(), 1u);
  EXPECT_EQ(ctx.MessageBoxes()[0].sText, "Port 4 kann nicht geoeffnet werden");
  EXPECT_EQ(ctx.MessageBoxes()[0].sTitle, "KSV940-Antwort");
  EXPECT_EQ(reported.Number(), errVTI_Error);
}

}  // namespace
}  // namespace ksv940
