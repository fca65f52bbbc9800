#include "dialogs/FWaitOnPC.h"

#include <optional>

#include "dialogs/CDialogTest.h"

namespace ksv940 {
namespace {

using FWaitOnPCTest = test::CDialogTest;

std::string Countdown(int32_t lSeconds) {
  return "The test will automatically continue in " + std::to_string(lSeconds) + " seconds.";
}

TEST_F(FWaitOnPCTest, TheTitleTellsThePowerStateOrTheComingSwitchOff) {
  const std::string kPause =
      ". In order for the DUT to stabilize, the test will pause for 5 seconds.";
  const std::string kSwitchOff = "DUT will switch off after 5 seconds.";
  struct SRow {
    const char* szState;
    std::optional<bool> fBefore;  // nullopt: left out
    std::string sTitle;
  };
  const SRow rows[] = {{"21017::ON", false, "Power is now ON" + kPause},
                       {"21018::OFF", false, "Power is now OFF" + kPause},
                       {"21018::OFF", std::nullopt, "Power is now OFF" + kPause},
                       {"21018::OFF", true, kSwitchOff},
                       {"21017::ON", true, kSwitchOff},
                       {"21099::HALF", false, kSwitchOff},
                       {"ON", false, "Power is now ON" + kPause},
                       {"on", false, kSwitchOff}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(std::string(row.szState) + (row.fBefore.value_or(false) ? " before" : ""));
    FWaitOnPC frm;
    pView->Then(eoaContinue, 500);
    row.fBefore ? frm.WaitOnPC(row.szState, 5, nullptr, *row.fBefore)
                : frm.WaitOnPC(row.szState, 5, nullptr);
    const SRecordedForm& shown = Last();
    EXPECT_EQ(shown.sCaption, "Power On/Off Delay");
    EXPECT_EQ(shown.Text("lblTitle"), row.sTitle);
    EXPECT_EQ(shown.Text("lblBody"),
              "When the time has elapsed the test will automatically continue. Click Continue to "
              "advance the test immediately, or click Stop Test to halt the safety test.");
    EXPECT_EQ(shown.Text("lblTimer"), Countdown(5));
    EXPECT_EQ(shown.Text("cmdContinue") + "|" + shown.Text("cmdStop"), "&Continue|Stop &Test");
  }
}

TEST_F(FWaitOnPCTest, CountsTheDelayDownAndContinuesByItself) {
  for (int32_t lDelay : {0, -5, INT32_MIN, 1, 3, 45}) {
    SCOPED_TRACE(lDelay);
    size_t nShownBefore = pView->Forms().size();
    int64_t lStartUs = ctx.NowUs();
    FWaitOnPC frm;
    if (lDelay > 0) {
      pView->ThenLetItRun();
    }
    frm.WaitOnPC("21017::ON", lDelay, nullptr);
    EXPECT_FALSE(frm.Cancel());
    if (lDelay <= 0) {
      EXPECT_EQ(pView->Forms().size(), nShownBefore);
      EXPECT_EQ(ctx.NowUs(), lStartUs) << "returns at once";
      continue;
    }
    const SRecordedForm& shown = Last();
    std::vector<std::pair<int64_t, std::string>> vExpected;
    for (int32_t l = lDelay - 1; l >= 1; --l) {
      vExpected.emplace_back(shown.lShownUs + (lDelay - l) * 1'000'000LL, Countdown(l));
    }
    EXPECT_EQ(shown.vCountdown, vExpected);
    EXPECT_EQ(shown.lHiddenUs - shown.lShownUs, lDelay * 1'000'000LL);
  }
}

TEST_F(FWaitOnPCTest, TranslationReachesEveryCaptionAndTheStateComparison) {
  LoadGerman();
  const std::pair<const char*, const char*> kRows[] = {
      {"21017::ON",
       "Der Strom ist jetzt EIN. Damit sich der Prüfling stabilisiert, pausiert der Test 4 "
       "Sekunden."},
      {"21018::OFF", "Der Prüfling wird nach 4 Sekunden ausgeschaltet (AUS)."},
      {"ON", "Der Prüfling wird nach 4 Sekunden ausgeschaltet (ON)."}};
  for (auto [szState, szTitle] : kRows) {
    SCOPED_TRACE(szState);
    FWaitOnPC frm;
    pView->Then(eoaStop, 1'000);
    frm.WaitOnPC(szState, 4, nullptr, std::string(szState) == "21018::OFF");
    EXPECT_EQ(Last().sCaption, "Verzögerung beim Ein- und Ausschalten");
    EXPECT_EQ(Last().Text("lblTitle"), szTitle);
    EXPECT_EQ(Last().Text("lblTimer"), "Der Test wird in 4 Sekunden automatisch fortgesetzt.");
    EXPECT_EQ(Last().Text("cmdContinue") + "|" + Last().Text("cmdStop"), "&Weiter|Test &stoppen");
  }
}

}  // namespace
}  // namespace ksv940
