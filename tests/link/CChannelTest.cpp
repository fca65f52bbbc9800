#include "link/CChannel.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "declares/GDeclares.h"
#include "platform/core/MText.h"
#include "testing/CRig.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;
constexpr int32_t kPort = test::CRig::kPort;

// A channel and port 5 of a rig whose far end answers what the test scripts, with texts that show
// the parameters the wordings of 20922 and 20923 hide.
struct SChannelRig {
  SChannelRig() {
    rig.ctx.Language().SetTranslation(20922, "no reply on port %%1");
    rig.ctx.Language().SetTranslation(20923, "communication error: %%1");
  }
  void Open() {
    channel.OpenPort(kPort);
    ASSERT_EQ(channel.State(), evsIdle);
  }
  // The text fn returned (control characters escaped), or "source: description" of its error.
  template <class F>
  std::string Outcome(F fn) {
    std::string sReturned;
    CAutomationError err = Caught([&] { sReturned = EscapeControls(fn()); }, true);
    return err.Number() == 0 ? sReturned : err.Source() + ": " + err.Description();
  }
  // When the nth line that reached the analyzer ended.
  int64_t EndUs(size_t n) const { return rig.Lines().at(n).lAtUs; }

  test::CRig rig{test::kScripted};
  CChannel channel;
};

TEST(CChannel, TheTimeOutCountsFromTheMomentTheCommandHasLeftAndDependsOnTheCommandAsGiven) {
  SChannelRig f;
  f.Open();
  const std::pair<const char*, int64_t> kRows[] = {
      {"\x1b", 1000},       {"stat3", 1000},  {"exit", 1000},   {"stat1", 1000},
      {"stat", 10000},      {"Stat1", 10000}, {"exit ", 10000}, {"\x1b\r\n", 10000},
      {"stat1\r\n", 10000},  // CR LF is not doubled, and it is no longer exactly "stat1"
      {"", 10000}            // nothing is sent; only received
  };
  for (auto [szTx, lTimeOutMs] : kRows) {
    for (bool fCheck : {true, false}) {
      std::string sTx = szTx;
      SCOPED_TRACE(EscapeControls(sTx) + (fCheck ? " with check" : " without check"));
      std::string sLine = sTx.empty() || sTx.ends_with("\r\n") ? sTx : sTx + "\r\n";
      int64_t lEndUs = f.rig.ArrivalUs(sLine.size()) + lTimeOutMs * 1000;
      EXPECT_EQ(f.Outcome([&] { return f.channel.Transmit(sTx, "\r\n", false, fCheck); }),
                fCheck ? "" : "CChannel: no reply on port 5");
      EXPECT_EQ(f.rig.TakeSent(), sLine.starts_with("\x1b") ? "\\e\r\n" : sLine);
      EXPECT_EQ(f.rig.Now(), lEndUs);
      EXPECT_EQ(f.channel.State(), evsIdle);
      EXPECT_EQ(f.channel.TransmitReceiveFlag(), !fCheck);
      EXPECT_EQ(f.channel.TestAbortFlag(), !fCheck);
      f.channel.SetTestAbortFlag(false);
      f.channel.SetTransmitReceiveFlag(false);
    }
  }
}

