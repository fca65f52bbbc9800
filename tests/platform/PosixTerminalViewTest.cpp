#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

#include "dialogs/FStopOnPC.h"
#include "dialogs/FWaitOnPC.h"
#include "platform/forms/CTerminalView.h"
#include "platform/settings/CRegistryFileStore.h"
#include "support/MDeclares.h"
#include "testing/CTempDir.h"
#include "testing/CTestContext.h"

namespace ksv940 {
namespace {

// A pseudo-terminal: the view gets the terminal end, the test types and reads at the other.
class CPseudoTerminal {
 public:
  CPseudoTerminal() {
    miMaster = posix_openpt(O_RDWR | O_NOCTTY);
    if (miMaster >= 0 && grantpt(miMaster) == 0 && unlockpt(miMaster) == 0) {
      miTerminal = open(ptsname(miMaster), O_RDWR | O_NOCTTY);
    }
    fcntl(miMaster, F_SETFL, O_NONBLOCK);
  }
  ~CPseudoTerminal() {
    close(miTerminal);
    close(miMaster);
  }
  bool IsOpen() const { return miTerminal >= 0; }
  int Terminal() const { return miTerminal; }

  // Types sKeys and waits until the terminal end can read them, so that the pump sees them on its
  // next turn.
  void Type(const std::string& sKeys) const {
    ASSERT_EQ(write(miMaster, sKeys.data(), sKeys.size()), static_cast<ssize_t>(sKeys.size()));
    pollfd readable{miTerminal, POLLIN, 0};
    ASSERT_EQ(poll(&readable, 1, 1000), 1);
  }

  // Everything written to the terminal so far.
  std::string Drain() const {
    std::string sOut;
    char buffer[4096];
    ssize_t n;
    while ((n = read(miMaster, buffer, sizeof buffer)) > 0) {
      sOut.append(buffer, static_cast<size_t>(n));
    }
    return sOut;
  }

  tcflag_t LocalModes() const {
    termios mode{};
    tcgetattr(miTerminal, &mode);
    return mode.c_lflag;
  }

