#include "support/MError.h"

#include <gtest/gtest.h>

#include "declares/GDeclares.h"
#include "testing/CTestContext.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;

TEST(MError, RaiseErrorChoosesAndTranslatesTheTextByNumber) {
  test::CTestContext ctx;
  struct SRow {
    int32_t lNumber;
    CVariantList vParams;
    const char* szExpected;
  };
  const SRow rows[] = {
      {errVTI_AlreadyOpen, {}, "The channel is already open on port %%1."},
      {errVTI_InvalidMuSeq,
       {8024, "#stop=bpc;ecg", "#wait"},
       "The micro sequence stored as 8024 is invalid. The test cannot be run.\\n\\nMicro sequence: "
       "#stop=bpc;ecg\\nInvalid/missing directive: #wait"},
      {errVTI_Error, {}, ""},
      {errVTI_UserAbort, {}, ""},
      {errVTI_InvalidPort, {}, ""},
      {errVTI_Error - 1, {}, ""},
      {errVTI_Error + 12, {}, ""},
      // An offset past the error texts reads whatever the string table holds there.
      {errVTI_Error + 7101, {}, "#stop=bpc;#stop=apc;mains=%V;#stop=apc;#wait=300;#many"},
      {5, {}, ""}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.lNumber);
    auto err = Caught([&] { RaiseError(row.lNumber, "CChannel", "", row.vParams); });
    EXPECT_EQ(err.Number(), row.lNumber);
    EXPECT_EQ(err.Source(), "CChannel");
    EXPECT_EQ(err.Description(), row.szExpected);
  }
  // A description of its own never reads the table.
  EXPECT_EQ(
      Caught([] { RaiseError(errVTI_NotOpen, "X", "21999::Own text %%1", {"p"}); }).Description(),
      "Own text p");
  const std::pair<const char*, int32_t> kStatus[] = {{"Port unavailable", errVTI_AlreadyOpen},
                                                     {"Port not found", errVTI_InvalidPort},
                                                     {"connected", errVTI_Error}};
  EXPECT_NO_THROW(CheckConnectStatus("Connected"));
  for (auto [szStatus, lNumber] : kStatus) {
    auto err = Caught([&] { CheckConnectStatus(szStatus); });
    EXPECT_EQ(err.Number(), lNumber) << szStatus;
    EXPECT_EQ(err.Source(), kComponentName);
  }
}

TEST(MError, ReportErrorShowsOnceAndPassesTheUniformNumber) {
  const char* kUnexpected = "Unexpected error occured in the Plug-In, Please restart the test.";
  struct SRow {
    int32_t lNumber;
    const char* szSource;
    const char* szDescription;
    const char* szShown;  // nullptr: no message box
    int32_t lRaised;
    const char* szRaisedDescription;
  };
  const SRow rows[] = {
      {errVTI_NotOpen, "CChannel", "Can not open port 3", "Can not open port 3", errVTI_Error,
       "Can not open port 3"},
      {errVTI_Busy, "CKsvVti", "", kUnexpected, errVTI_Error, ""},
      {errVTI_UserAbort, "CKsvVti", "", nullptr, errVTI_UserAbort, ""},
      {errVTI_Error, "CKsvVti", "already shown", nullptr, errVTI_Error, "already shown"},
      {5, "OrvexKSV940vti", "Invalid procedure call or argument",
       "Unknown error number 5 occured.\r\nDescription: Invalid procedure call or argument",
       errVTI_Error,
       "Unknown error number 5 occured.\r\nDescription: Invalid procedure call or argument"},
      {errVTI_Error + 29, "X", "x %%1", "x %%1", errVTI_Error, "x %%1"},
      {errVTI_Error + 30, "X", "d", "Unknown error number -2147179392 occured.\r\nDescription: d",
       errVTI_Error, "Unknown error number -2147179392 occured.\r\nDescription: d"},
      {errVTI_NoReply, kWifiErrorSource, "bridge gone", nullptr, errVTI_Error, "bridge gone"}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.lNumber);
    test::CTestContext ctx;
    auto err = Caught([&] { ReportError(row.lNumber, row.szSource, row.szDescription); });
    EXPECT_EQ(err.Number(), row.lRaised);
    EXPECT_EQ(err.Source(), "CKsvVti");
    EXPECT_EQ(err.Description(), row.szRaisedDescription);
    ASSERT_EQ(ctx.MessageBoxes().size(), row.szShown != nullptr ? 1u : 0u);
    if (row.szShown != nullptr) {
      EXPECT_EQ(ctx.MessageBoxes()[0].sText, row.szShown);
      EXPECT_EQ(ctx.MessageBoxes()[0].sTitle, "Orvex KSV940 Plug-In Response");
      EXPECT_TRUE(ctx.MessageBoxes()[0].fExclamation);
      // The command line's words for a failure are the message box's.
      EXPECT_EQ(OperatorText(row.lNumber, row.szDescription), row.szShown);
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

TEST(MError, TranslationsReachTheOperatorAndAFailingOneLeavesOnlyThatTextEmpty) {
  test::CTestContext ctx;
  ctx.Language().SetTranslation(21901, "Port %%1 kann nicht geoeffnet werden");
  ctx.Language().SetTranslation(20920, "KSV940-Antwort");
  auto err = Caught([] { RaiseError(errVTI_NotOpen, "CChannel", "", {4}); });
  EXPECT_EQ(Caught([&] { ReportError(err); }).Number(), errVTI_Error);
  auto pLanguage = std::make_shared<CFailingLanguage>();
  ctx.Scope().Set<ILanguageService>(pLanguage);
  pLanguage->sFailFor = "20920::";
  Caught([] { ReportError(errVTI_Busy, "X", "Busy."); });
  pLanguage->sFailFor = "21900::";
  EXPECT_EQ(Caught([] { ReportError(5, "X", "Invalid call"); }).Description(), "Invalid call");
  pLanguage->sFailFor = "Invalid call";
  EXPECT_EQ(OperatorText(errVTI_Busy, "Invalid call"), "");
  ASSERT_EQ(ctx.MessageBoxes().size(), 3u);
  EXPECT_EQ(ctx.MessageBoxes()[0].sText, "Port 4 kann nicht geoeffnet werden");
  EXPECT_EQ(ctx.MessageBoxes()[0].sTitle, "KSV940-Antwort");
  EXPECT_EQ(ctx.MessageBoxes()[1].sTitle, "OrvexKSV940vti");  // the title failed: the default
  EXPECT_EQ(ctx.MessageBoxes()[1].sText, "Busy.");
  EXPECT_EQ(ctx.MessageBoxes()[2].sTitle, "Orvex KSV940 Plug-In Response");
  EXPECT_EQ(ctx.MessageBoxes()[2].sText, "Invalid call");
}

}  // namespace
}  // namespace ksv940
