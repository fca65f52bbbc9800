// A hostile or vanishing far side: a flood without a line end, a line end without a reply, bytes
// with the eighth bit set, a line that hangs up. Whatever it sends, what the component holds stays
// bounded, the channel's rules decide the outcome, and nothing of a flood passes for a reading.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "declares/GDeclares.h"
#include "hostdefaults/MHostDefaults.h"
#include "link/CChannel.h"
#include "link/CWifiBridgeConnector.h"
#include "link/MWire.h"
#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestOptions.h"
#include "platform/automation/CClassRegistry.h"
#include "platform/core/CContext.h"
#include "platform/core/PosixPumpPlatform.h"
#include "platform/serial/CPortMap.h"
#include "platform/serial/PosixSerialControl.h"
#include "plugin/CKsvVti.h"
#include "plugin/MComponent.h"
#include "sim/CSimInstrument.h"
#include "sim/CSimPty.h"
#include "sim/CSimulatedLine.h"
#include "sim/CSimulatedPorts.h"
#include "testing/CLoopbackBridge.h"
#include "testing/CPseudoTerminal.h"
#include "testing/CScriptedView.h"
#include "testing/CTestContext.h"
#include "testing/MCaught.h"

namespace ksv940::test {
namespace {

// --- The channel on virtual time: what it makes of a hostile reply. -----------------------------

struct SReplyRow {
  const char* szName;
  std::string sReply;  // written once, right after each command arrives
  const char* szAck;
  bool fParse;
  int32_t lError;       // raised by TransmitCmd, 0 for none
  std::string sResult;  // when nothing is raised
  int iSends;           // how often the command went out
};

void PrintTo(const SReplyRow& row, std::ostream* pOut) {
  *pOut << row.szName;
}

class ChannelAgainstHostileReplies : public ::testing::TestWithParam<SReplyRow> {};

TEST_P(ChannelAgainstHostileReplies, EndAsTheChannelsRulesSay) {
  const SReplyRow& row = GetParam();
  CTestContext ctx;
  auto pLine = std::make_shared<CSimulatedLine>();
  auto pPorts = std::make_shared<CSimulatedPorts>();
  pPorts->Connect(5, pLine);
  CContextScope scope;
  scope.Set<ISerialControlFactory>(pPorts);
  std::string sHeard;
  pLine->SetReceiver(CSimulatedLine::eslPeer, [&](std::string_view sBytes) {
    sHeard += sBytes;
    if (sHeard.ends_with("\r\n")) {
      pLine->Write(CSimulatedLine::eslPeer, row.sReply);
    }
  });
  CChannel channel;
  channel.OpenPort(5);
  int64_t lStartUs = ctx.Clock().NowUs();
  std::string sResult;
  int32_t lError = 0;
  try {
    sResult = channel.TransmitCmd("read", row.szAck, row.fParse, 3);
  } catch (const CAutomationError& err) {
    lError = err.Number();
  }
  EXPECT_EQ(lError, row.lError);
  EXPECT_EQ(sResult, row.sResult);
  EXPECT_EQ(channel.TestAbortFlag(), row.lError != 0);
  EXPECT_EQ(channel.State(), evsIdle);
  std::string sExpected;
  for (int i = 0; i < row.iSends; ++i) {
    sExpected += "read\r\n";
  }
  EXPECT_EQ(sHeard, sExpected);
  // A flood ends each attempt after kLongestReply characters, long before the 10 s time-out.
  EXPECT_LT(ctx.Clock().NowUs() - lStartUs, 2'000'000);
}

const std::string kFlood(3 * kLongestReply, 'A');
const std::string kReadings = [] {
  std::string s;
  while (s.size() < 2 * kLongestReply) {
    s += "0.25mA\r\n";
  }
  return s;
}();

INSTANTIATE_TEST_SUITE_P(
    Rows, ChannelAgainstHostileReplies,
    ::testing::Values(
        SReplyRow{"FloodWithoutLineEnd", kFlood, kCrLf, false, errVTI_InvalidReply, "", 3},
        SReplyRow{"FloodWithoutLineEndParsed", kFlood, kCrLf, true, errVTI_InvalidReply, "", 3},
        // Readings are no acknowledgement: none of them may pass for the reply.
        SReplyRow{"ReadingsWhereTheAcknowledgementIsAwaited", kReadings, kAcknowledged, false,
                  errVTI_InvalidReply, "", 3},
        SReplyRow{"LineEndWithoutReply", "\r\n", kCrLf, false, errVTI_InvalidReply, "", 1},
        SReplyRow{"LineEndWithoutReplyParsed", "\r\n", kCrLf, true, 0, "", 3},
        SReplyRow{"EighthBitSet", "\xb0.\xb2\xb5mA\r\n", kCrLf, false, 0, "\xb0.\xb2\xb5mA", 1},
        // At the edge: the longest reply taken, and the first refused.
        SReplyRow{"TheLongestReply", std::string(kLongestReply - 2, '7') + "\r\n", kCrLf, false, 0,
                  std::string(kLongestReply - 2, '7'), 1},
        SReplyRow{"OneCharacterMore", std::string(kLongestReply - 1, '7') + "\r\n", kCrLf, false,
                  errVTI_InvalidReply, "", 3}),
    [](const auto& row) { return std::string(row.param.szName); });

// --- Real time: the operating system's serial layer and sockets. --------------------------------

class RealTime : public ::testing::Test {
 protected:
  RealTime()
      : mpClock(std::make_shared<CRealClock>()),
        mpPump(std::make_shared<CMessagePump>(mpClock)),
        mpPorts(std::make_shared<CPortMap>()),
        mpBoxes(std::make_shared<CScriptedView>()) {
    mScope.Set<IClock>(mpClock).Set<CMessagePump>(mpPump).Set<CPortMap>(mpPorts).Set<IMessageBox>(
        mpBoxes);
  }