 private:
  int miMaster = -1;
  int miTerminal = -1;
};

struct CTerminalViewTest : ::testing::Test {
  test::CTestContext ctx;
  test::CTempDir dir;
  CTerminalViewTest() {
    ctx.Scope().Set<ISettingsStore>(std::make_shared<CRegistryFileStore>(dir.PathOf("none.reg")));
    gfOutletOn = false;
  }
  ~CTerminalViewTest() override { gfOutletOn = false; }
};

TEST_F(CTerminalViewTest, KeysAnswerInRawModeAndTheCountdownLineIsRewritten) {
  CPseudoTerminal pty;
  ASSERT_TRUE(pty.IsOpen());
  auto pView = std::make_shared<CTerminalView>(pty.Terminal(), pty.Terminal());
  InstallView(ctx.Scope(), pView);
  struct Row {
    const char* sUse;
    const char* sKeys;
    bool fCancel;
    bool fSkipScreen;
    int64_t lHiddenUs;
    std::vector<std::string> vExpectedOutput;
  };
  const Row rows[] = {
      {"before",
       "c",
       false,
       false,
       2'000'000,
       {"\r\n=== Stop On Power Configuration ===\r\n"
        "/!\\  Power configuration on Equipment Output is about to change\r\n"
        "\r\n"
        "     The power on the KSV940's equipment output will now change from OFF to\r\n"
        "     ON. Perform any required operations on the DUT, then click Continue to\r\n"
        "     keep on testing.\r\n"
        "\r\n"
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
        "\r\n     -> closed by itself\r\n"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.sUse) + " keys " + row.sKeys);
    tcflag_t lModesBefore = pty.LocalModes();
    ASSERT_TRUE(lModesBefore & ICANON);
    tcflag_t lModesShown = lModesBefore;
    int64_t lShownUs = ctx.Clock().NowUs();
    bool fTyped = false;
    CMessagePump::Id id = ctx.Pump().AddTimer(lShownUs + 2'000'000, 0, [&] {
      lModesShown = pty.LocalModes();
      fTyped = true;
      if (*row.sKeys != '\0') {
        pty.Type(row.sKeys);
      }
    });
    // Keys that answer nothing: the dialog waits on, and Continue a minute later ends it.
    CMessagePump::Id idLate = ctx.Pump().AddTimer(lShownUs + 60'000'000, 0, [&] { pty.Type("c"); });
    std::string sUse = row.sUse;
    bool fCancel = false;
    bool fSkipScreen = false;
    if (sUse == "wait") {
      FWaitOnPC frm;
      frm.WaitOnPC("21017::ON", 3, nullptr);
      fCancel = frm.Cancel();
    } else {
      FStopOnPC frm;
      if (sUse == "before") {
        frm.ShowStopBefore(true, false, nullptr);
      } else if (sUse == "after") {
        frm.ShowStopAfter(true, nullptr);
      } else {
        frm.Control("cmdSkip").SetVisible(true);
        frm.ShowNoResistance(nullptr);
      }
      fCancel = frm.Cancel();
      fSkipScreen = frm.SkipScreen();
    }
    ctx.Pump().RemoveTimer(id);
    ctx.Pump().RemoveTimer(idLate);
    std::string sOutput = pty.Drain();
    EXPECT_EQ(fCancel, row.fCancel);
    EXPECT_EQ(fSkipScreen, row.fSkipScreen);
    EXPECT_EQ(ctx.Clock().NowUs() - lShownUs, row.lHiddenUs < 0 ? 60'000'000 : row.lHiddenUs);
    if (row.vExpectedOutput.size() == 1 && row.vExpectedOutput[0][0] == '\r') {
      EXPECT_EQ(sOutput, row.vExpectedOutput[0]);
    } else {
      for (const std::string& sPart : row.vExpectedOutput) {
        EXPECT_NE(sOutput.find(sPart), std::string::npos) << sPart << "\nin\n" << sOutput;
      }
    }
    EXPECT_TRUE(fTyped);
    EXPECT_FALSE(lModesShown & (ICANON | ECHO | ISIG)) << "raw while shown";
    EXPECT_EQ(pty.LocalModes(), lModesBefore) << "restored after";
  }
}

TEST_F(CTerminalViewTest, KeysTypedBeforeTheDialogAppearedAreDropped) {
  CPseudoTerminal pty;
  ASSERT_TRUE(pty.IsOpen());
  InstallView(ctx.Scope(), std::make_shared<CTerminalView>(pty.Terminal(), pty.Terminal()));
  termios raw{};
  tcgetattr(pty.Terminal(), &raw);
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON);
  tcsetattr(pty.Terminal(), TCSANOW, &raw);
  pty.Type("s");
  ctx.Pump().AddTimer(5'000'000, 0, [&] { pty.Type("c"); });
  FStopOnPC frm;
  frm.ShowStopBefore(false, true, nullptr);
  EXPECT_FALSE(frm.Cancel()) << "the early S did not answer";
  EXPECT_EQ(ctx.Clock().NowUs(), 5'000'000);
}

TEST_F(CTerminalViewTest, WithoutATerminalKeysStillAnswerAndTheEndOfInputStopsTheTest) {
  struct Row {
    const char* sInput;
    bool fClose;
    bool fCancel;
  };
  const Row rows[] = {{"kc", false, false}, {"", true, true}, {"x", true, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sInput);
    int aiIn[2];
    int aiOut[2];
    ASSERT_EQ(pipe(aiIn), 0);
    ASSERT_EQ(pipe(aiOut), 0);
    fcntl(aiOut[0], F_SETFL, O_NONBLOCK);
    CContextScope scope;
    InstallView(scope, std::make_shared<CTerminalView>(aiIn[0], aiOut[1]));
    ASSERT_EQ(write(aiIn[1], row.sInput, strlen(row.sInput)),
              static_cast<ssize_t>(strlen(row.sInput)));
    if (row.fClose) {
      close(aiIn[1]);
    }
    FWaitOnPC frm;
    frm.WaitOnPC("21017::ON", 30, nullptr);
    EXPECT_EQ(frm.Cancel(), row.fCancel);
    char buffer[4096];
    ssize_t n = read(aiOut[0], buffer, sizeof buffer);
    std::string sOutput(buffer, static_cast<size_t>(std::max<ssize_t>(n, 0)));
    EXPECT_NE(sOutput.find(row.fCancel ? "-> Stop Test\n" : "-> Continue\n"), std::string::npos)
        << sOutput;
    if (!row.fClose) {
      close(aiIn[1]);
    }
    close(aiIn[0]);
    close(aiOut[0]);
    close(aiOut[1]);
  }
}

TEST_F(CTerminalViewTest, MessageBoxWaitsForEnter) {
  CPseudoTerminal pty;
  ASSERT_TRUE(pty.IsOpen());
  CTerminalView view(pty.Terminal(), pty.Terminal());
  ctx.Pump().AddTimer(1'000'000, 0, [&] { pty.Type("x"); });
  ctx.Pump().AddTimer(4'000'000, 0, [&] { pty.Type("\r"); });
  view.Show("Instrument is not responding, Please restart the instrument.",
            "Orvex KSV940 Plug-In Response", true);
  EXPECT_EQ(ctx.Clock().NowUs(), 4'000'000);
  EXPECT_EQ(pty.Drain(),
            "\r\n/!\\ Orvex KSV940 Plug-In Response: Instrument is not responding, Please restart "
            "the instrument.\r\n     [Enter] OK\r\n");
}

}  // namespace
}  // namespace ksv940
