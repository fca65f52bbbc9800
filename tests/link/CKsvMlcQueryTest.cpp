#include "link/CKsvMlcQuery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/CChannel.h"
#include "link/ChannelTesting.h"
#include "platform/core/MText.h"
#include "plugin/MComponent.h"
#include "sim/CSimulatedLine.h"
#include "sim/CSimulatedPorts.h"

namespace ksv940 {
namespace {

using SAnswers = std::map<std::string, const char*>;  // nullptr: silence

constexpr int32_t kPort = 5;

// An analyzer that identifies itself in full and is at its main menu.
const SAnswers kFullAnswers = {{"local", "*\r\n"},     {"\x1b", "*\r\n"},
                               {"stat", "0004\r\n"},   {"ident", "KSV 940,1.17,BL1.03\r\n"},
                               {"sn", "K9400123\r\n"}, {"stat1", "0001\r\n"},
                               {"exit", "*\r\n"},      {"gfir", "*\r\n"},
                               {"ovr", "*\r\n"}};

// Virtual time, a trace recorder and port 5, whose far end answers each command 3 ms after it
// arrived. A command is a line up to CR LF, or ESC alone, which the analyzer takes at once. A
// timer due half a second after the start records when it ran and whether anything had been
// written by then.
class CQueryFixture {
 public:
  explicit CQueryFixture(const SAnswers& changes = {}) : mAnswers(kFullAnswers) {
    for (const auto& [sCommand, sReply] : changes) {
      mAnswers[sCommand] = sReply;
    }
    pPorts->Connect(kPort, pLine);
    ctx.Scope().Set<ISerialControlFactory>(pPorts).Set<ITraceSink>(pTrace);
    pLine->SetReceiver(CSimulatedLine::eslPeer, [this](std::string_view s) { OnArrival(s); });
    ctx.Pump().AddTimer(500'000, 0, [this] {
      lTimerRanUs = ctx.Clock().NowUs();
      nWrittenBefore = pLine->Pending(CSimulatedLine::eslHost) + sHeard.size();
    });
  }

  // When the host wrote the command whose first character arrived at lStartUs.
  int64_t WrittenUs(int64_t lStartUs) const {
    return lStartUs - (pLine->CharacterTimeNs() + 999) / 1000;
  }

  test::CTestContext ctx;
  std::shared_ptr<test::CTraceRecorder> pTrace = std::make_shared<test::CTraceRecorder>();
  std::shared_ptr<CSimulatedLine> pLine = std::make_shared<CSimulatedLine>();
  std::shared_ptr<CSimulatedPorts> pPorts = std::make_shared<CSimulatedPorts>();
  std::string sHeard;
  std::map<std::string, int64_t> started;  // when each command's first character arrived
  int64_t lTimerRanUs = -1;
  size_t nWrittenBefore = 0;

 private:
  void OnArrival(std::string_view sArrived) {
    int64_t lNowUs = ctx.Clock().NowUs();
    for (char c : sArrived) {
      if (msPartial.empty()) {
        mlStartUs = lNowUs;
      }
      sHeard.push_back(c);
      msPartial.push_back(c);
      if (c != '\x1b' && !msPartial.ends_with("\r\n")) {
        continue;
      }
      std::string sCommand = c == '\x1b' ? msPartial : msPartial.substr(0, msPartial.size() - 2);
      msPartial.clear();
      started[sCommand] = mlStartUs;
      const char* sReply = mAnswers.count(sCommand) != 0 ? mAnswers[sCommand] : nullptr;
      if (sReply != nullptr) {
        std::weak_ptr<CSimulatedLine> pWeak = pLine;
        ctx.Pump().AddTimer(lNowUs + 3000, 0, [pWeak, sReply] {
          if (auto p = pWeak.lock()) {
            p->Write(CSimulatedLine::eslPeer, sReply);
          }
        });
      }
    }
  }

