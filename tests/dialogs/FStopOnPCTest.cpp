#include "dialogs/FStopOnPC.h"

#include <filesystem>

#include "dialogs/CDialogTest.h"
#include "dialogs/FWaitOnPC.h"
#include "platform/core/CAutomationError.h"

namespace ksv940 {
namespace {

using FStopOnPCTest = test::CDialogTest;

TEST_F(FStopOnPCTest, NoResistanceCountsDownOnceASecondAndContinuesByItselfAfter30Ticks) {
  ctx.RunFor(7'000'000);
  FStopOnPC frm;
  pView->ThenLetItRun();
  frm.ShowNoResistance(nullptr);
  const SRecordedForm& shown = Last();
  EXPECT_EQ(shown.sCaption, "No Resistance Measurement");
  EXPECT_EQ(shown.Text("lblTitle"), "The KSV940 was unable to make a resistance measurement");
  EXPECT_EQ(shown.Text("lblBody"),
            "Check that the test leads are properly connected and click Continue to repeat the "
            "test.");
  EXPECT_EQ(shown.Text("lblTimer"), "The test will automatically continue in 30 seconds.");
  EXPECT_FALSE(shown.Shows("cmdSkip"));
  ASSERT_EQ(shown.vCountdown.size(), 29U);
  for (size_t i = 0; i < 29; ++i) {
    EXPECT_EQ(shown.vCountdown[i].second,
              "The test will automatically continue in " + std::to_string(29 - i) + " seconds.");
    EXPECT_EQ(shown.vCountdown[i].first, shown.lShownUs + static_cast<int64_t>(i + 1) * 1'000'000);
  }
  EXPECT_EQ(shown.lShownUs, 7'000'000);
  EXPECT_EQ(shown.lHiddenUs, 37'000'000);
  EXPECT_FALSE(frm.Cancel() || frm.SkipScreen());
}

TEST_F(FStopOnPCTest, EachButtonEndsTheDialogAtOnceAndSkipIsOfferedOnlyWhereTheCallerShowsIt) {
  struct SRow {
    const char* szUse;
    EOperatorAnswer eoa;
    int64_t lAfterMs;
    bool fCancel;
    bool fSkipScreen;
  };
  const SRow rows[] = {{"before", eoaStop, 3'600'000, true, false},
                       {"after", eoaStop, 1, true, false},
                       {"after", eoaContinue, 10, false, false},
                       {"no resistance", eoaStop, 29'999, true, false},
                       {"no resistance", eoaSkip, 1'500, false, true},
                       {"wait", eoaStop, 9'999, true, false},
                       {"wait", eoaContinue, 4'500, false, false}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(std::string(row.szUse) + " " + OperatorAnswerName(row.eoa));
    std::string sUse = row.szUse;
    FStopOnPC frm;
    FWaitOnPC frmWait;
    pView->Then(row.eoa, row.lAfterMs);
    if (sUse == "before") {
      frm.ShowStopBefore(true, false, nullptr);
    } else if (sUse == "after") {
      frm.ShowStopAfter(false, nullptr);
    } else if (sUse == "wait") {
      frmWait.WaitOnPC("21017::ON", 10, nullptr);
    } else {
      frm.Control("cmdSkip").SetVisible(true);
      frm.ShowNoResistance(nullptr);
    }
    EXPECT_EQ(frm.Cancel() || frmWait.Cancel(), row.fCancel);
    EXPECT_EQ(frm.SkipScreen(), row.fSkipScreen);
    EXPECT_EQ(Last().lHiddenUs - Last().lShownUs, row.lAfterMs * 1000);
    // The countdown ended with the answer: a late tick cannot turn Stop Test into Continue.
    ctx.RunFor(60'000'000);
    EXPECT_EQ(frm.Cancel() || frmWait.Cancel(), row.fCancel);
  }
  for (const char* szUse : {"before", "after", "no resistance", "wait"}) {
    SCOPED_TRACE(std::string("Skip in ") + szUse);
    FStopOnPC frm;
    FWaitOnPC frmWait;
    pView->Then(eoaSkip, 1'000);
    std::string s = szUse;
    EXPECT_THROW(s == "before"  ? frm.ShowStopBefore(false, true, nullptr)
                 : s == "after" ? frm.ShowStopAfter(true, nullptr)
                 : s == "wait"  ? frmWait.WaitOnPC("21017::ON", 10, nullptr)
                                : frm.ShowNoResistance(nullptr),
                 std::logic_error);
    EXPECT_FALSE(Last().Shows("cmdSkip"));
  }
}

TEST_F(FStopOnPCTest, EveryDialogGoesOnTopByTheHostSetting) {
  const std::pair<const char*, bool> kRows[] = {
      {"dword:00000004", true},  {"dword:00000009", true},  {"dword:00001000", true},
      {"dword:00000000", false}, {"dword:00000005", false}, {"dword:00000008", false},
      {"dword:ffffffff", false}, {"\"4\"", false},          {"dword:4x", false},  // malformed
      {nullptr, false}  // no settings file
  };
  for (auto [szValue, fTopmost] : kRows) {
    SCOPED_TRACE(szValue != nullptr ? szValue : "no file");
    if (szValue != nullptr) {
      SetSetting(std::string("\"Test guide settings\"=") + szValue);
    } else {
      std::filesystem::remove(dir.PathOf("registry.reg"));
    }
    for (int iUse = 0; iUse < 4; ++iUse) {
      pView->Then(eoaContinue);
      FStopOnPC frm;
      FWaitOnPC frmWait;
      iUse == 0   ? frm.ShowStopBefore(true, true, nullptr)
      : iUse == 1 ? frm.ShowStopAfter(true, nullptr)
      : iUse == 2 ? frm.ShowNoResistance(nullptr)
                  : frmWait.WaitOnPC("21018::OFF", 3, nullptr, true);
      EXPECT_EQ(Last().fTopmost, fTopmost) << "use " << iUse;
    }
  }
}

TEST_F(FStopOnPCTest, TranslationReachesEveryCaptionAndTheOutletComparison) {
  LoadGerman();
  struct COwner : IWindow {
    std::string WindowTitle() const override { return "Testführer"; }
  } owner;
  FStopOnPC frmBefore;
  pView->Then(eoaContinue);
  frmBefore.ShowStopBefore(true, true, &owner);
  EXPECT_EQ(Last().sOwner, "Testführer");
  EXPECT_EQ(Last().sCaption, "Halt bei Änderung der Stromkonfiguration");
  EXPECT_EQ(Last().Text("lblTitle"), "Die Stromkonfiguration am Geräteausgang ändert sich gleich");
  EXPECT_EQ(Last().Text("lblBody"),
            "Der Strom am Geräteausgang des KSV940 wechselt jetzt von AUS auf EIN. Führen Sie die "
            "nötigen Arbeiten am Prüfling aus und klicken Sie dann auf Weiter.");
  EXPECT_EQ(Last().Text("cmdContinue"), "&Weiter");
  EXPECT_EQ(Last().Text("cmdStop"), "Test &stoppen");
  FStopOnPC frmAfter;
  pView->Then(eoaContinue);
  frmAfter.ShowStopAfter(true, &owner);
  EXPECT_EQ(Last().Text("lblTitle"), "Der Strom ist jetzt EIN.");
  EXPECT_TRUE(gfOutletOn) << "the translated state is compared with the translated ON";
  FStopOnPC frmNoResistance;
  frmNoResistance.Control("cmdSkip").SetVisible(true);
  pView->Then(eoaSkip, 1'000);
  frmNoResistance.ShowNoResistance(&owner);
  EXPECT_EQ(Last().sCaption, "Keine Widerstandsmessung");
  EXPECT_EQ(Last().Text("cmdSkip"), "Ü&berspringen");
  EXPECT_EQ(Last().vCountdown.at(0).second,
            "Der Test wird in 29 Sekunden automatisch fortgesetzt.");
}

// A text service that fails for one text number, as a host's may.
class CFailingLanguage : public CLanguageService {
 public:
  explicit CFailingLanguage(std::string sFailing) : msFailing(std::move(sFailing)) {}
  std::string GetText(const std::string& sModule, const std::string& sText,
                      const CVariantList& vParams) override {
    if (sText.starts_with(msFailing)) {
      throw CAutomationError(5, "LanguageService", "no text " + msFailing);
    }
    return CLanguageService::GetText(sModule, sText, vParams);
  }

 private:
  std::string msFailing;
};

TEST_F(FStopOnPCTest, AFailingTranslationReachesTheCallerOfAnOperationButNotOfAHandler) {
  const std::pair<const char*, const char*> kRows[] = {
      {"21020", nullptr},  // the title, set by the operation: nothing is shown
      {"21010", "The test will automatically continue in 30 seconds."},  // the caption
      {"20030", ""}                                                      // the countdown
  };
  for (auto [szFailing, szTimer] : kRows) {
    SCOPED_TRACE(szFailing);
    CContextScope scope;
    scope.Set<ILanguageService>(std::make_shared<CFailingLanguage>(szFailing));
    size_t nShownBefore = pView->Forms().size();
    FStopOnPC frm;
    if (szTimer == nullptr) {
      EXPECT_THROW(frm.ShowNoResistance(nullptr), CAutomationError);
      EXPECT_EQ(pView->Forms().size(), nShownBefore);
      continue;
    }
    pView->ThenLetItRun();
    frm.ShowNoResistance(nullptr);
    EXPECT_EQ(Last().Text("lblTimer"), szTimer);
    EXPECT_EQ(Last().lHiddenUs - Last().lShownUs, 30'000'000) << "the countdown still closes it";
  }
}

}  // namespace
}  // namespace ksv940