  bool PumpUntil(const std::function<bool()>& fnDone, int64_t lMaxMs = 2000) {
    return mpPump->RunUntil(mpClock->NowUs() + lMaxMs * 1000, fnDone);
  }

  std::shared_ptr<CRealClock> mpClock;
  std::shared_ptr<CMessagePump> mpPump;
  std::shared_ptr<CPortMap> mpPorts;
  std::shared_ptr<CScriptedView> mpBoxes;
  CContextScope mScope;
};

TEST_F(RealTime, TheSerialControlHoldsAFewKilobytesOfAFloodAndDropsNoneOfIt) {
  CPseudoTerminal pty;
  mpPorts->Map(1, pty.DevicePath());
  CPosixSerialControl control;
  control.SetCommPort(1);
  control.SetSettings("115200,N,8,1");
  control.SetPortOpen(true);
  control.SetInputLen(0);
  // The far end writes a counting pattern as fast as the terminal takes it.
  std::string sSent;
  std::string sRead;
  size_t nLargest = 0;
  const size_t kTotal = 256 << 10;
  auto watch = CPosixPumpPlatform::Of(*mpPump).WatchWritable(pty.FarEnd(), [&] {
    std::string sChunk;
    for (int i = 0; i < 512 && sSent.size() + sChunk.size() < kTotal; ++i) {
      sChunk += static_cast<char>('0' + (sSent.size() + sChunk.size()) % 73);
    }
    ssize_t n = write(pty.FarEnd(), sChunk.data(), sChunk.size());
    if (n > 0) {
      sSent.append(sChunk, 0, static_cast<size_t>(n));
    }
  });
  // The reader takes what is held only now and then, so the buffer fills up in between.
  for (int iRound = 0; iRound < 400 && sRead.size() < kTotal; ++iRound) {
    mpPump->RunUntil(mpClock->NowUs() + 2'000, [] { return false; });
    nLargest = std::max(nLargest, static_cast<size_t>(control.InBufferCount()));
    sRead += control.Input();
    if (sSent.size() == kTotal) {
      CPosixPumpPlatform::Of(*mpPump).Unwatch(watch);
    }
  }
  PumpUntil([&] {
    sRead += control.Input();
    return sRead.size() >= sSent.size();
  });
  EXPECT_LE(nLargest, 4096U);
  EXPECT_EQ(sRead.size(), sSent.size());
  EXPECT_TRUE(sRead == sSent) << "characters were dropped or reordered";
}

TEST_F(RealTime, TheWirelessConnectorFailsAFloodAndKeepsTheNewestWholeLineOfAStream) {
  test::CLoopbackBridge bridge;
  CWifiBridgeConnector connector(bridge.msAddress, 20);
  ASSERT_TRUE(connector.ConnectWireless());
  bridge.Accept();
  // A reply that never ends within kLongestReply characters is no reply.
  bridge.Send(std::string(kLongestReply + 10, 'A'));
  CAutomationError errFlood = Caught([&] { connector.SendCommand("stat", 50); });
  EXPECT_EQ(errFlood.Source(), "Orvex-Wifi-Utility");
  EXPECT_NE(errFlood.Description().find("without a line end"), std::string::npos);
  // A long stream of readings while nobody asks: the newest whole line is the output.
  std::string sStream;
  for (int i = 0; sStream.size() < 5 * kLongestReply; ++i) {
    sStream += "0." + std::to_string(100 + i % 900) + "mA\r\n";
  }
  bridge.Send(sStream + "0.321mA\r\n0.4");
  EXPECT_EQ(connector.FlushData(50), "0.321mA");
  // The same without any line end: nothing of it is handed on.
  bridge.Send(std::string(3 * kLongestReply, '9'));
  EXPECT_NE(Caught([&] { connector.FlushData(50); }).Description().find("without a line end"),
            std::string::npos);
  // A line end alone, and bytes with the eighth bit set, are handed on for the plug-in to judge.
  bridge.Send("\r\n");
  EXPECT_EQ(connector.SendCommand("stat", 50), "");
  bridge.Send("\xb0\xb0\xb0\xb4\r\n");
  EXPECT_EQ(connector.SendCommand("stat", 50), "\xb0\xb0\xb0\xb4");
}

TEST_F(RealTime, AnAnalyzerThatVanishesMidTestIsReportedOnceAndItsPortOpensAgain) {
  auto pRegistry = MakeHostRegistry();
  CWifiBridgeConnector::RegisterClass(*pRegistry);
  CContextScope scope;
  scope.Set<CClassRegistry>(pRegistry);
  DllRegisterServer();
  auto pVti = std::dynamic_pointer_cast<CKsvVti>(pRegistry->CreateObject("OrvexKSV940vti.CKsvVti"));
  auto pInstrument = std::make_unique<CSimInstrument>();
  auto pPty = std::make_unique<CSimPty>(*pInstrument);
  mpPorts->Map(5, pPty->DevicePath());
  pVti->InitRemote(5);
  ASSERT_EQ(pVti->State(), evsIdle);
  // The analyzer goes as the earth-resistance command reaches it.
  pInstrument->SetMonitor([&](bool fFromHost, std::string_view sBytes) {
    if (fFromHost && sBytes.find("eres=") != std::string_view::npos) {
      mpPump->Post([&] { pPty.reset(); });
    }
  });
  auto pTest = std::make_shared<CKsvSafetyTest>();
  pTest->Initialize(etcProtEarth, epcOff);
  int64_t lStartUs = mpClock->NowUs();
  EXPECT_EQ(Caught([&] { pVti->RunSafetyTest(pTest, nullptr); }).Number(), errVTI_Error);
  EXPECT_EQ(pVti->State(), evsIdle);
  ASSERT_EQ(mpBoxes->MessageBoxes().size(), 1U);
  EXPECT_NE(mpBoxes->MessageBoxes()[0].sText.find("8020"), std::string::npos)
      << mpBoxes->MessageBoxes()[0].sText;
  pVti->EndRemote(nullptr);
  EXPECT_EQ(pVti->State(), evsClosed);
  EXPECT_EQ(mpBoxes->MessageBoxes().size(), 1U);
  // Not the time-outs of three attempts: the failure comes as soon as the device has gone.
  EXPECT_LT(mpClock->NowUs() - lStartUs, 3'000'000);
  // The analyzer is back (on a new terminal, as a USB adapter comes back under its link).
  pInstrument->SetMonitor({});
  pPty = std::make_unique<CSimPty>(*pInstrument);
  mpPorts->Map(5, pPty->DevicePath());
  pVti->InitRemote(5);
  EXPECT_EQ(pVti->State(), evsIdle);
  pVti->EndRemote(nullptr);
}

}  // namespace
}  // namespace ksv940::test
