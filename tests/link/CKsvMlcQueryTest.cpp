#include "link/CKsvMlcQuery.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "link/CChannel.h"
#include "link/MWire.h"
#include "platform/core/MText.h"
#include "plugin/MComponent.h"
#include "testing/CRig.h"

namespace ksv940 {
namespace {

using test::CRig;

// An analyzer that stays in remote operation whatever "local" says, so that it is identified.
const std::string kRemote = "remote on\nremote-lock on\n";

// When the host wrote the line sLine: a character time before its first character arrived.
int64_t WrittenUs(const CRig& rig, const std::string& sLine) {
  for (const CRig::SLine& line : rig.Lines()) {
    if (line.sLine == sLine) {
      return line.lStartUs - (rig.pLine->CharacterTimeNs() + 999) / 1000;
    }
  }
  return -1;
}

TEST(CKsvMlcQuery, EachOutcomeGivesItsRecordTrafficAndOperatorMessage) {
  const std::string kToStat = "local\r\n\\estat\r\n";
  const std::string kAll = kToStat + "ident\r\nsn\r\nstat1\r\n";
  const char* kNone = "|||0";
  struct SRow {
    const char* szName;
    std::string sScenario;
    std::string sOnLine;
    const char* szRecord;  // Model|Serial|Firmware|Result, and FWVersion|SerialNo afterwards
    const char* szRead;
    std::string sNote;  // a trace line ("Error ..."; else none begins so), or the message box
    bool fLeftOpen = false;
  };
  const SRow rows[] = {
      {"no instrument", "on local every silent\non esc every silent\non stat every silent", kToStat,
       kNone, "|", ""},
      {"not remote", "", kToStat, "KSV940|||1", "|", ""},
      {"identified", kRemote, kAll, "KSV940|K9400123|1.20|2", "1.20|K9400123", ""},
      {"no sn", kRemote + "on sn every silent", kAll, "KSV940||1.20|2", "1.20|", ""},
      {"silent stat1", kRemote + "on stat1 every silent", kAll + "exit\r\n",
       "KSV940|K9400123|1.20|2", "1.20|K9400123", ""},
      {"ground fault", kRemote + "ground-fault on", kToStat + "ident\r\ngfir\r\n", kNone, "|",
       "Ground Fault Interrupt tripped", true},
      {"over-voltage", kRemote + "over-voltage on", kToStat + "ident\r\novr\r\n", kNone, "|",
       "Over voltage detected", true},
      {"! status", "on stat every error 30", kToStat, kNone, "|", "Error KSV_ERROR_PREFIX"},
      {"short status", "on stat 1 noise 04\\r\\n", kToStat, kNone, "|", ""},
      {"model as firmware", kRemote + "firmware KSV940", kToStat + "ident\r\nsn\r\n", kNone,
       "KSV940|K9400123", "Error PLUGIN_ID_NUMBER"},
      {"silent ident", kRemote + "on ident every silent", kToStat + "ident\r\n", kNone, "|", "",
       true},
      {"stat1 over 32 bits", kRemote + "on stat1 1 noise 123456789\\r\\n", kAll, kNone,
       "1.20|K9400123", "", true},
      // At the edge: the longest reply taken (the noise and "0004" CR LF), and the first not.
      {"longest status", kRemote + "on stat 1 noise 0004" + std::string(kLongestReply - 10, '-'),
       kAll, "KSV940|K9400123|1.20|2", "1.20|K9400123", ""},
      {"status too long", kRemote + "on stat 1 noise 0004" + std::string(kLongestReply - 9, '-'),
       kToStat, kNone, "|", ""}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szName);
    CRig rig(CSimScenario::Parse(row.sScenario));
    rig.ctx.Operator().SetMessageBoxDelay(1000);
    std::string sSentBefore = "?";
    rig.At(500'000, [&] { sSentBefore = rig.TakeSent(); });
    CKsvMlcQuery query;
    MtiQueryResult r = query.QueryMTI(CRig::kPort);
    EXPECT_EQ(EscapeControls(r.Model + "|" + r.Serial + "|" + r.Firmware + "|" +
                             std::to_string(r.Result)),
              row.szRecord);
    EXPECT_EQ(rig.TakeSent(), row.sOnLine);
    EXPECT_EQ(EscapeControls(query.FWVersion() + "|" + query.SerialNo()), row.szRead);
    EXPECT_EQ(rig.pPorts->IsOpen(CRig::kPort), row.fLeftOpen);
    // The thread is held for a second; then what is due runs before anything is written.
    EXPECT_EQ(sSentBefore, "");
    EXPECT_EQ(WrittenUs(rig, "local\r\n"), 1'000'000);
    const auto& vLines = rig.pTrace->vLines;
    EXPECT_EQ(vLines.front(), "KSV940 is connected to ::COM5\t");
    bool fTraced = row.sNote.starts_with("Error");
    EXPECT_EQ(std::count_if(vLines.begin(), vLines.end(),
                            [](const std::string& s) { return s.starts_with("Error"); }),
              fTraced ? 1 : 0);
    EXPECT_EQ(std::count(vLines.begin(), vLines.end(), row.sNote + "\t"), fTraced ? 1 : 0);
    const auto& vBoxes = rig.ctx.MessageBoxes();
    ASSERT_EQ(vBoxes.size(), !fTraced && !row.sNote.empty() ? 1U : 0U);
    if (!vBoxes.empty()) {
      EXPECT_EQ(vBoxes[0].sText + "|" + vBoxes[0].sTitle, row.sNote + "|OrvexKSV940vti");
      EXPECT_FALSE(vBoxes[0].fExclamation);
      // Ground fault: the operator first, then the reset. Over-voltage: the reset answered first.
      int64_t lGfir = WrittenUs(rig, "gfir\r\n");
      if (lGfir >= 0) {
        EXPECT_EQ(vBoxes[0].lAnsweredUs, lGfir);
      } else {
        EXPECT_GT(vBoxes[0].lShownUs, WrittenUs(rig, "ovr\r\n") + 3000);
      }
    }
  }
  // A fresh object, as the host makes it and reaches it through its own interface.
  auto pFresh = std::dynamic_pointer_cast<IOrvexMLCQuery>(
      DllGetClassObject("{A90E5F20-2091-47A9-BD61-582DC8284429}"));
  ASSERT_NE(pFresh, nullptr);
  EXPECT_EQ(pFresh->MtiType() + "|" + pFresh->FWVersion() + pFresh->SerialNo(), "KSV940|");
}

TEST(CKsvMlcQuery, EachCommandWaitsItsOwnTimeOutForAnAnswer) {
  struct SRow {
    const char* szSilent;  // the scenario's name for it
    const char* szLine;    // as written
    const char* szMore;    // more of the scenario
    const char* szNext;    // the line written when the time-out ran out; nullptr: the query ended
    int64_t lTimeOutMs;
  };
  const SRow rows[] = {{"local", "local\r\n", "", "\x1b", 1000},
                       {"esc", "\x1b", "", "stat\r\n", 2000},
                       {"stat", "stat\r\n", "", nullptr, 2000},
                       {"ident", "ident\r\n", "", nullptr, 1500},
                       {"sn", "sn\r\n", "", "stat1\r\n", 1500},
                       {"stat1", "stat1\r\n", "", "exit\r\n", 1500},
                       {"exit", "exit\r\n", "on stat1 every error 30\n", nullptr, 1500},
                       {"gfir", "gfir\r\n", "ground-fault on\n", nullptr, 2500},
                       {"ovr", "ovr\r\n", "over-voltage on\n", nullptr, 2500}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szSilent);
    CRig rig(CSimScenario::Parse(kRemote + row.szMore + "on " + row.szSilent + " every silent"));
    CKsvMlcQuery query;
    query.QueryMTI(CRig::kPort);
    int64_t lNextUs = row.szNext != nullptr ? WrittenUs(rig, row.szNext) : rig.Now();
    EXPECT_EQ(lNextUs - WrittenUs(rig, row.szLine), row.lTimeOutMs * 1000);
    EXPECT_EQ(query.TimedOut(), row.szNext == nullptr);  // the flag of the last receive
  }
  // Nothing on the line at all: the pause and three time-outs, six seconds in all.
  CRig silent(CSimScenario::Parse("on local 1 silent\non esc 1 silent\non stat every silent"));
  EXPECT_EQ(CKsvMlcQuery().QueryMTI(CRig::kPort).Result, 0);
  EXPECT_EQ(silent.Now(), 6'000'000);
}

TEST(CKsvMlcQuery, AFailedOpenIsTracedAndTheNextQueryClosesAPortLeftOpen) {
  CRig rig(CSimScenario::Parse(kRemote + "ground-fault on"));
  CChannel channel;
  channel.OpenPort(CRig::kPort);
  {
    CKsvMlcQuery query;
    // Held by a channel, then no such port: nothing sent, nothing identified.
    EXPECT_EQ(query.QueryMTI(CRig::kPort).Result + query.QueryMTI(9).Result, 0);
    EXPECT_EQ(rig.pTrace->vLines,
              (std::vector<std::string>{"KSV940 is connected to ::COM5\t",
                                        "Error The channel is already open on port %%1.\t",
                                        "KSV940 is connected to ::COM9\t", "Error \t"}));
    EXPECT_EQ(rig.TakeSent(), "");
    channel.ClosePort();
    // A ground fault leaves port 5 open; the next query, on another port, closes it first.
    EXPECT_EQ(query.QueryMTI(CRig::kPort).Result, 0);
    EXPECT_TRUE(rig.pPorts->IsOpen(CRig::kPort));
    rig.pPorts->Connect(6, std::make_shared<CSimulatedLine>());
    EXPECT_EQ(query.QueryMTI(6).Result, 0);
    EXPECT_FALSE(rig.pPorts->IsOpen(CRig::kPort) || rig.pPorts->IsOpen(6));
    // Left open again, until the object goes.
    rig.sim.Scenario().fGroundFault = true;
    query.QueryMTI(CRig::kPort);
    EXPECT_TRUE(rig.pPorts->IsOpen(CRig::kPort));
  }
  EXPECT_FALSE(rig.pPorts->IsOpen(CRig::kPort));
}

}  // namespace
}  // namespace ksv940
