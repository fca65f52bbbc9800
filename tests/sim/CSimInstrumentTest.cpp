#include "sim/CSimInstrument.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "resources/CStringTable.h"
#include "sim/CSimulatedLine.h"
#include "testing/CTestContext.h"

namespace ksv940 {
namespace {

// What the instrument sent after one command: microseconds after the command's end (its CR, or
// the escape character) reached the instrument, and the characters handed to the line.
using CSent = std::vector<std::pair<int64_t, std::string>>;

// A host end on a simulated line with the simulator at the peer end, on virtual time.
class CSimBench {
 public:
  explicit CSimBench(CSimScenario scenario = CSimScenario()) : mSim(std::move(scenario)) {
    mSim.Attach(mLine);
    mLine.SetReceiver(CSimulatedLine::eslHost, [this](std::string_view s) { msAtHost += s; });
    mSim.SetMonitor([this](bool fFromHost, std::string_view s) {
      mvTraffic.push_back({mCtx.Clock().NowUs(), fFromHost, std::string(s)});
    });
  }

  // Sends sCommand with CR LF and runs lMs of virtual time; answers what reached the host.
  std::string Send(const std::string& sCommand, int64_t lMs = 1000) {
    msAtHost.clear();
    mnMark = mvTraffic.size();
    mLine.Write(CSimulatedLine::eslHost, sCommand + "\r\n");
    mCtx.RunFor(lMs * 1000);
    return msAtHost;
  }

  // What the instrument sent since the last Send, timed from the end of that command.
  CSent SentSinceCommand() const {
    CSent sent;
    int64_t lEndUs = -1;
    for (size_t i = mnMark; i < mvTraffic.size(); ++i) {
      const STraffic& t = mvTraffic[i];
      if (t.fFromHost && lEndUs < 0 && t.sBytes.find_first_of("\r\x1b") != std::string::npos) {
        lEndUs = t.lUs;
      } else if (!t.fFromHost) {
        sent.emplace_back(t.lUs - lEndUs, t.sBytes);
      }
    }
    return sent;
  }

  test::CTestContext mCtx;
  CSimulatedLine mLine;
  CSimInstrument mSim;

 private:
  struct STraffic {
    int64_t lUs;
    bool fFromHost;
    std::string sBytes;
  };
  std::vector<STraffic> mvTraffic;
  size_t mnMark = 0;
  std::string msAtHost;
};

TEST(CSimInstrument, AnswersEachCommandWithItsReplyThreeMillisecondsAfterItsEnd) {
  struct SRow {
    const char* szCommand;
    std::string sReply;
  };
  const SRow rows[] = {
      {"\x1b", "*\r\n"},
      {"stat", "0000\r\n"},
      {"earthl", "!31\r\n"},  // refused outside remote operation
      {"ident", "KSV 940,1.20,BL1.03,HW2\r\n"},
      {"remote", "*\r\n"},
      {"stat", "0004\r\n"},
      {"PCA_TYPE?", "1/0/1\r\n"},
      {"rptime=2", "*\r\n"},
      {"sn", "K9400123\r\n"},
      {"std=601", "*\r\n"},
      {"std=iso", "!30\r\n"},
      {"stat1", "0001\r\n"},
      {"read", "!35\r\n"},  // nothing selected yet
      {"earthl", "*\r\n"},
      {"stat1", "0000\r\n"},
      {"pol=n", "*\r\n"},
      {"stat2", "0008\r\n"},
      {"pol=r", "*\r\n"},
      {"stat2", "0208\r\n"},
      {"mode=rms", "!30\r\n"},
      {"read", "0.25mA\r\n"},
      {"pol=off", "*\r\n"},
      {"stat2", "0000\r\n"},
      {"MAINS=L1-GND", "*\r\n"},
      {"read", "230.1V\r\n"},
      {"zero", "0.000\r\n"},
      {"frobnicate", "!30\r\n"},
      {"pol=r", "*\r\n"},
      {"exit", "*\r\n"},  // back to the main menu, outlet off
      {"stat1", "0001\r\n"},
      {"stat2", "0000\r\n"},
      {"stat3", "0000\r\n"},
      {"local", "*\r\n"},
      {"stat", "0000\r\n"},
  };
  CSimBench bench;
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szCommand);
    EXPECT_EQ(bench.Send(row.szCommand), row.sReply);
    EXPECT_EQ(bench.SentSinceCommand(), (CSent{{3000, row.sReply}}));
  }
}