  SAnswers mAnswers;
  std::string msPartial;
  int64_t mlStartUs = 0;
};

// Model|Serial|Firmware|Result of a record, control characters visible.
std::string Joined(const MtiQueryResult& r) {
  return EscapeControls(r.Model + "|" + r.Serial + "|" + r.Firmware + "|" +
                        std::to_string(r.Result));
}

const SAnswers kSilent = {{"local", nullptr}, {"\x1b", nullptr}, {"stat", nullptr}};

TEST(CKsvMlcQuery, EachOutcomeGivesItsRecordTrafficAndOperatorMessage) {
  const std::string kToStat = "local\r\n\x1bstat\r\n";
  const std::string kToSn = kToStat + "ident\r\nsn\r\n";
  const std::string kAll = kToSn + "stat1\r\n";
  const std::string kToExit = kAll + "exit\r\n";
  const std::string kToGfir = kToStat + "ident\r\ngfir\r\n";
  const std::string kToOvr = kToStat + "ident\r\novr\r\n";
  const char* kFull = "KSV940|K9400123|1.17|2";
  const char* kRead = "1.17|K9400123";
  const char* kNone = "|||0";
  struct Row {
    const char* sName;
    SAnswers changes;
    std::string sOnLine;
    const char* sRecord;
    const char* sRead;  // FWVersion|SerialNo afterwards
    // A line the trace holds ("Error ..."; else none begins with "Error"), or the operator's
    // message box.
    std::string sNote;
    bool fLeftOpen;
  };
  const Row rows[] = {
      {"no instrument", kSilent, kToStat, kNone, "|", "", false},
      {"not remote", {{"stat", "0000\r\n"}}, kToStat, "KSV940|||1", "|", "", false},
      {"identified", {}, kAll, kFull, kRead, "", false},
      {"two pieces",
       {{"ident", "K,1.17\r\n"}},
       kAll,
       "KSV940|K9400123|1.17\\r\\n|2",
       "1.17\\r\\n|K9400123",
       "",
       false},
      {"no sn",
       {{"sn", nullptr}, {"stat1", "0\r\n"}},
       kToExit,
       "KSV940||1.17|2",
       "1.17|",
       "",
       false},
      {"silent stat1", {{"stat1", nullptr}}, kToExit, kFull, kRead, "", false},
      {"ground fault",
       {{"ident", "!50\r\n"}},
       kToGfir,
       kNone,
       "|",
       "Ground Fault Interrupt tripped",
       true},
      {"over-voltage", {{"ident", "!51\r\n"}}, kToOvr, kNone, "|", "Over voltage detected", true},
      {"! status", {{"stat", "!30\r\n"}}, kToStat, kNone, "|", "Error KSV_ERROR_PREFIX", false},
      {"short status", {{"stat", "04\r\n"}}, kToStat, kNone, "|", "", false},
      {"model as firmware",
       {{"ident", "K,KSV940,1\r\n"}},
       kToSn,
       kNone,
       "KSV940|K9400123",
       "Error PLUGIN_ID_NUMBER",
       false},
      {"silent ident", {{"ident", nullptr}}, kToStat + "ident\r\n", kNone, "|", "", true},
      {"stat1 over 32 bits", {{"stat1", "123456789\r\n"}}, kAll, kNone, kRead, "", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sName);
    CQueryFixture fx(row.changes);
    CKsvMlcQuery query;
    EXPECT_EQ(Joined(query.QueryMTI(kPort)), row.sRecord);
    EXPECT_EQ(EscapeControls(fx.sHeard), EscapeControls(row.sOnLine));
    EXPECT_EQ(EscapeControls(query.FWVersion() + "|" + query.SerialNo()), row.sRead);
    EXPECT_EQ(fx.pPorts->IsOpen(kPort), row.fLeftOpen);
    // The thread is held for a second; then what is due runs before anything is written.
    EXPECT_EQ(fx.lTimerRanUs, 1'000'000);
    EXPECT_EQ(fx.nWrittenBefore, 0U);
    EXPECT_EQ(fx.WrittenUs(fx.started["local"]), 1'000'000);
    const auto& vLines = fx.pTrace->vLines;
    EXPECT_EQ(vLines.front(), "KSV940 is connected to ::COM5\t");
    bool fTraced = row.sNote.starts_with("Error");
    for (const std::string& sLine : vLines) {
      EXPECT_TRUE(fTraced || !sLine.starts_with("Error")) << sLine;
    }
    if (fTraced) {
      EXPECT_NE(std::find(vLines.begin(), vLines.end(), row.sNote + "\t"), vLines.end());
    }
    auto& boxes = fx.ctx.MessageBoxes();
    bool fBox = !fTraced && !row.sNote.empty();
    ASSERT_EQ(boxes.size(), fBox ? 1U : 0U);
    if (fBox) {
      EXPECT_EQ(boxes[0].sText, row.sNote);
      EXPECT_EQ(boxes[0].sTitle, "");
      EXPECT_FALSE(boxes[0].fExclamation);
      // Ground fault: the operator first, then the reset. Over-voltage: the reset answered first.
      if (fx.started.count("gfir") != 0) {
        EXPECT_LT(boxes[0].lShownUs, fx.started["gfir"]);
      } else {
        EXPECT_GT(boxes[0].lShownUs, fx.started["ovr"] + 3000);
      }
    }
  }
  // A fresh object, as the host makes it and reaches it through its own interface.
  auto pFresh = std::dynamic_pointer_cast<IOrvexMLCQuery>(
      DllGetClassObject("{A90E5F20-2091-47A9-BD61-582DC8284429}"));
  ASSERT_NE(pFresh, nullptr);
  EXPECT_EQ(pFresh->MtiType(), "KSV940");
  EXPECT_EQ(pFresh->FWVersion() + pFresh->SerialNo(), "");
}

TEST(CKsvMlcQuery, EachCommandWaitsItsOwnTimeOutForAnAnswer) {
  struct Row {
    const char* sSilent;
    const char* sIdent;
    const char* sNext;  // the command written when the time-out ran out; nullptr: the query ended
    int64_t lTimeOutMs;
  };
  const Row rows[] = {
      {"local", nullptr, "\x1b", 1000},  {"\x1b", nullptr, "stat", 2000},
      {"stat", nullptr, nullptr, 2000},  {"ident", nullptr, nullptr, 1500},
      {"sn", nullptr, "stat1", 1500},    {"stat1", nullptr, "exit", 1500},
      {"exit", nullptr, nullptr, 1500},  {"gfir", "!50\r\n", nullptr, 2500},
      {"ovr", "!51\r\n", nullptr, 2500},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(EscapeControls(row.sSilent));
    SAnswers changes = {{row.sSilent, nullptr}};
    if (row.sIdent != nullptr) {
      changes["ident"] = row.sIdent;
    }
    if (std::string(row.sSilent) == "exit") {
      changes["stat1"] = "0000\r\n";
    }
    CQueryFixture fx(changes);
    CKsvMlcQuery query;
    query.QueryMTI(kPort);
    int64_t lNextUs =
        row.sNext != nullptr ? fx.WrittenUs(fx.started[row.sNext]) : fx.ctx.Clock().NowUs();
    EXPECT_EQ(lNextUs - fx.WrittenUs(fx.started[row.sSilent]), row.lTimeOutMs * 1000);
    EXPECT_EQ(query.TimedOut(), row.sNext == nullptr);  // the flag of the last receive
  }
  // Nothing on the line at all: the pause and three time-outs, six seconds in all.
  CQueryFixture fx(kSilent);
  EXPECT_EQ(CKsvMlcQuery().QueryMTI(kPort).Result, 0);
  EXPECT_EQ(fx.ctx.Clock().NowUs(), 6'000'000);
}

TEST(CKsvMlcQuery, TracesEveryExchangeAndAReplyTwiceOnlyWhenItEnded) {
  CQueryFixture fx(SAnswers{{"\x1b", "*\r"}, {"stat", "0000\r\n"}});
  CKsvMlcQuery().QueryMTI(kPort);
  const std::vector<std::string> kExpected = {
      "KSV940 is connected to ::COM5\t", "Send Data ::local\r\n\t",   "Recieve Data ::*\r\n\t",
      "Recieve Data ::*\r\n\t",          "Send Data ::\x1b\t",        "Recieve Data ::*\r\t",
      "Send Data ::stat\r\n\t",          "Recieve Data ::0000\r\n\t", "Recieve Data ::0000\r\n\t"};
  ASSERT_EQ(fx.pTrace->vLines.size(), kExpected.size());
  for (size_t i = 0; i < kExpected.size(); ++i) {
    EXPECT_EQ(EscapeControls(fx.pTrace->vLines[i]), EscapeControls(kExpected[i])) << i;
  }
}

TEST(CKsvMlcQuery, AFailedOpenIsTracedAndTheNextQueryClosesAPortLeftOpen) {
  CQueryFixture fx(SAnswers{{"ident", "!50\r\n"}});
  CChannel channel;
  channel.OpenPort(kPort);
  {
    CKsvMlcQuery query;
    // Held by a channel, then no such port: nothing sent, nothing identified.
    EXPECT_EQ(query.QueryMTI(kPort).Result, 0);
    EXPECT_EQ(query.QueryMTI(9).Result, 0);
    const std::vector<std::string> kExpected = {"KSV940 is connected to ::COM5\t",
                                                "Error The channel is already open on port %%1.\t",
                                                "KSV940 is connected to ::COM9\t", "Error \t"};
    EXPECT_EQ(fx.pTrace->vLines, kExpected);
    EXPECT_EQ(fx.sHeard, "");
    channel.ClosePort();

    // A ground fault leaves port 5 open; the next query, on another port, closes it first.
    EXPECT_EQ(query.QueryMTI(kPort).Result, 0);
    EXPECT_TRUE(fx.pPorts->IsOpen(kPort));
    fx.pPorts->Connect(6, std::make_shared<CSimulatedLine>());
    EXPECT_EQ(query.QueryMTI(6).Result, 0);
    EXPECT_FALSE(fx.pPorts->IsOpen(kPort));
    EXPECT_FALSE(fx.pPorts->IsOpen(6));
    // Left open again, until the object goes.
    EXPECT_EQ(query.QueryMTI(kPort).Result, 0);
    EXPECT_TRUE(fx.pPorts->IsOpen(kPort));
  }
  EXPECT_FALSE(fx.pPorts->IsOpen(kPort));
}

}  // namespace
}  // namespace ksv940
