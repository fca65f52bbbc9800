#include "platform/forms/CForm.h"

#include <gtest/gtest.h>

#include "platform/core/CAutomationError.h"
#include "testing/CScriptedView.h"
#include "testing/CTestContext.h"

namespace ksv940 {
namespace {

// A form with one of each kind: a title, a status line in a bar, two buttons and a timer.
class FSample : public CForm {
 public:
  FSample() : CForm(Design()) {
    SetHandler("cmdOk", [this] {
      vClicks.push_back("ok");
      Hide();
    });
    SetHandler("cmdNo", [this] { vClicks.push_back("no"); });
    SetHandler("tmrTick", [this] { Control("lblStatus").SetCaption(std::to_string(++nTicks)); });
  }
  static const SFormDesign& Design() {
    static const SFormDesign design{
        "FSample",
        "Sample",
        1000,
        1000,
        {{.sName = "lblTitle", .lTop = 100, .sCaption = "title"},
         {.sName = "pnlBar", .eckKind = eckPanel},
         {.sName = "lblStatus", .sContainer = "pnlBar"},
         {.sName = "cmdOk", .eckKind = eckButton, .sCaption = "&Ok", .eoaAnswer = eoaContinue},
         {.sName = "cmdNo", .eckKind = eckButton, .fVisible = false, .eoaAnswer = eoaStop},
         {.sName = "tmrTick", .eckKind = eckTimer, .lIntervalMs = 250}}};
    return design;
  }
  void Form_Load() override { ++nLoads; }