TEST(CSimInstrument, AcknowledgesEveryInstrumentCommandOfTheTemplates) {
  const std::vector<std::string> vWaveforms = {
      "CPL30", "CPL60", "CPL120", "CPL180", "CPL240", "PLS30", "PLS60", "SQ125",
      "SQ2",   "SN10",  "SN40",   "SN50",   "SN60",   "SN100", "TR2",   "VFIB"};
  const std::map<std::string, std::vector<std::string>> placeholders = {
      {"%P", {"n", "r"}},          {"%E", {"o", "c"}},
      {"%N", {"o", "c"}},          {"%V", {"l1-l2", "l1-gnd", "l2-gnd"}},
      {"%A", {"1/2/GND", "all"}},  {"%X", {"2"}},
      {"%R", {"low", "high"}},     {"%W", {"2", "4"}},
      {"%I", {"high", "low"}},     {"%U", {"acdc", "ac", "dc"}},
      {"%C", vWaveforms},          {"%MV", {"low", "high", ""}},
      {"%MP", {"norm", "rev", ""}}};
  CSimScenario scenario;
  scenario.fRemote = true;
  CSimBench bench(scenario);
  for (int32_t lId = 8001; lId <= 8024; ++lId) {
    std::string sTemplate = CStringTable::Load(lId).value();
    SCOPED_TRACE(sTemplate);
    size_t nStart = 0;
    while (nStart <= sTemplate.size()) {
      size_t nEnd = std::min(sTemplate.find(';', nStart), sTemplate.size());
      std::string sInstruction = sTemplate.substr(nStart, nEnd - nStart);
      nStart = nEnd + 1;
      if (sInstruction[0] == '#' || sInstruction == "quit") {
        continue;
      }
      std::vector<std::string> vCommands = {sInstruction};
      for (const auto& [sMark, vValues] : placeholders) {
        size_t nAt = sInstruction.find(sMark);
        if (nAt != std::string::npos) {
          vCommands.clear();
          for (const std::string& sValue : vValues) {
            vCommands.push_back(std::string(sInstruction).replace(nAt, sMark.size(), sValue));
          }
        }
      }
      for (const std::string& sCommand : vCommands) {
        SCOPED_TRACE(sCommand);
        EXPECT_EQ(bench.Send(sCommand), "*\r\n");
      }
    }
    if (lId != 8024) {  // the ECG simulator measures nothing; its test ends with "exit"
      std::string sReading = bench.Send("read");
      EXPECT_NE(sReading[0], '!') << sReading;
      EXPECT_EQ(sReading.substr(sReading.size() - 2), "\r\n");
    }
  }
  EXPECT_EQ(bench.Send("ap2=1//ALL"), "*\r\n");
}

TEST(CSimInstrument, StreamsAReadingEveryIntervalUntilEscape) {
  CSimScenario scenario;
  scenario.fRemote = true;
  scenario.Reading("earthl", {"0.25mA", "!37", "0.31mA"});
  CSimBench bench(scenario);
  EXPECT_EQ(bench.Send("\x1b"), "*\r\n");  // acknowledged also without a stream
  EXPECT_EQ(bench.Send("earthl"), "*\r\n");
  EXPECT_EQ(bench.Send("mread", 650), "0.25mA\r\n!37\r\n0.31mA\r\n0.31mA\r\n");
  EXPECT_EQ(bench.SentSinceCommand(), (CSent{{3000, "0.25mA\r\n"},
                                             {203000, "!37\r\n"},
                                             {403000, "0.31mA\r\n"},
                                             {603000, "0.31mA\r\n"}}));
  EXPECT_TRUE(bench.mSim.Streaming());
  // The escape ends the stream the moment it arrives; nothing follows its acknowledgement.
  EXPECT_EQ(bench.Send("\x1b", 2000), "*\r\n");
  EXPECT_EQ(bench.SentSinceCommand(), (CSent{{3000, "*\r\n"}}));
  EXPECT_FALSE(bench.mSim.Streaming());
  // Selecting the measurement again starts its readings from the first.
  bench.Send("earthl");
  EXPECT_EQ(bench.Send("mread", 100), "0.25mA\r\n");
  bench.Send("exit", 1000);
  EXPECT_FALSE(bench.mSim.Streaming());
}

