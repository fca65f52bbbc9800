#include "dialogs/FStopOnPC.h"

#include <filesystem>

#include "dialogs/CDialogTest.h"
#include "platform/core/CAutomationError.h"

namespace ksv940 {
namespace {

constexpr const char* kTitleBefore = "Power configuration on Equipment Output is about to change";
constexpr const char* kOnToOff =
    "The power on the KSV940's equipment output will now change from ON to OFF. Perform any "
    "required operations on the DUT, then click Continue to keep on testing.";
constexpr const char* kOffToOn =
    "The power on the KSV940's equipment output will now change from OFF to ON. Perform any "
    "required operations on the DUT, then click Continue to keep on testing.";
constexpr const char* kOnToOffToOn =
    "The power on the KSV940's equipment output will now change from ON to OFF and then to ON "
    "again. Perform any required operations on the DUT, then click Continue to keep on testing.";

using FStopOnPCTest = test::CDialogTest;

// What every use of the dialog shows alike: caption, buttons without Skip, no countdown.
void ExpectStopLayout(const SRecordedForm& shown) {
  EXPECT_EQ(shown.sForm, "FStopOnPC");
  EXPECT_EQ(shown.sCaption, "Stop On Power Configuration");
  EXPECT_EQ(shown.Text("cmdContinue"), "&Continue");
  EXPECT_EQ(shown.Text("cmdStop"), "Stop &Test");
  EXPECT_FALSE(shown.Shows("cmdSkip"));
  EXPECT_FALSE(shown.Shows("lblTimer"));
  EXPECT_FALSE(shown.fCountdown);
  EXPECT_EQ(shown.vPictures, std::vector<std::string>{"imgIcon"});
}

TEST_F(FStopOnPCTest, StopBeforeChoosesTheBodyByFlagsAndTheLastAnnouncedOutletState) {
  struct Row {
    bool fToOn;
    bool fToOff;
    bool fOutletBefore;
    const char* sBody;
    bool fOutletAfter;
  };
  const Row rows[] = {
      {true, true, true, kOnToOffToOn, true}, {true, true, false, kOffToOn, false},
      {true, false, true, kOffToOn, true},    {true, false, false, kOffToOn, true},
      {false, true, true, kOnToOff, false},   {false, true, false, kOnToOff, false},
      {false, false, true, "", true},         {false, false, false, "", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "fToOn " << row.fToOn << " fToOff " << row.fToOff
                                    << " outlet " << row.fOutletBefore);
    gfOutletOn = row.fOutletBefore;
    FStopOnPC frm;
    pView->Then(eoaContinue, 5'000);
    frm.ShowStopBefore(row.fToOn, row.fToOff, nullptr);
    const SRecordedForm& shown = Last();
    ExpectStopLayout(shown);
    EXPECT_EQ(shown.Text("lblTitle"), kTitleBefore);
    EXPECT_EQ(shown.Text("lblBody"), row.sBody);
    EXPECT_EQ(gfOutletOn, row.fOutletAfter);
    EXPECT_EQ(shown.lHiddenUs - shown.lShownUs, 5'000'000) << "waits for the operator";
    EXPECT_FALSE(frm.Cancel());
    EXPECT_FALSE(frm.SkipScreen());
  }
}

TEST_F(FStopOnPCTest, StopAfterAnnouncesTheNewStateAndRecordsIt) {
  struct Row {
    bool fToOn;
    bool fOutletBefore;
    const char* sTitle;
    const char* sBody;
  };
  const Row rows[] = {
      {true, false, "Power is now ON.",
       "The power on the the KSV940's equipment output is now set to ON. Perform any required "
       "operations on the DUT, then click Continue to keep on testing."},
      {false, true, "Power is now OFF.",
       "The power on the the KSV940's equipment output is now set to OFF. Perform any required "
       "operations on the DUT, then click Continue to keep on testing."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sTitle);
    gfOutletOn = row.fOutletBefore;
    FStopOnPC frm;
    pView->Then(eoaContinue);
    frm.ShowStopAfter(row.fToOn, nullptr);
    ExpectStopLayout(Last());
    EXPECT_EQ(Last().Text("lblTitle"), row.sTitle);
    EXPECT_EQ(Last().Text("lblBody"), row.sBody);
    EXPECT_EQ(gfOutletOn, row.fToOn);
  }
}

TEST_F(FStopOnPCTest, OutletFlagCarriesFromOneDialogToTheNext) {
  struct Step {
    const char* sUse;  // "after on", "after off", "before on", "before off", "before both"
    const char* sBody;
  };
  const std::vector<std::vector<Step>> sequences = {
      {{"before both", kOffToOn}},
      {{"after on", nullptr}, {"before both", kOnToOffToOn}},
      {{"after on", nullptr}, {"after off", nullptr}, {"before both", kOffToOn}},
      {{"before on", kOffToOn}, {"before both", kOnToOffToOn}},
      {{"before on", kOffToOn}, {"before off", kOnToOff}, {"before both", kOffToOn}},
  };
  for (const auto& sequence : sequences) {
    gfOutletOn = false;
    std::string sTrace;
    for (const Step& step : sequence) {
      sTrace += std::string(step.sUse) + "; ";
      SCOPED_TRACE(sTrace);
      FStopOnPC frm;
      pView->Then(eoaContinue);
      std::string sUse = step.sUse;
      if (sUse == "after on" || sUse == "after off") {
        frm.ShowStopAfter(sUse == "after on", nullptr);
      } else {
        frm.ShowStopBefore(sUse != "before off", sUse != "before on", nullptr);
      }
      if (step.sBody != nullptr) {
        EXPECT_EQ(Last().Text("lblBody"), step.sBody);
      }
    }
  }
}

TEST_F(FStopOnPCTest, EachButtonSetsCancelAndSkipScreen) {
  struct Row {
    const char* sUse;
    EOperatorAnswer eoa;
    int64_t lAfterMs;
    bool fCancel;
    bool fSkipScreen;
    int64_t lHiddenAfterUs;
  };
  const Row rows[] = {
      {"before", eoaContinue, 0, false, false, 0},
      {"before", eoaStop, 3'600'000, true, false, 3'600'000'000},
      {"after", eoaStop, 1, true, false, 1'000},
      {"after", eoaContinue, 10, false, false, 10'000},
      {"no resistance", eoaContinue, 5'000, false, false, 5'000'000},
      {"no resistance", eoaStop, 29'999, true, false, 29'999'000},
      {"no resistance", eoaSkip, 1'500, false, true, 1'500'000},
      {"no resistance", eoaNone, 0, false, false, 30'000'000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.sUse) + " " + OperatorAnswerName(row.eoa));
    FStopOnPC frm;
    pView->Then(row.eoa, row.lAfterMs);
    std::string sUse = row.sUse;
    if (sUse == "before") {
      frm.ShowStopBefore(true, false, nullptr);
    } else if (sUse == "after") {
      frm.ShowStopAfter(false, nullptr);
    } else {
      frm.Control("cmdSkip").SetVisible(true);
      frm.ShowNoResistance(nullptr);
    }
    EXPECT_EQ(frm.Cancel(), row.fCancel);
    EXPECT_EQ(frm.SkipScreen(), row.fSkipScreen);
    EXPECT_EQ(Last().lHiddenUs - Last().lShownUs, row.lHiddenAfterUs);
    EXPECT_EQ(Last().eoaAnswer, row.eoa);
    // The countdown ended with the answer: a late tick cannot turn Stop Test into Continue.
    ctx.RunFor(60'000'000);
    EXPECT_EQ(frm.Cancel(), row.fCancel);
    EXPECT_FALSE(frm.Visible());
  }
}

TEST_F(FStopOnPCTest, SkipIsOfferedOnlyWhereTheCallerShowsIt) {
  for (const char* sUse : {"before", "after", "no resistance"}) {
    SCOPED_TRACE(sUse);
    FStopOnPC frm;
    pView->Then(eoaSkip, 1'000);
    std::string s = sUse;
    EXPECT_THROW(s == "before"  ? frm.ShowStopBefore(false, true, nullptr)
                 : s == "after" ? frm.ShowStopAfter(true, nullptr)
                                : frm.ShowNoResistance(nullptr),
                 std::logic_error);
    EXPECT_FALSE(Last().Shows("cmdSkip"));
    EXPECT_FALSE(frm.SkipScreen());
  }
}

TEST_F(FStopOnPCTest, NoResistanceCountsDownOnceASecondAndContinuesByItselfAfter30Ticks) {
  ctx.RunFor(7'000'000);
  FStopOnPC frm;
  EXPECT_EQ(frm.SecondsLeft(), 0);
  pView->ThenLetItRun();
  frm.ShowNoResistance(nullptr);
  const SRecordedForm& shown = Last();
  EXPECT_EQ(shown.sCaption, "No Resistance Measurement");
  EXPECT_EQ(shown.Text("lblTitle"), "The KSV940 was unable to make a resistance measurement");
  EXPECT_EQ(shown.Text("lblBody"),
            "Check that the test leads are properly connected and click Continue to repeat the "
            "test.");
  EXPECT_EQ(shown.Text("lblTimer"), "The test will automatically continue in 30 seconds.");
  EXPECT_EQ(shown.vPictures, std::vector<std::string>{"imgX"});
  EXPECT_FALSE(shown.Shows("cmdSkip"));
  EXPECT_TRUE(shown.fCountdown);
  ASSERT_EQ(shown.vChanges.size(), 29U);
  for (size_t i = 0; i < 29; ++i) {
    const STextChange& change = shown.vChanges[i];
    EXPECT_EQ(change.sControl, "lblTimer");
    EXPECT_EQ(change.sText,
              "The test will automatically continue in " + std::to_string(29 - i) + " seconds.");
    EXPECT_EQ(change.lAtUs, shown.lShownUs + static_cast<int64_t>(i + 1) * 1'000'000);
  }
  EXPECT_EQ(shown.lShownUs, 7'000'000);
  EXPECT_EQ(shown.lHiddenUs, 37'000'000);
  EXPECT_EQ(shown.eoaAnswer, eoaNone);
  EXPECT_EQ(frm.SecondsLeft(), 0);
  EXPECT_FALSE(frm.Cancel());
  EXPECT_FALSE(frm.SkipScreen());
}

TEST_F(FStopOnPCTest, TopmostFollowsTheHostSetting) {
  for (const test::STopmostRow& row : test::TopmostRows()) {
    SCOPED_TRACE(row.sCase);
    if (row.fFile) {
      SetSetting(row.sValueLine, row.fKey);
    } else {
      std::filesystem::remove(dir.PathOf("registry.reg"));
    }
    for (int iUse = 0; iUse < 3; ++iUse) {
      FStopOnPC frm;
      pView->Then(eoaContinue);
      if (iUse == 0) {
        frm.ShowStopBefore(true, true, nullptr);
      } else if (iUse == 1) {
        frm.ShowStopAfter(true, nullptr);
      } else {
        frm.ShowNoResistance(nullptr);
      }
      EXPECT_EQ(Last().fTopmost, row.fTopmost) << "use " << iUse;
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
  pView->Then(eoaSkip, 2'000);
  frmNoResistance.ShowNoResistance(&owner);
  EXPECT_EQ(Last().sCaption, "Keine Widerstandsmessung");
  EXPECT_EQ(Last().Text("lblTitle"), "Der KSV940 konnte keinen Widerstand messen");
  EXPECT_EQ(Last().Text("cmdSkip"), "Ü&berspringen");
  EXPECT_EQ(Last().Text("lblTimer"), "Der Test wird in 30 Sekunden automatisch fortgesetzt.");
  EXPECT_EQ(Last().ChangesOf("lblTimer"),
            (std::vector<std::string>{"Der Test wird in 29 Sekunden automatisch fortgesetzt.",
                                      "Der Test wird in 28 Sekunden automatisch fortgesetzt."}));
  EXPECT_TRUE(frmNoResistance.SkipScreen());
}

// A text service that fails for one text number, as a host's may.
class CFailingLanguage : public CLanguageService {
 public:
  explicit CFailingLanguage(std::string sFailing) : msFailing(std::move(sFailing)) {}
  std::string GetText(const std::string& sModule, const std::string& sText,
                      const CVariantList& vParams) override {
    if (sText.rfind(msFailing, 0) == 0) {
      throw CAutomationError(5, "LanguageService", "no text " + msFailing);
    }
    return CLanguageService::GetText(sModule, sText, vParams);
  }

 private:
  std::string msFailing;
};

TEST_F(FStopOnPCTest, FailingTranslationReachesTheCallerOfAnOperationButNotOfAHandler) {
  struct Row {
    const char* sFailing;
    bool fRaised;
    const char* sCaption;
    const char* sTimer;
  };
  const Row rows[] = {
      {"21020", true, "", ""},
      {"21010", false, "No Resistance Measurement",
       "The test will automatically continue in 30 seconds."},
      {"20030", false, "No Resistance Measurement", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sFailing);
    CContextScope scope;
    scope.Set<ILanguageService>(std::make_shared<CFailingLanguage>(row.sFailing));
    size_t nShownBefore = pView->Forms().size();
    FStopOnPC frm;
    if (row.fRaised) {
      EXPECT_THROW(frm.ShowNoResistance(nullptr), CAutomationError);
      EXPECT_EQ(pView->Forms().size(), nShownBefore);
      continue;
    }
    pView->ThenLetItRun();
    frm.ShowNoResistance(nullptr);
    EXPECT_EQ(Last().sCaption, row.sCaption);
    EXPECT_EQ(Last().Text("lblTimer"), row.sTimer);
    EXPECT_EQ(Last().Text("cmdContinue"), "&Continue");
    EXPECT_EQ(Last().lHiddenUs - Last().lShownUs, 30'000'000) << "the countdown still closes it";
  }
}

}  // namespace
}  // namespace ksv940
