#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "dialogs/FStopOnPC.h"
#include "dialogs/FWaitOnPC.h"
#include "platform/forms/CTerminalView.h"
#include "platform/settings/CRegistryFileStore.h"
#include "support/MDeclares.h"
#include "testing/CPseudoTerminal.h"
#include "testing/CTestContext.h"

namespace ksv940 {
namespace {

// The operator's terminal is the terminal end of a pseudo-terminal; the test types and reads at
// the far end. Virtual time: only the terminal itself is real.
struct CTerminalViewTest : ::testing::Test {
  test::CTestContext ctx;
  test::CPseudoTerminal pty;
  CTerminalViewTest() {
    ctx.Scope().Set<ISettingsStore>(std::make_shared<CRegistryFileStore>("/nonexistent.reg"));
    gfOutletOn = false;
  }
  ~CTerminalViewTest() override { gfOutletOn = false; }
  // Types sKeys and waits until the terminal end can read them, so that the pump sees them next.
  void Type(const std::string& sKeys) {
    pty.Write(sKeys);
    pollfd readable{pty.Anchor(), POLLIN, 0};
    ASSERT_EQ(poll(&readable, 1, 1000), 1);
  }
  tcflag_t LocalModes() const {
    termios mode{};
    tcgetattr(pty.Anchor(), &mode);
    return mode.c_lflag;
  }
};

TEST_F(CTerminalViewTest, KeysAnswerInRawModeAndTheCountdownLineIsRewritten) {
  InstallView(ctx.Scope(), std::make_shared<CTerminalView>(pty.Anchor(), pty.Anchor()));
  struct SRow {
    const char* szUse;
    const char* szKeys;  // typed 2 s after the dialog appeared
    bool fCancel;
    bool fSkipScreen;
    int64_t lHiddenUs;                 // -1: the keys answered nothing; Continue a minute later
    std::vector<std::string> vOutput;  // all of it when it begins with CR; else parts of it
  };
  const SRow rows[] = {
      {"before",
       "c",
       false,
       false,
       2'000'000,
       {"\r\n=== Stop On Power Configuration ===\r\n"
        "/!\\  Power configuration on Equipment Output is about to change\r\n\r\n"
        "     The power on the KSV940's equipment output will now change from OFF to\r\n"
        "     ON. Perform any required operations on the DUT, then click Continue to\r\n"
        "     keep on testing.\r\n\r\n"
        "     [C] Continue   [S] Stop Test\r\n"
        "     -> Continue\r\n"}},
      {"before", "xkK\r", false, false, -1, {}},
      {"before", "S", true, false, 2'000'000, {"     -> Stop Test\r\n"}},
      {"after", "\x03", true, false, 2'000'000, {"Power is now ON.", "     -> Stop Test\r\n"}},
      {"no resistance",
       "k",
       false,
       true,
       2'000'000,
       {"     [K] Skip   [C] Continue   [S] Stop Test\r\n"
        "     The test will automatically continue in 30 seconds."
        "\r\x1b[K     The test will automatically continue in 29 seconds."
        "\r\x1b[K     The test will automatically continue in 28 seconds."
        "\r\n     -> Skip\r\n"}},
      {"wait",
       "",
       false,
       false,
       3'000'000,
       {"(:)  Power is now ON.",
        "     The test will automatically continue in 3 seconds."
        "\r\x1b[K     The test will automatically continue in 2 seconds."
        "\r\x1b[K     The test will automatically continue in 1 seconds."
        "\r\n     -> closed by itself\r\n"}}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(std::string(row.szUse) + " keys " + row.szKeys);
    tcflag_t lModesBefore = LocalModes();
    ASSERT_TRUE(lModesBefore & ICANON);
    tcflag_t lModesShown = lModesBefore;
    int64_t lShownUs = ctx.NowUs();
    auto id = ctx.Pump().AddTimer(lShownUs + 2'000'000, 0, [&] {
      lModesShown = LocalModes();
      if (*row.szKeys != '\0') {
        Type(row.szKeys);
      }
    });
    auto idLate = ctx.Pump().AddTimer(lShownUs + 60'000'000, 0, [&] { Type("c"); });
    std::string sUse = row.szUse;
    FStopOnPC frm;
    FWaitOnPC frmWait;
    if (sUse == "wait") {
      frmWait.WaitOnPC("21017::ON", 3, nullptr);
    } else if (sUse == "before") {
      frm.ShowStopBefore(true, false, nullptr);
    } else if (sUse == "after") {
      frm.ShowStopAfter(true, nullptr);
    } else {
      frm.Control("cmdSkip").SetVisible(true);
      frm.ShowNoResistance(nullptr);
    }
    ctx.Pump().RemoveTimer(id);
    ctx.Pump().RemoveTimer(idLate);
    std::string sOutput = pty.ReadAvailable();
    EXPECT_EQ(frm.Cancel() || frmWait.Cancel(), row.fCancel);
    EXPECT_EQ(frm.SkipScreen(), row.fSkipScreen);
    EXPECT_EQ(ctx.NowUs() - lShownUs, row.lHiddenUs < 0 ? 60'000'000 : row.lHiddenUs);
    if (row.vOutput.size() == 1 && row.vOutput[0][0] == '\r') {
      EXPECT_EQ(sOutput, row.vOutput[0]);
    }
    for (const std::string& sPart : row.vOutput) {
      EXPECT_NE(sOutput.find(sPart), std::string::npos) << sPart << "\nin\n" << sOutput;
    }
    EXPECT_FALSE(lModesShown & (ICANON | ECHO | ISIG)) << "raw while shown";
    EXPECT_EQ(LocalModes(), lModesBefore) << "restored after";
  }
}

TEST_F(CTerminalViewTest, WithoutATerminalKeysStillAnswerAndTheEndOfInputStopsTheTest) {
  for (auto [szInput, fCancel] : {std::pair{"kc", false}, {"", true}, {"x", true}}) {
    SCOPED_TRACE(szInput);
    int aiIn[2];
    int aiOut[2];
    ASSERT_EQ(pipe(aiIn) + pipe(aiOut), 0);
    fcntl(aiOut[0], F_SETFL, O_NONBLOCK);
    CContextScope scope;
    InstallView(scope, std::make_shared<CTerminalView>(aiIn[0], aiOut[1]));
    ASSERT_EQ(write(aiIn[1], szInput, strlen(szInput)), static_cast<ssize_t>(strlen(szInput)));
    if (fCancel) {
      close(aiIn[1]);  // the end of the input
    }
    FWaitOnPC frm;
    frm.WaitOnPC("21017::ON", 30, nullptr);
    EXPECT_EQ(frm.Cancel(), fCancel);
    char buffer[4096];
    ssize_t n = read(aiOut[0], buffer, sizeof buffer);
    std::string sOutput(buffer, static_cast<size_t>(std::max<ssize_t>(n, 0)));
    EXPECT_NE(sOutput.find(fCancel ? "-> Stop Test\n" : "-> Continue\n"), std::string::npos)
        << sOutput;
    for (int iFd : {aiIn[0], aiOut[0], aiOut[1], fCancel ? -1 : aiIn[1]}) {
      close(iFd);
    }
  }
}

TEST_F(CTerminalViewTest, MessageBoxWaitsForEnter) {
  CTerminalView view(pty.Anchor(), pty.Anchor());
  ctx.Pump().AddTimer(1'000'000, 0, [&] { Type("x"); });
  ctx.Pump().AddTimer(4'000'000, 0, [&] { Type("\r"); });
  view.Show("Instrument is not responding, Please restart the instrument.",
            "Orvex KSV940 Plug-In Response", true);
  EXPECT_EQ(ctx.NowUs(), 4'000'000);
  EXPECT_EQ(pty.ReadAvailable(),
            "\r\n/!\\ Orvex KSV940 Plug-In Response: Instrument is not responding, Please restart "
            "the instrument.\r\n     [Enter] OK\r\n");
}

}  // namespace
}  // namespace ksv940