TEST(CSimInstrument, ScenarioSettingsShapeTheReplies) {
  struct SRow {
    const char* szScenario;
    std::vector<std::pair<const char*, const char*>> exchanges;
  };
  const SRow rows[] = {
      {"firmware 1.16\nserial SN 0042",
       {{"ident", "KSV 940,1.16,BL1.03,HW2\r\n"}, {"sn", "SN 0042\r\n"}}},
      {"pca-type 2", {{"PCA_TYPE?", "1/0/2\r\n"}}},
      {"pca-type 3/1/02", {{"PCA_TYPE?", "3/1/02\r\n"}}},
      {"remote on\noutlet reversed", {{"stat", "0004\r\n"}, {"stat2", "0208\r\n"}}},
      {"high-voltage on\nstatus stat2 0x1000", {{"stat2", "1040\r\n"}}},
      {"ground-fault on\noutlet normal",
       {{"stat3", "4000\r\n"},
        {"stat2", "0000\r\n"},
        {"ident", "!50\r\n"},
        {"gfir", "*\r\n"},
        {"stat3", "0000\r\n"},
        {"ident", "KSV 940,1.20,BL1.03,HW2\r\n"}}},
      {"over-voltage on\nremote on",
       {{"earthl", "!51\r\n"}, {"ovr", "*\r\n"}, {"earthl", "*\r\n"}}},
      {"remote on\nremote-lock on", {{"local", "*\r\n"}, {"stat", "0004\r\n"}}},
      {"remote on\nreading mins !32\nreading eres !21",
       {{"mins", "*\r\n"}, {"read", "!32\r\n"}, {"eres=high", "*\r\n"}, {"read", "!21\r\n"}}},
      {"latency 40\nremote on", {{"stat", "0004\r\n"}}},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szScenario);
    CSimBench bench(CSimScenario::Parse(row.szScenario));
    for (const auto& [szCommand, szReply] : row.exchanges) {
      SCOPED_TRACE(szCommand);
      EXPECT_EQ(bench.Send(szCommand), szReply);
    }
  }
  CSimBench slow(CSimScenario::Parse("latency 40"));
  slow.Send("stat");
  EXPECT_EQ(slow.SentSinceCommand(), (CSent{{40000, "0000\r\n"}}));
}

TEST(CSimInstrument, FaultsStrikeTheCommandsTheScenarioNames) {
  struct SExchange {
    const char* szCommand;
    CSent sent;
  };
  struct SRow {
    const char* szScenario;
    std::vector<SExchange> exchanges;
  };
  std::string sGarbled = "KSV 940,1.20,BL1.03,HW2";
  for (char& c : sGarbled) {
    c = static_cast<char>(c ^ 0x80);
  }
  const SRow rows[] = {
      {"on stat 2 late 1500",
       {{"stat", {{3000, "0000\r\n"}}},
        {"stat", {{1503000, "0000\r\n"}}},
        {"stat", {{3000, "0000\r\n"}}}}},
      {"on stat every late 100",
       {{"stat", {{103000, "0000\r\n"}}}, {"stat", {{103000, "0000\r\n"}}}}},
      // A silent command is not carried out either.
      {"on remote 1 silent",
       {{"remote", {}}, {"stat", {{3000, "0000\r\n"}}}, {"remote", {{3000, "*\r\n"}}}}},
      {"on ident every garbled", {{"ident", {{3000, sGarbled + "\r\n"}}}}},
      {"on sn 1 split 3 250", {{"sn", {{3000, "K94"}, {253000, "00123\r\n"}}}}},
      // An error reply replaces the command: the measurement is not selected.
      {"remote on\non eres=low 1 error 57",
       {{"eres=low", {{3000, "!57\r\n"}}},
        {"stat1", {{3000, "0001\r\n"}}},
        {"eres=low", {{3000, "*\r\n"}}}}},
      {"on esc 1 error 033", {{"\x1b", {{3000, "!033\r\n"}}}}},
      {"on stat1 every noise \\xff~\\r", {{"stat1", {{3000, "\xff~\r0001\r\n"}}}}},
      {"remote on\non pol=off 1 late 20\non POL=OFF 1 noise #",
       {{"pol=n", {{3000, "*\r\n"}}}, {"pol=off", {{23000, "#*\r\n"}}}}},
      // After a drop nothing is answered, not even the status.
      {"remote on\non read 2 drop",
       {{"earthl", {{3000, "*\r\n"}}},
        {"read", {{3000, "0.25mA\r\n"}}},
        {"read", {}},
        {"stat", {}},
        {"\x1b", {}}}},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szScenario);
    CSimBench bench(CSimScenario::Parse(row.szScenario));
    bool fDropCalled = false;
    bench.mSim.SetOnDrop([&] { fDropCalled = true; });
    for (const SExchange& exchange : row.exchanges) {
      SCOPED_TRACE(exchange.szCommand);
      bench.Send(exchange.szCommand, 2000);
      EXPECT_EQ(bench.SentSinceCommand(), exchange.sent);
    }
    EXPECT_EQ(bench.mSim.Dropped(), fDropCalled);
    EXPECT_EQ(fDropCalled, std::string(row.szScenario).find("drop") != std::string::npos);
  }
}

TEST(CSimInstrument, FaultsAddedThroughTheApiCountFromTheirOwnStart) {
  CSimBench bench;
  bench.Send("stat");
  bench.mSim.Scenario().On("stat", 1, esfError, 0, "22");
  EXPECT_EQ(bench.Send("stat"), "!22\r\n");
  EXPECT_EQ(bench.Send("stat"), "0000\r\n");
  EXPECT_EQ(bench.mSim.Commands(), (std::vector<std::string>{"stat", "stat", "stat"}));
}

}  // namespace
}  // namespace ksv940
