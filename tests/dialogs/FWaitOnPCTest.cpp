#include "dialogs/FWaitOnPC.h"

#include <filesystem>

#include "dialogs/CDialogTest.h"

namespace ksv940 {
namespace {

using FWaitOnPCTest = test::CDialogTest;

constexpr const char* kBody =
    "When the time has elapsed the test will automatically continue. Click Continue to advance "
    "the test immediately, or click Stop Test to halt the safety test.";

std::string Countdown(int32_t lSeconds) {
  return "The test will automatically continue in " + std::to_string(lSeconds) + " seconds.";
}

TEST_F(FWaitOnPCTest, TitleTellsThePowerStateOrTheComingSwitchOff) {
  struct Row {
    const char* sLidOnOff;
    bool fBefore;
    const char* sTitle;
  };
  const Row rows[] = {
      {"21017::ON", false,
       "Power is now ON. In order for the DUT to stabilize, the test will pause for 5 seconds."},
      {"21018::OFF", false,
       "Power is now OFF. In order for the DUT to stabilize, the test will pause for 5 seconds."},
      {"21018::OFF", true, "DUT will switch off after 5 seconds."},
      {"21017::ON", true, "DUT will switch off after 5 seconds."},
      {"21099::HALF", false, "DUT will switch off after 5 seconds."},
      {"21099::HALF", true, "DUT will switch off after 5 seconds."},
      {"ON", false,
       "Power is now ON. In order for the DUT to stabilize, the test will pause for 5 seconds."},
      {"on", false, "DUT will switch off after 5 seconds."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.sLidOnOff) + (row.fBefore ? " before" : ""));
    FWaitOnPC frm;
    pView->Then(eoaContinue, 500);
    frm.WaitOnPC(row.sLidOnOff, 5, nullptr, row.fBefore);
    const SRecordedForm& shown = Last();
    EXPECT_EQ(shown.sForm, "FWaitOnPC");
    EXPECT_EQ(shown.sCaption, "Power On/Off Delay");
    EXPECT_EQ(shown.Text("lblTitle"), row.sTitle);
    EXPECT_EQ(shown.Text("lblBody"), kBody);
    EXPECT_EQ(shown.Text("lblTimer"), Countdown(5));
    EXPECT_EQ(shown.Text("cmdContinue"), "&Continue");
    EXPECT_EQ(shown.Text("cmdStop"), "Stop &Test");
    EXPECT_EQ(shown.vPictures, std::vector<std::string>{"imgIcon"});
    EXPECT_TRUE(shown.fCountdown);
    EXPECT_FALSE(frm.Cancel());
  }
}

TEST_F(FWaitOnPCTest, OmittedBeforeMeansAfter) {
  FWaitOnPC frm;
  pView->Then(eoaContinue);
  frm.WaitOnPC("21018::OFF", 2, nullptr);
  EXPECT_EQ(Last().Text("lblTitle"),
            "Power is now OFF. In order for the DUT to stabilize, the test will pause for 2 "
            "seconds.");
}

TEST_F(FWaitOnPCTest, CountsTheDelayDownAndContinuesByItself) {
  struct Row {
    int32_t lDelay;
    bool fShown;
  };
  const Row rows[] = {{0, false}, {-5, false}, {INT32_MIN, false},
                      {1, true},  {3, true},   {45, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.lDelay);
    size_t nShownBefore = pView->Forms().size();
    int64_t lStartUs = ctx.Clock().NowUs();
    FWaitOnPC frm;
    if (row.fShown) {
      pView->ThenLetItRun();
    }
    frm.WaitOnPC("21017::ON", row.lDelay, nullptr);
    EXPECT_FALSE(frm.Cancel());
    if (!row.fShown) {
      EXPECT_EQ(pView->Forms().size(), nShownBefore);
      EXPECT_EQ(ctx.Clock().NowUs(), lStartUs) << "returns at once";
      continue;
    }
    const SRecordedForm& shown = Last();
    EXPECT_EQ(shown.Text("lblTimer"), Countdown(row.lDelay));
    std::vector<std::string> vExpected;
    for (int32_t l = row.lDelay - 1; l >= 1; --l) {
      vExpected.push_back(Countdown(l));
    }
    EXPECT_EQ(shown.ChangesOf("lblTimer"), vExpected);
    for (size_t i = 0; i < shown.vChanges.size(); ++i) {
      EXPECT_EQ(shown.vChanges[i].lAtUs - shown.lShownUs, static_cast<int64_t>(i + 1) * 1'000'000);
    }
    EXPECT_EQ(shown.lHiddenUs - shown.lShownUs, row.lDelay * 1'000'000LL);
    EXPECT_EQ(frm.SecondsLeft(), 0);
  }
}

TEST_F(FWaitOnPCTest, ContinueAndStopTestEndThePauseEarly) {
  struct Row {
    EOperatorAnswer eoa;
    int64_t lAfterMs;
    bool fCancel;
    int32_t lSecondsLeft;
  };
  const Row rows[] = {
      {eoaStop, 2'000, true, 8},
      {eoaStop, 9'999, true, 1},
      {eoaContinue, 0, false, 10},
      {eoaContinue, 4'500, false, 6},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(OperatorAnswerName(row.eoa) + " after " + std::to_string(row.lAfterMs));
    FWaitOnPC frm;
    pView->Then(row.eoa, row.lAfterMs);
    frm.WaitOnPC("21017::ON", 10, nullptr);
    EXPECT_EQ(frm.Cancel(), row.fCancel);
    EXPECT_EQ(Last().lHiddenUs - Last().lShownUs, row.lAfterMs * 1000);
    EXPECT_EQ(frm.SecondsLeft(), row.lSecondsLeft);
    ctx.RunFor(30'000'000);
    EXPECT_EQ(frm.Cancel(), row.fCancel) << "no late tick after the answer";
    EXPECT_EQ(frm.SecondsLeft(), row.lSecondsLeft);
  }
}

TEST_F(FWaitOnPCTest, HasNoSkip) {
  FWaitOnPC frm;
  pView->Then(eoaSkip);
  EXPECT_THROW(frm.WaitOnPC("21017::ON", 10, nullptr), std::logic_error);
  EXPECT_FALSE(Last().Shows("cmdSkip"));
}

TEST_F(FWaitOnPCTest, TopmostFollowsTheHostSetting) {
  for (const test::STopmostRow& row : test::TopmostRows()) {
    SCOPED_TRACE(row.sCase);
    if (row.fFile) {
      SetSetting(row.sValueLine, row.fKey);
    } else {
      std::filesystem::remove(dir.PathOf("registry.reg"));
    }
    FWaitOnPC frm;
    pView->Then(eoaContinue);
    frm.WaitOnPC("21018::OFF", 3, nullptr, true);
    EXPECT_EQ(Last().fTopmost, row.fTopmost);
  }
}

TEST_F(FWaitOnPCTest, TranslationReachesEveryCaptionAndTheStateComparison) {
  LoadGerman();
  struct Row {
    const char* sLidOnOff;
    bool fBefore;
    const char* sTitle;
  };
  const Row rows[] = {
      {"21017::ON", false,
       "Der Strom ist jetzt EIN. Damit sich der Prüfling stabilisiert, pausiert der Test 4 "
       "Sekunden."},
      {"21018::OFF", true, "Der Prüfling wird nach 4 Sekunden ausgeschaltet (AUS)."},
      {"ON", false, "Der Prüfling wird nach 4 Sekunden ausgeschaltet (ON)."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sLidOnOff);
    FWaitOnPC frm;
    pView->Then(eoaStop, 1'000);
    frm.WaitOnPC(row.sLidOnOff, 4, nullptr, row.fBefore);
    const SRecordedForm& shown = Last();
    EXPECT_EQ(shown.sCaption, "Verzögerung beim Ein- und Ausschalten");
    EXPECT_EQ(shown.Text("lblTitle"), row.sTitle);
    EXPECT_EQ(shown.Text("lblBody"),
              "Nach Ablauf der Zeit wird der Test automatisch fortgesetzt. Klicken Sie auf Weiter, "
              "um sofort fortzufahren, oder auf Test stoppen, um die Sicherheitsprüfung "
              "abzubrechen.");
    EXPECT_EQ(shown.Text("lblTimer"), "Der Test wird in 4 Sekunden automatisch fortgesetzt.");
    EXPECT_EQ(shown.Text("cmdContinue"), "&Weiter");
    EXPECT_EQ(shown.Text("cmdStop"), "Test &stoppen");
    EXPECT_TRUE(frm.Cancel());
  }
}

}  // namespace
}  // namespace ksv940
