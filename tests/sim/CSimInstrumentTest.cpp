#include "sim/CSimInstrument.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "resources/CStringTable.h"
#include "sim/CSimulatedLine.h"
#include "testing/CTestContext.h"

namespace ksv940 {
namespace {

// What the instrument sent after a command: microseconds after the command's end (its CR, or the
// escape character) reached it, and the characters.
using CSent = std::vector<std::pair<int64_t, std::string>>;

// The host end of a simulated line with the simulator at the peer end, on virtual time.
class CSimBench {
 public:
  explicit CSimBench(CSimScenario scenario = CSimScenario()) : sim(std::move(scenario)) {
    sim.Attach(mLine);
    sim.SetMonitor([this](bool fFromHost, std::string_view s) {
      if (fFromHost && mlEndUs < 0 && s.find_first_of("\r\x1b") != std::string_view::npos) {
        mlEndUs = ctx.NowUs();
      } else if (!fFromHost) {
        mSent.emplace_back(ctx.NowUs() - mlEndUs, std::string(s));
      }
    });
  }
  // Sends sCommand with CR LF and runs lMs of virtual time; answers what the instrument sent,
  // timed from the command's end.
  CSent Send(const std::string& sCommand, int64_t lMs = 1000) {
    mSent.clear();
    mlEndUs = -1;
    mLine.Write(CSimulatedLine::eslHost, sCommand + "\r\n");
    ctx.RunFor(lMs * 1000);
    return mSent;
  }
  // Only the characters of Send.
  std::string Reply(const std::string& sCommand, int64_t lMs = 1000) {
    std::string sReply;
    for (const auto& [lUs, s] : Send(sCommand, lMs)) {
      sReply += s;
    }
    return sReply;
  }

  test::CTestContext ctx;
  CSimInstrument sim;

