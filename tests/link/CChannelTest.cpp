#include "link/CChannel.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "link/ChannelTesting.h"
#include "model/GDeclares.h"
#include "platform/core/MText.h"

namespace ksv940 {
namespace {

using test::Raised;
using test::SRaised;

class CChannelTest : public ::testing::Test, public test::CLinkFixture {
 protected:
  void Open() {
    channel.OpenPort(kPort);
    ASSERT_EQ(channel.State(), evsIdle);
  }
  CChannel channel;
};

// ---------------------------------------------------------------------------------------------
// Sending, time-outs and the send drain

TEST_F(CChannelTest, TimeOutCountsFromTheMomentTheCommandHasLeftAndDependsOnTheCommandAsGiven) {
  Open();
  struct Row {
    const char* sTx;
    const char* sOnLine;
    int64_t lTimeOutMs;
  };
  const Row rows[] = {
      {"\x1b", "\x1b\r\n", 1000},        {"stat3", "stat3\r\n", 1000},
      {"exit", "exit\r\n", 1000},        {"stat1", "stat1\r\n", 1000},
      {"stat", "stat\r\n", 10000},       {"stat2", "stat2\r\n", 10000},
      {"Stat1", "Stat1\r\n", 10000},     {"exit ", "exit \r\n", 10000},
      {"stat1\r\n", "stat1\r\n", 10000},  // CR LF not doubled; no longer exactly "stat1"
      {"\x1b\r\n", "\x1b\r\n", 10000},   {"", "", 10000},  // nothing sent; only received
  };
  for (const Row& row : rows) {
    for (bool fCheck : {true, false}) {
      SCOPED_TRACE(EscapeControls(row.sTx) + (fCheck ? " with check" : " without check"));
      size_t nBefore = peer.Bytes().size();
      int64_t lExpectedEnd = After(std::string(row.sOnLine).size()) + row.lTimeOutMs * 1000;
      std::string sReply = "unset";
      SRaised raised = Raised([&] { sReply = channel.Transmit(row.sTx, "\r\n", false, fCheck); });
      EXPECT_EQ(EscapeControls(peer.Bytes().substr(nBefore)), EscapeControls(row.sOnLine));
      EXPECT_EQ(Now(), lExpectedEnd);
      EXPECT_EQ(channel.State(), evsIdle);
      if (fCheck) {
        EXPECT_FALSE(raised.fRaised);
        EXPECT_EQ(sReply, "");
        EXPECT_FALSE(channel.TransmitReceiveFlag());
        EXPECT_FALSE(channel.TestAbortFlag());
      } else {
        EXPECT_EQ(raised.lNumber, errVTI_NoReply);
        EXPECT_EQ(raised.sSource, "CChannel");
        EXPECT_EQ(raised.sDescription, "no reply on port 5");
        EXPECT_TRUE(channel.TransmitReceiveFlag());
        EXPECT_TRUE(channel.TestAbortFlag());
      }
      channel.SetTestAbortFlag(false);
      channel.SetTransmitReceiveFlag(false);
    }
  }
}

TEST_F(CChannelTest, ReceiveTakesCharactersUpToTheFirstTerminatorAndParsesThem) {
  Open();
  struct Row {
    const char* sAck;
    const char* sReply;
    int64_t lDelayMs;
    bool fParse;
    const char* sExpected;
    size_t nUpToTerminator;  // characters of the reply read when the receive ends
  };
  const Row rows[] = {
      {"\r\n", "12.5\r\n", 0, false, "12.5", 6},
      {"\r\n", "12.5\r\n", 700, false, "12.5", 6},
      {"\r\n", "*\r\n", 0, false, "*\r\n", 3},
      {"*\r\n", "*\r\n", 0, false, "*\r\n", 3},
      {"*\r\n", "data\r\n*\r\n", 0, false, "data", 9},
      {"*\r\n", "1\r\n2\r\n*\r\n", 0, false, "1", 9},
      {"K", "OK\r\n", 0, true, "", 2},  // collected "OK" holds no CR LF
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(EscapeControls(row.sReply) + " up to " + EscapeControls(row.sAck));
    peer.Queue(row.sReply, row.lDelayMs);
    int64_t lCommandIn = After(6);
    int64_t lReplyEnd =
        test::ArrivalUs(*pLine, lCommandIn + row.lDelayMs * 1000, row.nUpToTerminator);
    std::string sReply = channel.Transmit("read", row.sAck, row.fParse, false);
    EXPECT_EQ(EscapeControls(sReply), EscapeControls(row.sExpected));
    EXPECT_EQ(Now(), lReplyEnd);
    EXPECT_FALSE(channel.TransmitReceiveFlag());
    ctx.RunFor(20'000);  // the rest of the reply arrives; the next Transmit discards it
  }
}

TEST_F(CChannelTest, CharactersAfterTheTerminatorAreDiscardedByTheNextTransmit) {
  Open();
  peer.Queue("12.5\r\nLATE\r\n");
  EXPECT_EQ(channel.Transmit("read", "\r\n"), "12.5");
  ctx.RunFor(5'000);  // "LATE" is now waiting in the control
  peer.Queue("0004\r\n");
  EXPECT_EQ(channel.Transmit("stat", "\r\n"), "0004");
  // Without a send nothing is discarded: an empty command reads what is waiting.
  peer.Queue("0004\r\nLATE\r\n");
  EXPECT_EQ(channel.Transmit("stat", "\r\n"), "0004");
  ctx.RunFor(5'000);
  EXPECT_EQ(channel.Transmit("", "\r\n"), "LATE");
  // Two lines waiting at once: each receive takes one of them.
  peer.SendAt(Now(), "A\r\nB\r\n");
  ctx.RunFor(5'000);
  EXPECT_EQ(channel.Transmit("", "\r\n"), "A");
  EXPECT_EQ(channel.Transmit("", "\r\n"), "B");
}

TEST_F(CChannelTest, TheTimeOutIsOneTotalTimeNotATimeBetweenCharacters) {
  Open();
  int64_t lSent = After(7);
  for (int i = 1; i <= 4; ++i) {
    peer.SendAt(lSent + i * 300'000, std::string(1, static_cast<char>('0' + i)));
  }
  peer.SendAt(lSent + 1'300'000, "\r\n");
  SRaised raised = Raised([&] { channel.Transmit("stat1", "\r\n"); });
  EXPECT_EQ(raised.lNumber, errVTI_NoReply);
  EXPECT_EQ(Now(), lSent + 1'000'000);
}

TEST_F(CChannelTest, TransmitTracesTheCommandAsGivenAndTheReply) {
  Open();
  peer.Queue("0004\r\n");
  channel.Transmit("stat", "\r\n");
  channel.Transmit("stat1\r\n", "\r\n", false, true);
  EXPECT_EQ(pTrace->vLines,
            (std::vector<std::string>{"Send Data    ::stat\t", "Recieved Data ::0004\t",
                                      "Send Data    ::stat1\r\n\t", "Recieved Data ::\t"}));
}

// ---------------------------------------------------------------------------------------------
// Replies and instrument error codes

TEST_F(CChannelTest, ParseResultTurnsRepliesIntoTextsOrErrors) {
  Open();
  const std::string kKsv = "MError: The KSV940 reported an error: ";
  const std::string kComm = "MError: communication error: ";
  struct Row {
    const char* sRx;
    bool fParse;
    std::string sOutcome;  // the text returned, or "source: description" of the error raised
  };
  const Row rows[] = {
      {"*\r\n", false, "*\\r\\n"},
      {"12.5\r\n", false, "12.5"},
      {"1\r\n2\r\n", false, "1"},
      {"!21\r\n", false, "!21"},
      {"!32\r\n", false, "!32"},
      {"!22\r\n", false, "!22"},
      {"!37\r\n", false, "!37"},
      {"!21\r\n", true, "!21"},
      {"!33\r\n", true, "!33"},
      {"\r\n", true, ""},
      {"12.5", true, ""},
      {"!33\r\n", false, kKsv + "Cannot null."},
      {"!033\r\n", false, kKsv + "Cannot null."},
      {"!34\r\n", false, kKsv + "Reading out of calibration."},
      {"!40\r\n", false, kKsv + "Over temperature."},
      {"!50\r\n", false, kKsv + "Ground Fault Interrupt tripped."},
      {"!51\r\n", false, kKsv + "Over voltage detected."},
      {"!52\r\n", false, kKsv + "Unit out of calibration."},
      {"!54\r\n", false, kKsv + "Open ground."},
      {"!057\r\n", false,
       kKsv + "The instrument needs to wait before performing additional 25A tests.."},
      {"!99\r\n", false, kComm + "!99"},
      {"!\r\n", false, kComm + "!"},
      {"!x3\r\n", false, kComm + "!x3"},
      {"!99999\r\n", false, kComm + "!99999"},
      {"\r\n", false, kComm},
      {"12.5", false, kComm},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(EscapeControls(row.sRx) + (row.fParse ? " parsed by the caller" : ""));
    channel.SetTestAbortFlag(false);
    std::string sOutcome;
    SRaised raised =
        Raised([&] { sOutcome = EscapeControls(channel.ParseResult(row.sRx, row.fParse)); });
    if (raised.fRaised) {
      sOutcome = raised.sSource + ": " + raised.sDescription;
      EXPECT_EQ(raised.lNumber,
                row.sOutcome.starts_with(kKsv) ? errVTI_KsvError : errVTI_InvalidReply);
    }
    EXPECT_EQ(sOutcome, row.sOutcome);
    EXPECT_EQ(channel.TestAbortFlag(), raised.fRaised);
    EXPECT_EQ(channel.State(), evsIdle);
  }
}

TEST_F(CChannelTest, BusyInstrumentReplyPausesTenSecondsBeforeTheRetry) {
  Open();
  for (bool fParse : {false, true}) {
    SCOPED_TRACE(fParse ? "parsed by the caller" : "checked by the channel");
    size_t nLines = peer.Lines().size();
    peer.Queue("!57\r\n");
    peer.Queue("*\r\n");
    int64_t lFirstIn = After(9);
    int64_t lBusyIn = test::ArrivalUs(*pLine, lFirstIn, 5);
    std::string sReply = channel.TransmitCmd("eres=25", "\r\n", fParse, 3);
    EXPECT_EQ(EscapeControls(sReply), "*\\r\\n");
    ASSERT_EQ(peer.Lines().size(), nLines + 2);
    EXPECT_EQ(peer.Lines()[nLines].lArrivedUs, lFirstIn);
    // Ten seconds' pause for the instrument, then the retry's own 100 ms.
    EXPECT_EQ(peer.Lines()[nLines + 1].lArrivedUs,
              test::ArrivalUs(*pLine, lBusyIn + 10'100'000, 9));
    EXPECT_EQ(channel.State(), evsIdle);
    EXPECT_FALSE(channel.TestAbortFlag());
  }
}

TEST_F(CChannelTest, SilentStat1IsSentThreeTimesWithPausesAndThenReportedAsNoReply) {
  Open();
  ASSERT_EQ(Now(), 100'000);  // the open pauses 100 ms
  SRaised raised = Raised([&] { channel.TransmitCmd("stat1", "\r\n", false, 3); });
  // "stat1" CR LF takes 7 character times (608 us); each attempt waits 1000 ms after that, and
  // the attempts are 100 ms and 200 ms apart.
  ASSERT_EQ(peer.Lines().size(), 3u);
  EXPECT_EQ(peer.Lines()[0].lArrivedUs, 100'608);
  EXPECT_EQ(peer.Lines()[1].lArrivedUs, 1'201'216);
  EXPECT_EQ(peer.Lines()[2].lArrivedUs, 2'401'824);
  EXPECT_EQ(Now(), 3'401'824);
  EXPECT_EQ(peer.Bytes(), "stat1\r\nstat1\r\nstat1\r\n");
  EXPECT_EQ(raised.lNumber, errVTI_NoReply);
  EXPECT_EQ(raised.sSource, "CChannel");
  EXPECT_TRUE(channel.TransmitReceiveFlag());
  EXPECT_TRUE(channel.TestAbortFlag());
  EXPECT_EQ(channel.State(), evsIdle);
}

TEST_F(CChannelTest, TransmitCmdRetriesUnusableRepliesWithGrowingPauses) {
  struct Row {
    const char* sTx;
    const char* sAck;
    bool fParse;
    int32_t lCount;
    const char* sReplies;  // the reply to each send, "|" between them; "-" is silence
    std::string sOutcome;  // the text returned, or "source: description" of the error raised
    bool fTransmitReceive;
    bool fTestAbort;
  };
  const Row rows[] = {
      {"stat", "\r\n", false, 3, "-|0004\r\n", "0004", false, false},
      {"read", "\r\n", false, 3, "!32\r\n|!21\r\n|12.5\r\n", "12.5", false, false},
      {"earthl", "\r\n", false, 3, "!21\r\n|!21\r\n|!21\r\n", "CChannel: communication error: !21",
       true, true},
      {"zero", "\r\n", false, 3, "!21\r\n|!21\r\n|!21\r\n", "", true, true},
      {"mode=ac", "\r\n", true, 3, "!33\r\n|!33\r\n|!33\r\n", "CChannel: communication error: !33",
       true, true},
      {"stat", "\r\n", false, 3, "!21\r\n|-|-", "CChannel: no reply on port 5", true, true},
      {"stat", "\r\n", false, 2, "-|!21\r\n", "CChannel: communication error: !21", true, true},
      {"stat1", "\r\n", false, 1, "-", "CChannel: no reply on port 5", true, true},
      {"rptime=1", "", false, 3, "-|-|-", "", false, false},
      {"ident", "\r\n", false, 3, "\r\n", "MError: communication error: ", false, true},
      {"mode=dc", "\r\n", false, 3, "!33\r\n", "MError: The KSV940 reported an error: Cannot null.",
       false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.sTx) + " x" + std::to_string(row.lCount) + ": " +
                 EscapeControls(row.sReplies));
    test::CLinkFixture link;
    CChannel rowChannel;
    rowChannel.OpenPort(kPort);
    std::vector<std::optional<std::string>> vReplies;
    std::string sReplies = row.sReplies;
    for (size_t nStart = 0;;) {
      size_t nBar = sReplies.find('|', nStart);
      std::string sReply = sReplies.substr(nStart, nBar - nStart);
      vReplies.push_back(sReply == "-" ? std::nullopt : std::optional<std::string>(sReply));
      link.peer.Queue(vReplies.back());
      if (nBar == std::string::npos) {
        break;
      }
      nStart = nBar + 1;
    }
    std::string sOutcome;
    SRaised raised = Raised(
        [&] { sOutcome = rowChannel.TransmitCmd(row.sTx, row.sAck, row.fParse, row.lCount); });
    if (raised.fRaised) {
      sOutcome = raised.sSource + ": " + raised.sDescription;
    }
    EXPECT_EQ(sOutcome, row.sOutcome);
    EXPECT_EQ(rowChannel.TransmitReceiveFlag(), row.fTransmitReceive);
    EXPECT_EQ(rowChannel.TestAbortFlag(), row.fTestAbort);
    EXPECT_EQ(rowChannel.State(), evsIdle);
    // Each attempt sends the same bytes; attempt k+1 leaves k x 100 ms after attempt k ended (at
    // the end of its reply, or at its time-out).
    const auto& lines = link.peer.Lines();
    ASSERT_EQ(lines.size(), vReplies.size());
    std::string sLine = std::string(row.sTx) + "\r\n";
    int64_t lTimeOutUs = std::string(row.sTx) == "stat1" ? 1'000'000 : 10'000'000;
    for (size_t k = 0; k < lines.size(); ++k) {
      EXPECT_EQ(lines[k].sLine, sLine);
      if (k == 0) {
        continue;
      }
      int64_t lEnded = lines[k - 1].lArrivedUs;
      if (*row.sAck != '\0') {
        const auto& previous = vReplies[k - 1];
        lEnded =
            previous ? test::ArrivalUs(*link.pLine, lEnded, previous->size()) : lEnded + lTimeOutUs;
      }
      int64_t lLeft = lEnded + static_cast<int64_t>(k) * 100'000;
      EXPECT_EQ(lines[k].lArrivedUs, test::ArrivalUs(*link.pLine, lLeft, sLine.size()))
          << "attempt " << k + 1;
    }
  }
}

TEST_F(CChannelTest, TestAbortFlagLatchStopsEverySendButZero) {
  Open();
  struct Row {
    const char* sTx;
    bool fSent;
  };
  const Row rows[] = {
      {"stat", false}, {"Zero", false}, {"zero ", false}, {"\x1b", false}, {"zero", true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(EscapeControls(row.sTx));
    channel.SetTestAbortFlag(true);
    if (row.fSent) {
      peer.Queue("*\r\n");
    }
    size_t nLines = peer.Lines().size();
    int64_t lStart = Now();
    std::string sReply = channel.TransmitCmd(row.sTx, "\r\n", false, 3);
    EXPECT_EQ(peer.Lines().size(), nLines + (row.fSent ? 1 : 0));
    EXPECT_EQ(channel.TestAbortFlag(), !row.fSent);
    if (row.fSent) {
      EXPECT_EQ(EscapeControls(sReply), "*\\r\\n");
    } else {
      EXPECT_EQ(sReply, "");
      EXPECT_EQ(Now(), lStart);
    }
  }
  // A failure sets the latch again.
  channel.SetTestAbortFlag(false);
  EXPECT_TRUE(Raised([&] { channel.TransmitCmd("stat1", "\r\n", false, 1); }).fRaised);
  EXPECT_TRUE(channel.TestAbortFlag());
}

// ---------------------------------------------------------------------------------------------
// Streams of readings

TEST_F(CChannelTest, ReadingWindowEndsWithTheFirstLineAfterTheSecondsCountAdvanced) {
  struct Row {
    int64_t lTimeOfDayMs;  // when the window starts
    const char* sExpected;
  };
  const Row rows[] = {
      {12 * 3600'000, "0.010"}, {12 * 3600'000 + 900, "0.006"}, {12 * 3600'000 + 100, "0.010"},
      {86399'000, "0.010"},  // 23:59:59, the window ends after midnight
      {86398'900, "0.006"},     {86399'950, "0.006"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.lTimeOfDayMs);
    test::CLinkFixture link;
    CChannel rowChannel;
    rowChannel.OpenPort(kPort);
    std::vector<std::string> vReadings;
    for (int i = 1; i <= 40; ++i) {
      char szReading[16];
      std::snprintf(szReading, sizeof szReading, "0.%03d\r\n", i);
      vReadings.emplace_back(szReading);
    }
    // One reading every 200 ms, as the instrument streams them after "mread".
    link.peer.Stream(link.Now(), 200, vReadings);
    link.ctx.Clock().SetTimeOfDay(row.lTimeOfDayMs * 1000);
    EXPECT_EQ(rowChannel.ReceiveOneFromMany(2), row.sExpected);
    EXPECT_EQ(rowChannel.State(), evsIdle);  // neither checked nor changed
    ASSERT_FALSE(link.pTrace->vLines.empty());
    EXPECT_EQ(link.pTrace->vLines.back(), std::string("Recieve Data ::") + row.sExpected + "\t");
  }
}

TEST_F(CChannelTest, ReadingWindowPassesErrorsAndGapsOn) {
  Open();
  peer.Stream(Now(), 200, {"0.1\r\n", "0.2\r\n", "!33\r\n", "0.4\r\n"});
  SRaised raised = Raised([&] { channel.ReceiveOneFromMany(2); });
  EXPECT_EQ(raised.lNumber, errVTI_KsvError);
  EXPECT_EQ(raised.sDescription, "The KSV940 reported an error: Cannot null.");

  channel.SetTestAbortFlag(false);
  int64_t lStart = Now();
  peer.Stream(lStart, 200, {"0.1\r\n"});
  raised = Raised([&] { channel.ReceiveOneFromMany(2); });
  EXPECT_EQ(raised.lNumber, errVTI_NoReply);
  EXPECT_EQ(Now(), test::ArrivalUs(*pLine, lStart + 200'000, 5) + 10'000'000);
  EXPECT_TRUE(channel.TestAbortFlag());
}

// ---------------------------------------------------------------------------------------------
// Abort, state checks, open and close

TEST_F(CChannelTest, AbortEndsEachWaitAtOnce) {
  struct Row {
    const char* sWait;
    int64_t lAbortAfterUs;  // after the operation started
    std::function<void(CChannel&, test::CLinkFixture&)> fnRun;
  };
  const Row rows[] = {
      {"open pause", 30'000, [](CChannel& ch, test::CLinkFixture&) { ch.OpenPort(kPort); }},
      {"Wait", 500'000, [](CChannel& ch, test::CLinkFixture&) { ch.Wait(3000); }},
      {"receive", 2'000'000,
       [](CChannel& ch, test::CLinkFixture& link) {
         link.peer.Queue(std::nullopt);
         EXPECT_EQ(ch.Transmit("stat", "\r\n", false, false), "");
       }},
      {"send drain", 300,
       [](CChannel& ch, test::CLinkFixture&) {
         EXPECT_EQ(ch.Transmit("stat", "\r\n", false, false), "");
       }},
      {"instrument pause", 3'000'000,
       [](CChannel& ch, test::CLinkFixture& link) {
         link.peer.Queue("!57\r\n");
         EXPECT_EQ(ch.Transmit("eres", "\r\n", false, false), "!57");
       }},
      {"reading window", 700'000,
       [](CChannel& ch, test::CLinkFixture& link) {
         link.peer.Stream(link.Now(), 200, {"0.1\r\n", "0.2\r\n", "0.3\r\n", "0.4\r\n"});
         EXPECT_EQ(ch.ReceiveOneFromMany(2), "");
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sWait);
    test::CLinkFixture link;
    CChannel rowChannel;
    if (std::string(row.sWait) != "open pause") {
      rowChannel.OpenPort(kPort);
    }
    int64_t lAbortAt = link.Now() + row.lAbortAfterUs;
    if (std::string(row.sWait) == "instrument pause") {
      lAbortAt = test::ArrivalUs(*link.pLine, link.After(6), 5) + row.lAbortAfterUs;
    }
    link.At(lAbortAt, [&] { rowChannel.Abort(); });
    row.fnRun(rowChannel, link);
    EXPECT_EQ(link.Now(), lAbortAt);
    EXPECT_EQ(rowChannel.State(), evsIdle);
    EXPECT_EQ(rowChannel.Port(), kPort);
    EXPECT_FALSE(rowChannel.TransmitReceiveFlag());
    EXPECT_FALSE(rowChannel.TestAbortFlag());
  }
}

TEST_F(CChannelTest, AbortedAttemptOfTransmitCmdIsSentAgain) {
  Open();
  peer.Queue(std::nullopt);
  peer.Queue("0004\r\n");
  int64_t lAbortAt = Now() + 2'000'000;
  At(lAbortAt, [&] { channel.Abort(); });
  EXPECT_EQ(channel.TransmitCmd("stat", "\r\n", false, 3), "0004");
  ASSERT_EQ(peer.Lines().size(), 2u);
  EXPECT_EQ(peer.Lines()[1].lArrivedUs, test::ArrivalUs(*pLine, lAbortAt + 100'000, 6));
}

TEST_F(CChannelTest, ClosedAndBusyChannelsRefuseWithoutChangingState) {
  struct SCall {
    const char* sName;
    std::function<void(CChannel&)> fnCall;
  };
  const SCall calls[] = {
      {"Transmit", [](CChannel& ch) { ch.Transmit("stat", "\r\n"); }},
      {"TransmitCmd", [](CChannel& ch) { ch.TransmitCmd("stat", "\r\n", false, 3); }},
      {"Wait", [](CChannel& ch) { ch.Wait(100); }},
  };
  // Never opened, and closed after an open of port 5: the port named is the last one opened,
  // except by Wait, which names none.
  for (bool fOpenedBefore : {false, true}) {
    test::CLinkFixture link;
    CChannel rowChannel;
    if (fOpenedBefore) {
      rowChannel.OpenPort(kPort);
      rowChannel.ClosePort();
    }
    for (const SCall& call : calls) {
      SCOPED_TRACE(std::string(call.sName) + (fOpenedBefore ? " after close" : " never opened"));
      SRaised raised = Raised([&] { call.fnCall(rowChannel); });
      EXPECT_EQ(raised.lNumber, errVTI_NotOpen);
      EXPECT_EQ(raised.sSource, "CChannel");
      std::string sPort = std::string(call.sName) == "Wait" ? "%%1" : fOpenedBefore ? "5" : "0";
      EXPECT_EQ(raised.sDescription, "Can not open port " + sPort);
      EXPECT_EQ(rowChannel.State(), evsClosed);
    }
    EXPECT_EQ(link.peer.Bytes(), "");
  }
  // Busy: a call that arrives while a receive waits.
  Open();
  for (const SCall& call : calls) {
    SCOPED_TRACE(std::string(call.sName) + " while busy");
    SRaised inner;
    int32_t lStateInside = -1;
    At(Now() + 200'000, [&] {
      inner = Raised([&] { call.fnCall(channel); });
      lStateInside = channel.State();
    });
    peer.Queue("0004\r\n", 500);
    EXPECT_EQ(channel.Transmit("stat", "\r\n"), "0004");
    EXPECT_EQ(inner.lNumber, errVTI_Busy);
    EXPECT_EQ(inner.sDescription,
              "The test instrument is busy and can not perform the requested operation.");
    EXPECT_EQ(lStateInside, evsBusy);
    EXPECT_EQ(channel.State(), evsIdle);
  }
}

TEST_F(CChannelTest, FailedOpenEndsClosedAndFreesThePort) {
  pPorts->Connect(40000, pLine);
  struct Row {
    const char* sCase;
    int32_t iPort;
    bool fOpenFirst;
    bool fHeldElsewhere;
  };
  const Row rows[] = {
      {"nothing on the port", 7, false, false},
      {"number below 1", -1, false, false},
      {"port held by another rowChannel", kPort, false, true},
      {"rowChannel already open", kPort, true, false},
      {"number beyond 16 bits", 40000, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sCase);
    CChannel other;
    CChannel rowChannel;
    if (row.fHeldElsewhere) {
      other.OpenPort(kPort);
    }
    if (row.fOpenFirst) {
      rowChannel.OpenPort(kPort);
    }
    int16_t iPortBefore = rowChannel.Port();
    SRaised raised = Raised([&] { rowChannel.OpenPort(row.iPort); });
    EXPECT_EQ(raised.lNumber, errVTI_NotOpen);
    EXPECT_EQ(raised.sSource, "CChannel");
    EXPECT_EQ(raised.sDescription, "Can not open port " + std::to_string(row.iPort));
    EXPECT_EQ(rowChannel.State(), evsClosed);
    EXPECT_EQ(rowChannel.Port(), iPortBefore);
    EXPECT_FALSE(pPorts->IsOpen(40000));
    EXPECT_EQ(pPorts->IsOpen(kPort), row.fHeldElsewhere);
    if (row.fHeldElsewhere) {
      peer.Queue("*\r\n");
      EXPECT_EQ(EscapeControls(other.Transmit("remote", "\r\n")), "*\\r\\n");
    }
  }
}

TEST_F(CChannelTest, ClosePortClearsOnlyTheExchangeFlag) {
  Open();
  EXPECT_TRUE(Raised([&] { channel.Transmit("stat1", "\r\n"); }).fRaised);
  ASSERT_TRUE(channel.TransmitReceiveFlag());
  channel.ClosePort();
  EXPECT_EQ(channel.State(), evsClosed);
  EXPECT_FALSE(channel.TransmitReceiveFlag());
  EXPECT_TRUE(channel.TestAbortFlag());
  EXPECT_EQ(channel.Port(), kPort);
  EXPECT_FALSE(pPorts->IsOpen(kPort));
  channel.ClosePort();  // closing a closed channel is harmless
  EXPECT_EQ(channel.State(), evsClosed);
  channel.OpenPort(kPort);
  EXPECT_EQ(channel.State(), evsIdle);
}

}  // namespace
}  // namespace ksv940