  int nLoads = 0;
  int nTicks = 0;
  std::vector<std::string> vClicks;
};

struct CFormTest : ::testing::Test {
  test::CTestContext ctx;
  std::shared_ptr<CScriptedView> pView = std::make_shared<CScriptedView>();
  CFormTest() { InstallView(ctx.Scope(), pView); }
};

TEST_F(CFormTest, FirstAccessLoadsOnceAndUnloadRestoresTheDesign) {
  FSample frm;
  EXPECT_EQ(frm.nLoads, 0);
  frm.Control("lblTitle").SetCaption("changed");
  frm.Control("cmdNo").SetVisible(true);
  frm.Controls();
  EXPECT_EQ(frm.nLoads, 1);
  frm.Unload();
  EXPECT_EQ(frm.Control("lblTitle").Caption(), "title");
  EXPECT_FALSE(frm.Control("cmdNo").Visible());
  EXPECT_EQ(frm.nLoads, 2);
}

TEST_F(CFormTest, UnknownControlRaisesControlNotFound) {
  FSample frm;
  try {
    frm.Control("lblNone");
    FAIL() << "no error";
  } catch (const CAutomationError& err) {
    EXPECT_EQ(err.Number(), 730);
    EXPECT_EQ(err.Description(), "Control 'lblNone' not found");
  }
}

TEST_F(CFormTest, ModalDisplayRunsTimersUntilAButtonHidesTheForm) {
  FSample frm;
  frm.Control("tmrTick").SetEnabled(true);
  pView->Then(eoaContinue, 1'000);
  CFormTest::ctx.RunFor(500'000);
  frm.ShowModal(nullptr);
  const SRecordedForm& shown = pView->Forms().at(0);
  EXPECT_EQ(shown.lShownUs, 500'000);
  EXPECT_EQ(shown.lHiddenUs, 1'500'000);
  EXPECT_EQ(shown.eoaAnswer, eoaContinue);
  // The timer started before the display; it ticked at 250 ms steps through the display.
  EXPECT_EQ(shown.ChangesOf("lblStatus"), (std::vector<std::string>{"3", "4", "5", "6"}));
  EXPECT_EQ(frm.vClicks, std::vector<std::string>{"ok"});
  EXPECT_FALSE(frm.Visible());
}

TEST_F(CFormTest, RecordShowsOnlyVisibleControlsOwnerAndTopmost) {
  struct COwner : IWindow {
    std::string WindowTitle() const override { return "Test Guide"; }
  } owner;
  FSample frm;
  frm.SetTopmost(true);
  pView->Then(eoaContinue);
  frm.ShowModal(&owner);
  const SRecordedForm& shown = pView->Forms().at(0);
  EXPECT_EQ(shown.sForm, "FSample");
  EXPECT_EQ(shown.sOwner, "Test Guide");
  EXPECT_TRUE(shown.fTopmost);
  EXPECT_FALSE(shown.fCountdown);
  EXPECT_EQ(shown.Text("lblTitle"), "title");
  EXPECT_EQ(shown.Text("cmdOk"), "&Ok");
  EXPECT_FALSE(shown.Shows("cmdNo"));
}

TEST_F(CFormTest, ClickAnswersOnlyThroughVisibleEnabledButtonsOfAShownForm) {
  FSample frm;
  EXPECT_FALSE(frm.Click(eoaContinue)) << "not shown";
  frm.Load();
  struct Row {
    EOperatorAnswer eoa;
    bool fVisible;
    bool fEnabled;
    bool fExpected;
  };
  const Row rows[] = {
      {eoaStop, false, true, false},
      {eoaStop, true, false, false},
      {eoaStop, true, true, true},
      {eoaSkip, true, true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(OperatorAnswerName(row.eoa) + (row.fVisible ? " visible" : " hidden") +
                 (row.fEnabled ? " enabled" : " disabled"));
    frm.Control("cmdNo").SetVisible(row.fVisible);
    frm.Control("cmdNo").SetEnabled(row.fEnabled);
    bool fClicked = false;
    CFormTest::ctx.Pump().Post([&] {
      fClicked = frm.Click(row.eoa);
      frm.Hide();
    });
    pView->ThenLetItRun();
    frm.Control("tmrTick").SetEnabled(true);  // so that the script may leave the form alone
    frm.ShowModal(nullptr);
    EXPECT_EQ(fClicked, row.fExpected);
  }
}

TEST_F(CFormTest, ShowingAShownFormRaises400AndAFailureInsideHidesIt) {
  FSample frm;
  frm.Control("tmrTick").SetEnabled(true);
  pView->ThenLetItRun();
  int32_t lNumber = 0;
  CFormTest::ctx.Pump().Post([&] {
    try {
      frm.ShowModal(nullptr);
    } catch (const CAutomationError& err) {
      lNumber = err.Number();
    }
    throw std::runtime_error("host failure");
  });
  EXPECT_THROW(frm.ShowModal(nullptr), std::runtime_error);
  EXPECT_EQ(lNumber, 400);
  EXPECT_FALSE(frm.Visible());
  EXPECT_EQ(pView->Forms().at(0).lHiddenUs, 0);
}

TEST_F(CFormTest, ScriptFaultsFailTheDisplayInsteadOfHanging) {
  struct Row {
    const char* sCase;
    std::function<void(CScriptedView&)> fnScript;
    const char* sMessage;
  };
  const Row rows[] = {
      {"no answer", [](CScriptedView&) {},
       "scripted operator: no answer left for FSample \"Sample\""},
      {"no countdown", [](CScriptedView& v) { v.ThenLetItRun(); },
       "scripted operator: FSample has no countdown and would never close by itself"},
      {"hidden button", [](CScriptedView& v) { v.Then(eoaStop, 10); },
       "scripted operator: FSample offers no stop button"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sCase);
    FSample frm;
    row.fnScript(*pView);
    try {
      frm.ShowModal(nullptr);
      ADD_FAILURE() << "no failure";
    } catch (const std::logic_error& e) {
      EXPECT_EQ(std::string(e.what()), row.sMessage);
    }
    EXPECT_FALSE(frm.Visible());
  }
}

TEST_F(CFormTest, ScriptedMessageBoxIsModalForItsDelay) {
  pView->SetMessageBoxDelay(2'000);
  CFormTest::ctx.RunFor(1'000);
  pView->Show("Instrument is not responding", "", true);
  ASSERT_EQ(pView->MessageBoxes().size(), 1U);
  const SRecordedMessageBox& box = pView->MessageBoxes()[0];
  EXPECT_EQ(box.sText, "Instrument is not responding");
  EXPECT_EQ(box.sTitle, "OrvexKSV940vti");
  EXPECT_TRUE(box.fExclamation);
  EXPECT_EQ(box.lShownUs, 1'000);
  EXPECT_EQ(box.lAnsweredUs, 2'001'000);
  EXPECT_EQ(&CContext::Get<IMessageBox>(), pView.get());
}

}  // namespace
}  // namespace ksv940