TEST(CChannel, AReceiveTakesCharactersUpToTheFirstTerminatorWithinOneTotalTime) {
  SChannelRig f;
  f.Open();
  struct SRow {
    const char* szAck;
    const char* szReply;
    int64_t lDelayMs;
    bool fParse;
    const char* szOutcome;
    size_t nRead;  // characters of the reply read when the receive ends
  };
  const SRow rows[] = {
      {"\r\n", "12.5\r\n", 0, false, "12.5", 6},
      {"\r\n", "12.5\r\n", 700, false, "12.5", 6},
      {"\r\n", "*\r\n", 0, false, "*\\r\\n", 3},
      {"*\r\n", "*\r\n", 0, false, "*\\r\\n", 3},
      {"*\r\n", "data\r\n*\r\n", 0, false, "data", 9},
      {"*\r\n", "1\r\n2\r\n*\r\n", 0, false, "1", 9},
      {"K", "OK\r\n", 0, true, "", 2}  // what was collected, "OK", holds no CR LF
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(EscapeControls(row.szReply) + " up to " + EscapeControls(row.szAck));
    f.rig.Queue(row.szReply, row.lDelayMs);
    int64_t lReplyEnd = f.rig.ArrivalUs(row.nRead, f.rig.ArrivalUs(6) + row.lDelayMs * 1000);
    EXPECT_EQ(f.Outcome([&] { return f.channel.Transmit("read", row.szAck, row.fParse, false); }),
              row.szOutcome);
    EXPECT_EQ(f.rig.Now(), lReplyEnd);
    EXPECT_FALSE(f.channel.TransmitReceiveFlag());
    f.rig.ctx.RunFor(20'000);  // the rest of the reply arrives; the next Transmit discards it
  }
  // The time-out is one total time, not a time between characters.
  int64_t lSent = f.rig.ArrivalUs(7);
  for (int i = 1; i <= 4; ++i) {
    f.rig.SendAt(lSent + i * 300'000, std::string(1, static_cast<char>('0' + i)));
  }
  f.rig.SendAt(lSent + 1'300'000, "\r\n");
  EXPECT_EQ(Caught([&] { f.channel.Transmit("stat1", "\r\n"); }).Number(), errVTI_NoReply);
  EXPECT_EQ(f.rig.Now(), lSent + 1'000'000);
}

TEST(CChannel, CharactersAfterTheTerminatorAreDiscardedByTheNextTransmit) {
  SChannelRig f;
  f.Open();
  f.rig.Queue("12.5\r\nLATE\r\n");
  EXPECT_EQ(f.channel.Transmit("read", "\r\n"), "12.5");
  f.rig.ctx.RunFor(5'000);  // "LATE" is now waiting in the control
  f.rig.Queue("0004\r\nLATE\r\n");
  EXPECT_EQ(f.channel.Transmit("stat", "\r\n"), "0004");
  // Without a send nothing is discarded: an empty command reads what is waiting, a line a time.
  f.rig.ctx.RunFor(5'000);
  EXPECT_EQ(f.channel.Transmit("", "\r\n"), "LATE");
  f.rig.SendAt(f.rig.Now(), "A\r\nB\r\n");
  f.rig.ctx.RunFor(5'000);
  EXPECT_EQ(f.channel.Transmit("", "\r\n"), "A");
  EXPECT_EQ(f.channel.Transmit("", "\r\n"), "B");
  EXPECT_EQ(f.rig.pTrace->vLines.at(0), "Send Data    ::read\t");
  EXPECT_EQ(f.rig.pTrace->vLines.at(1), "Recieved Data ::12.5\t");
}

TEST(CChannel, ParseResultTurnsRepliesIntoTextsOrErrors) {
  SChannelRig f;
  f.Open();
  const std::string kKsv = "MError: The KSV940 reported an error: ";
  const std::string kComm = "MError: communication error: ";
  struct SRow {
    std::string sRx;
    bool fParse;
    std::string sOutcome;
  };
  const SRow rows[] = {{"*\r\n", false, "*\\r\\n"},
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
                       {"!033\r\n", false, kKsv + "Cannot null."},
                       {"!99\r\n", false, kComm + "!99"},
                       {"!\r\n", false, kComm + "!"},
                       {"!x3\r\n", false, kComm + "!x3"},
                       {"!99999\r\n", false, kComm + "!99999"},
                       {"\r\n", false, kComm},
                       {"12.5", false, kComm}};
  std::vector<SRow> vRows(std::begin(rows), std::end(rows));
  for (auto [iCode, szMessage] : {std::pair{33, "Cannot null"},
                                  {34, "Reading out of calibration"},
                                  {40, "Over temperature"},
                                  {50, "Ground Fault Interrupt tripped"},
                                  {51, "Over voltage detected"},
                                  {52, "Unit out of calibration"},
                                  {54, "Open ground"},
                                  {57,
                                   "The instrument needs to wait before performing "
                                   "additional 25A tests."}}) {
    // "!57" alone is the busy instrument's reply (below); written otherwise it is an error.
    vRows.push_back({(iCode == 57 ? "!057" : "!" + std::to_string(iCode)) + "\r\n", false,
                     kKsv + szMessage + "."});
  }
  for (const SRow& row : vRows) {
    SCOPED_TRACE(EscapeControls(row.sRx) + (row.fParse ? " parsed by the caller" : ""));
    f.channel.SetTestAbortFlag(false);
    std::string sOutcome = f.Outcome([&] { return f.channel.ParseResult(row.sRx, row.fParse); });
    EXPECT_EQ(sOutcome, row.sOutcome);
    EXPECT_EQ(f.channel.TestAbortFlag(), sOutcome.starts_with("MError"));  // every error latches
    EXPECT_EQ(f.channel.State(), evsIdle);
  }
}

TEST(CChannel, ABusyInstrumentsReplyPausesTenSecondsBeforeTheRetry) {
  for (bool fParse : {false, true}) {
    SCOPED_TRACE(fParse ? "parsed by the caller" : "checked by the channel");
    SChannelRig f;
    f.Open();
    f.rig.Queue("!57\r\n");
    f.rig.Queue("*\r\n");
    EXPECT_EQ(f.Outcome([&] { return f.channel.TransmitCmd("eres=25", "\r\n", fParse, 3); }),
              "*\\r\\n");
    // Ten seconds' pause for the instrument, then the retry's own 100 ms.
    EXPECT_EQ(f.EndUs(1), f.rig.ArrivalUs(9, f.rig.ArrivalUs(5, f.EndUs(0)) + 10'100'000));
    EXPECT_EQ(f.channel.State(), evsIdle);
    EXPECT_FALSE(f.channel.TestAbortFlag());
  }
}

TEST(CChannel, ABusyReplyToEveryAttemptPausesAfterEachAndEndsInACommunicationError) {
  SChannelRig f;
  f.Open();
  for (int i = 0; i < 3; ++i) {
    f.rig.Queue("!57\r\n");
  }
  int64_t lStartUs = f.rig.Now();
  EXPECT_EQ(f.Outcome([&] { return f.channel.TransmitCmd("eres=25", "\r\n", false, 3); }),
            "CChannel: communication error: !57");
  EXPECT_EQ(f.rig.TakeSent(), "eres=25\r\neres=25\r\neres=25\r\n");
  // Three ten-second pauses and the retries' 100 ms and 200 ms, and the exchanges.
  EXPECT_GE(f.rig.Now() - lStartUs, 30'300'000);
  EXPECT_LT(f.rig.Now() - lStartUs, 30'330'000);
  EXPECT_TRUE(f.channel.TestAbortFlag());
}

// A host's text service that fails: the instrument error becomes a communication error.
TEST(CChannel, AFailingTranslationOfAnInstrumentErrorIsACommunicationError) {
  struct SFailing : CLanguageService {
    std::string GetText(const std::string& sModule, const std::string& sText,
                        const CVariantList& vParams) override {
      if (sText.starts_with("21911")) {
        throw CAutomationError(5, "LanguageService", "no text");
      }
      return CLanguageService::GetText(sModule, sText, vParams);
    }
  };
  SChannelRig f;
  f.Open();
  f.rig.ctx.Scope().Set<ILanguageService>(std::make_shared<SFailing>());
  EXPECT_EQ(f.Outcome([&] { return f.channel.ParseResult("!33\r\n", false); }),
            "MError: The test could not be completed due to a communication error");
  EXPECT_TRUE(f.channel.TestAbortFlag());
}

TEST(CChannel, TransmitCmdRetriesUnusableRepliesWithGrowingPauses) {
  struct SRow {
    const char* szTx;
    const char* szAck;
    bool fParse;
    int32_t lCount;
    const char* szReplies;  // the reply to each send, "|" between them; "-" is silence
    std::string sOutcome;
    bool fTransmitReceive;
    bool fTestAbort;
  };
  const SRow rows[] = {
      {"stat", "\r\n", false, 3, "-|0004\r\n", "0004", false, false},
      {"read", "\r\n", false, 3, "!32\r\n|!21\r\n|12.5\r\n", "12.5", false, false},
      {"earthl", "\r\n", false, 3, "!21\r\n|!21\r\n|!21\r\n", "CChannel: communication error: !21",
       true, true},
      {"zero", "\r\n", false, 3, "!21\r\n|!21\r\n|!21\r\n", "", true, true},
      {"mode=ac", "\r\n", true, 3, "!33\r\n|!33\r\n|!33\r\n", "CChannel: communication error: !33",
       true, true},
      {"stat", "\r\n", false, 3, "!21\r\n|-|-", "CChannel: no reply on port 5", true, true},
      {"stat1", "\r\n", false, 3, "-|-|-", "CChannel: no reply on port 5", true, true},
      {"stat", "\r\n", false, 2, "-|!21\r\n", "CChannel: communication error: !21", true, true},
      {"stat1", "\r\n", false, 1, "-", "CChannel: no reply on port 5", true, true},
      {"rptime=1", "", false, 3, "-|-|-", "", false, false},
      {"ident", "\r\n", false, 3, "\r\n", "MError: communication error: ", false, true},
      {"mode=dc", "\r\n", false, 3, "!33\r\n", "MError: The KSV940 reported an error: Cannot null.",
       false, true}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(std::string(row.szTx) + " x" + std::to_string(row.lCount) + ": " +
                 EscapeControls(row.szReplies));
    SChannelRig f;
    f.Open();
    std::vector<std::optional<std::string>> vReplies;
    std::string sReplies = row.szReplies;
    for (size_t nStart = 0, nBar = 0; nBar != std::string::npos; nStart = nBar + 1) {
      nBar = sReplies.find('|', nStart);
      std::string sReply = sReplies.substr(nStart, nBar - nStart);
      vReplies.push_back(sReply == "-" ? std::nullopt : std::optional<std::string>(sReply));
      f.rig.Queue(vReplies.back());
    }
    EXPECT_EQ(f.Outcome([&] {
      return f.channel.TransmitCmd(row.szTx, row.szAck, row.fParse, row.lCount);
    }),
              row.sOutcome);
    EXPECT_EQ(f.channel.TransmitReceiveFlag(), row.fTransmitReceive);
    EXPECT_EQ(f.channel.TestAbortFlag(), row.fTestAbort);
    EXPECT_EQ(f.channel.State(), evsIdle);
    // Each attempt sends the same line; attempt k+1 leaves k x 100 ms after attempt k ended (at
    // the end of its reply, or at its time-out).
    std::string sLine = std::string(row.szTx) + "\r\n";
    ASSERT_EQ(f.rig.Lines().size(), vReplies.size());
    int64_t lTimeOutUs = std::string(row.szTx) == "stat1" ? 1'000'000 : 10'000'000;
    for (size_t k = 1; k < vReplies.size(); ++k) {
      EXPECT_EQ(f.rig.Lines()[k].sLine, sLine);
      int64_t lEnded = f.EndUs(k - 1);
      if (*row.szAck != '\0') {
        const auto& previous = vReplies[k - 1];
        lEnded = previous ? f.rig.ArrivalUs(previous->size(), lEnded) : lEnded + lTimeOutUs;
      }
      EXPECT_EQ(f.EndUs(k),
                f.rig.ArrivalUs(sLine.size(), lEnded + static_cast<int64_t>(k) * 100'000))
          << "attempt " << k + 1;
    }
  }
}

TEST(CChannel, TheLatchStopsEverySendButZero) {
  SChannelRig f;
  f.Open();
  for (const char* szTx : {"stat", "Zero", "zero ", "\x1b", "zero"}) {
    SCOPED_TRACE(EscapeControls(szTx));
    bool fSent = std::string(szTx) == "zero";
    f.channel.SetTestAbortFlag(true);
    f.rig.Queue("*\r\n");
    int64_t lStart = f.rig.Now();
    EXPECT_EQ(f.Outcome([&] { return f.channel.TransmitCmd(szTx, "\r\n", false, 3); }),
              fSent ? "*\\r\\n" : "");
    EXPECT_EQ(f.rig.TakeSent(), fSent ? "zero\r\n" : "");
    EXPECT_EQ(f.channel.TestAbortFlag(), !fSent);
    EXPECT_EQ(f.rig.Now() == lStart, !fSent);
  }
}

TEST(CChannel, AReadingWindowEndsWithTheFirstLineAfterTheSecondsCountAdvanced) {
  const std::pair<int64_t, const char*> kRows[] = {
      // When the window starts (ms of the day), and the reading it answers.
      {12 * 3600'000, "0.010"},       {12 * 3600'000 + 900, "0.006"},
      {12 * 3600'000 + 100, "0.010"}, {86399'000, "0.010"},  // 23:59:59: it ends after midnight
      {86398'900, "0.006"},           {86399'950, "0.006"}};
  for (auto [lTimeOfDayMs, szExpected] : kRows) {
    SCOPED_TRACE(lTimeOfDayMs);
    SChannelRig f;
    f.Open();
    std::vector<std::string> vReadings;
    for (int i = 1; i <= 40; ++i) {
      vReadings.push_back((i < 10 ? "0.00" : "0.0") + std::to_string(i) + "\r\n");
    }
    // One reading every 200 ms, as the instrument streams them after "mread".
    f.rig.Stream(f.rig.Now(), 200, vReadings);
    f.rig.ctx.Clock().SetTimeOfDay(lTimeOfDayMs * 1000);
    EXPECT_EQ(f.channel.ReceiveOneFromMany(2), szExpected);
    EXPECT_EQ(f.channel.State(), evsIdle);  // neither checked nor changed
    EXPECT_EQ(f.rig.pTrace->vLines.back(), std::string("Recieve Data ::") + szExpected + "\t");
  }
  // An error in the stream, or a gap of more than ten seconds, ends it with that error.
  SChannelRig f;
  f.Open();
  f.rig.Stream(f.rig.Now(), 200, {"0.1\r\n", "!33\r\n", "0.4\r\n"});
  EXPECT_EQ(f.Outcome([&] { return f.channel.ReceiveOneFromMany(2); }),
            "MError: The KSV940 reported an error: Cannot null.");
  f.channel.SetTestAbortFlag(false);
  int64_t lStart = f.rig.Now();
  f.rig.Stream(lStart, 200, {"0.1\r\n"});
  EXPECT_EQ(Caught([&] { f.channel.ReceiveOneFromMany(2); }).Number(), errVTI_NoReply);
  EXPECT_EQ(f.rig.Now(), f.rig.ArrivalUs(5, lStart + 200'000) + 10'000'000);
  EXPECT_TRUE(f.channel.TestAbortFlag());
}

TEST(CChannel, AnAbortEndsEachWaitAtOnceAndAnAbortedAttemptIsSentAgain) {
  struct SRow {
    const char* szWait;
    int64_t lAbortAfterUs;  // after the operation started, or after the "!57" reply arrived
    std::function<std::string(SChannelRig&)> fnRun;
  };
  const SRow rows[] = {
      {"open pause", 30'000,
       [](SChannelRig& f) {
         f.channel.OpenPort(kPort);
         return "";
       }},
      {"Wait", 500'000,
       [](SChannelRig& f) {
         f.channel.Wait(3000);
         return "";
       }},
      {"receive", 2'000'000, [](SChannelRig& f) { return f.channel.Transmit("stat", "\r\n"); }},
      {"send drain", 300, [](SChannelRig& f) { return f.channel.Transmit("stat", "\r\n"); }},
      {"instrument pause", 3'000'000,
       [](SChannelRig& f) {
         f.rig.Queue("!57\r\n");
         return f.channel.Transmit("eres", "\r\n") == "!57" ? "" : "no !57";
       }},
      {"reading window", 700'000, [](SChannelRig& f) {
         f.rig.Stream(f.rig.Now(), 200, {"0.1\r\n", "0.2\r\n", "0.3\r\n", "0.4\r\n"});
         return f.channel.ReceiveOneFromMany(2);
       }}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szWait);
    std::string sWait = row.szWait;
    SChannelRig f;
    if (sWait != "open pause") {
      f.Open();
    }
    int64_t lAbortAt =
        row.lAbortAfterUs +
        (sWait == "instrument pause" ? f.rig.ArrivalUs(5, f.rig.ArrivalUs(6)) : f.rig.Now());
    f.rig.At(lAbortAt, [&] { f.channel.Abort(); });
    EXPECT_EQ(row.fnRun(f), "");
    EXPECT_EQ(f.rig.Now(), lAbortAt);
    EXPECT_EQ(f.channel.State(), evsIdle);
    EXPECT_EQ(f.channel.Port(), kPort);
    EXPECT_FALSE(f.channel.TransmitReceiveFlag());
    EXPECT_FALSE(f.channel.TestAbortFlag());
  }
  SChannelRig f;
  f.Open();
  f.rig.Queue(std::nullopt);
  f.rig.Queue("0004\r\n");
  int64_t lAbortAt = f.rig.Now() + 2'000'000;
  f.rig.At(lAbortAt, [&] { f.channel.Abort(); });
  EXPECT_EQ(f.channel.TransmitCmd("stat", "\r\n", false, 3), "0004");
  EXPECT_EQ(f.EndUs(1), f.rig.ArrivalUs(6, lAbortAt + 100'000));
}

TEST(CChannel, ClosedAndBusyChannelsRefuseWithoutChangingState) {
  const std::pair<const char*, std::function<void(CChannel&)>> kCalls[] = {
      {"Transmit", [](CChannel& ch) { ch.Transmit("stat", "\r\n"); }},
      {"TransmitCmd", [](CChannel& ch) { ch.TransmitCmd("stat", "\r\n", false, 3); }},
      {"Wait", [](CChannel& ch) { ch.Wait(100); }}};
  // Never opened, and closed after an open of port 5: the port named is the last one opened,
  // except by Wait, which names none.
  for (bool fOpenedBefore : {false, true}) {
    SChannelRig f;
    if (fOpenedBefore) {
      f.Open();
      f.channel.ClosePort();
    }
    for (const auto& [szName, fnCall] : kCalls) {
      SCOPED_TRACE(std::string(szName) + (fOpenedBefore ? " after close" : " never opened"));
      std::string sPort = std::string(szName) == "Wait" ? "%%1" : fOpenedBefore ? "5" : "0";
      EXPECT_EQ(f.Outcome([&] {
        fnCall(f.channel);
        return "";
      }),
                "CChannel: Can not open port " + sPort);
      EXPECT_EQ(f.channel.State(), evsClosed);
    }
    EXPECT_EQ(f.rig.TakeSent(), "");
  }
}

TEST(CChannel, AFailedOpenEndsClosedAndFreesThePortAndClosingClearsOnlyTheExchangeFlag) {
  struct SRow {
    const char* szCase;
    int32_t iPort;
    bool fOpenFirst;
    bool fHeldElsewhere;
  };
  const SRow rows[] = {{"nothing on the port", 7, false, false},
                       {"number below 1", -1, false, false},
                       {"port held by another channel", kPort, false, true},
                       {"channel already open", kPort, true, false},
                       {"number beyond 16 bits", 40000, false, false}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szCase);
    SChannelRig f;
    f.rig.pPorts->Connect(40000, f.rig.pLine);
    CChannel other;
    if (row.fHeldElsewhere) {
      other.OpenPort(kPort);
    }
    if (row.fOpenFirst) {
      f.Open();
    }
    int16_t iPortBefore = f.channel.Port();
    EXPECT_EQ(f.Outcome([&] {
      f.channel.OpenPort(row.iPort);
      return "";
    }),
              "CChannel: Can not open port " + std::to_string(row.iPort));
    EXPECT_EQ(f.channel.State(), evsClosed);
    EXPECT_EQ(f.channel.Port(), iPortBefore);
    EXPECT_FALSE(f.rig.pPorts->IsOpen(40000));
    EXPECT_EQ(f.rig.pPorts->IsOpen(kPort), row.fHeldElsewhere);
  }
  SChannelRig f;
  f.Open();
  Caught([&] { f.channel.Transmit("stat1", "\r\n"); });
  ASSERT_TRUE(f.channel.TransmitReceiveFlag());
  f.channel.ClosePort();
  f.channel.ClosePort();  // closing a closed channel is harmless
  EXPECT_EQ(f.channel.State(), evsClosed);
  EXPECT_FALSE(f.channel.TransmitReceiveFlag());
  EXPECT_TRUE(f.channel.TestAbortFlag());
  EXPECT_EQ(f.channel.Port(), kPort);
  EXPECT_FALSE(f.rig.pPorts->IsOpen(kPort));
}

}  // namespace
}  // namespace ksv940