 private:
  CSimulatedLine mLine;
  CSent mSent;
  int64_t mlEndUs = -1;
};

TEST(CSimInstrument, AnswersEachCommandThreeMillisecondsAfterItsEndAsItsStateAllows) {
  const std::pair<const char*, const char*> kRows[] = {
      {"earthl", "!31\r\n"},  // refused outside remote operation
      {"remote", "*\r\n"},    {"std=iso", "!30\r\n"},    {"read", "!35\r\n"},  // nothing selected
      {"earthl", "*\r\n"},    {"stat1", "0000\r\n"},     {"pol=r", "*\r\n"},
      {"stat2", "0208\r\n"},  {"mode=rms", "!30\r\n"},   {"MAINS=L1-GND", "*\r\n"},
      {"read", "230.1V\r\n"}, {"frobnicate", "!30\r\n"}, {"exit", "*\r\n"},
      {"stat1", "0001\r\n"},  {"stat2", "0000\r\n"}};
  CSimBench bench;
  for (auto [szCommand, szReply] : kRows) {
    EXPECT_EQ(bench.Send(szCommand), (CSent{{3000, szReply}})) << szCommand;
  }
}

TEST(CSimInstrument, AcknowledgesEveryInstrumentCommandOfTheTemplates) {
  CSimBench bench(CSimScenario::Parse("remote on"));
  for (int32_t lId = 8001; lId <= 8024; ++lId) {
    std::string sTemplate = CStringTable::Load(lId).value();
    SCOPED_TRACE(sTemplate);
    // Each placeholder with one of its values; the others are acknowledged alike.
    for (auto [szMark, szValue] : {std::pair{"%MV", "high"},
                                   {"%MP", "rev"},
                                   {"%P", "r"},
                                   {"%E", "o"},
                                   {"%N", "o"},
                                   {"%V", "l1-gnd"},
                                   {"%A", "1/2/GND"},
                                   {"%X", "2"},
                                   {"%R", "high"},
                                   {"%W", "4"},
                                   {"%I", "low"},
                                   {"%U", "dc"},
                                   {"%C", "VFIB"}}) {
      for (size_t nAt; (nAt = sTemplate.find(szMark)) != std::string::npos;) {
        sTemplate.replace(nAt, std::string(szMark).size(), szValue);
      }
    }
    for (size_t nStart = 0; nStart <= sTemplate.size();) {
      size_t nEnd = std::min(sTemplate.find(';', nStart), sTemplate.size());
      std::string sInstruction = sTemplate.substr(nStart, nEnd - nStart);
      nStart = nEnd + 1;
      if (sInstruction[0] != '#' && sInstruction != "quit") {
        EXPECT_EQ(bench.Reply(sInstruction), "*\r\n") << sInstruction;
      }
    }
    if (lId != 8024) {  // the ECG simulator measures nothing; its test ends with "exit"
      std::string sReading = bench.Reply("read");
      EXPECT_TRUE(sReading[0] != '!' && sReading.ends_with("\r\n")) << sReading;
    }
  }
  EXPECT_EQ(bench.Reply("ap2=1//ALL"), "*\r\n");
}

TEST(CSimInstrument, StreamsAReadingEveryIntervalUntilEscape) {
  CSimBench bench(CSimScenario::Parse("remote on\nreading earthl 0.25mA !37 0.31mA"));
  bench.Reply("earthl");
  EXPECT_EQ(bench.Send("mread", 650), (CSent{{3000, "0.25mA\r\n"},
                                             {203000, "!37\r\n"},
                                             {403000, "0.31mA\r\n"},
                                             {603000, "0.31mA\r\n"}}));
  // The escape ends the stream the moment it arrives; nothing follows its acknowledgement.
  EXPECT_EQ(bench.Send("\x1b", 2000), (CSent{{3000, "*\r\n"}}));
  EXPECT_FALSE(bench.sim.Streaming());
  // Selecting the measurement again starts its readings from the first.
  bench.Reply("earthl");
  EXPECT_EQ(bench.Reply("mread", 100), "0.25mA\r\n");
  bench.Reply("exit");
  EXPECT_FALSE(bench.sim.Streaming());
}

TEST(CSimInstrument, TheScenarioShapesTheRepliesAndItsFaultsStrikeTheCommandsItNames) {
  struct SRow {
    const char* szScenario;
    std::vector<std::pair<const char*, CSent>> vExchanges;
  };
  const SRow rows[] = {{"firmware 1.16\nserial SN 0042\npca-type 2\nlatency 40",
                        {{"ident", {{40000, "KSV 940,1.16,BL1.03,HW2\r\n"}}},
                         {"sn", {{40000, "SN 0042\r\n"}}},
                         {"PCA_TYPE?", {{40000, "1/0/2\r\n"}}}}},
                       {"remote on\noutlet reversed\nhigh-voltage on\nstatus stat2 0x1000",
                        {{"stat", {{3000, "0004\r\n"}}}, {"stat2", {{3000, "1248\r\n"}}}}},
                       {"ground-fault on\noutlet normal",
                        {{"stat3", {{3000, "4000\r\n"}}},
                         {"stat2", {{3000, "0000\r\n"}}},
                         {"ident", {{3000, "!50\r\n"}}},
                         {"gfir", {{3000, "*\r\n"}}},
                         {"stat3", {{3000, "0000\r\n"}}}}},
                       {"over-voltage on\nremote on",
                        {{"earthl", {{3000, "!51\r\n"}}},
                         {"ovr", {{3000, "*\r\n"}}},
                         {"earthl", {{3000, "*\r\n"}}}}},
                       {"on stat 2 late 1500",
                        {{"stat", {{3000, "0000\r\n"}}},
                         {"stat", {{1503000, "0000\r\n"}}},
                         {"stat", {{3000, "0000\r\n"}}}}},
                       // A silent command is not carried out either.
                       {"on remote 1 silent", {{"remote", {}}, {"stat", {{3000, "0000\r\n"}}}}},
                       {"on sn 1 split 3 250", {{"sn", {{3000, "K94"}, {253000, "00123\r\n"}}}}},
                       // An error reply replaces the command: the measurement is not selected.
                       {"remote on\non eres=low 1 error 57",
                        {{"eres=low", {{3000, "!57\r\n"}}}, {"stat1", {{3000, "0001\r\n"}}}}},
                       {"on STAT1 every noise \\xff~\\r", {{"stat1", {{3000, "\xff~\r0001\r\n"}}}}},
                       // After a drop nothing is answered, not even the status.
                       {"remote on\non read 1 drop", {{"read", {}}, {"stat", {}}, {"\x1b", {}}}}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szScenario);
    CSimBench bench(CSimScenario::Parse(row.szScenario));
    for (const auto& [szCommand, sent] : row.vExchanges) {
      EXPECT_EQ(bench.Send(szCommand, 2000), sent) << szCommand;
    }
    EXPECT_EQ(bench.sim.Dropped(), std::string(row.szScenario).find("drop") != std::string::npos);
  }
  // Faults added later count from their own start.
  CSimBench bench;
  bench.Reply("stat");
  bench.sim.Scenario().On("stat", 1, esfError, 0, "22");
  EXPECT_EQ(bench.Reply("stat"), "!22\r\n");
  EXPECT_EQ(bench.Reply("stat"), "0000\r\n");
}

}  // namespace
}  // namespace ksv940
