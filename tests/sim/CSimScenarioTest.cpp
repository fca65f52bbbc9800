#include "sim/CSimScenario.h"

#include <gtest/gtest.h>

#include <string>

namespace ksv940 {
namespace {

TEST(CSimScenario, ReadsSettingsReadingsAndFaults) {
  CSimScenario scenario = CSimScenario::Parse(
      "# the bench's second analyzer\n"
      "\n"
      "firmware  V 1.17.3 \r\n"
      "Outlet NORMAL\n"
      "reading earthl 0.25mA !37 0.3mA\n"
      "on stat 2 split 2 300\n"
      "on ESC every noise\n");
  EXPECT_EQ(scenario.sFirmware, "V 1.17.3");
  EXPECT_EQ(scenario.eOutlet, esoNormal);
  EXPECT_EQ(scenario.readings.at("earthl"), (std::vector<std::string>{"0.25mA", "!37", "0.3mA"}));
  ASSERT_EQ(scenario.vFaults.size(), 2u);
  EXPECT_EQ(scenario.vFaults[0].sCommand, "stat");
  EXPECT_EQ(scenario.vFaults[0].lOccurrence, 2);
  EXPECT_EQ(scenario.vFaults[0].eFault, esfSplit);
  EXPECT_EQ(scenario.vFaults[0].lSplitAt, 2);
  EXPECT_EQ(scenario.vFaults[0].lMs, 300);
  EXPECT_EQ(scenario.vFaults[1].sCommand, "esc");
  EXPECT_EQ(scenario.vFaults[1].lOccurrence, 0);
  EXPECT_EQ(scenario.vFaults[1].sText, "\xff\xfe\xfd");
}

TEST(CSimScenario, AMalformedLineIsRefusedWithItsNumberAndReason) {
  struct SRow {
    const char* szText;
    const char* szMessage;
  };
  const SRow rows[] = {
      {"firmware 1.20\nfrobnicate 3", "bench.txt:2: unknown setting 'frobnicate'"},
      {"remote maybe", "bench.txt:1: 'remote' takes on or off, not 'maybe'"},
      {"\n\nserial", "bench.txt:3: 'serial' needs a value"},
      {"status stat4 1000", "bench.txt:1: 'status' needs a status word"},
      {"reading earthl", "bench.txt:1: 'reading' needs a measurement and at least one value"},
      {"on stat", "bench.txt:1: 'on' needs a command, an occurrence"},
      {"on stat 0 silent", "bench.txt:1: the occurrence counts from 1"},
      {"on stat 1 slow", "bench.txt:1: unknown fault 'slow'"},
      {"on stat 1 late 5 ms", "bench.txt:1: unexpected 'ms' after the fault"},
      {"on stat 1 error x1", "bench.txt:1: 'error' needs a code of digits"},
      {"on stat 1 noise \\q", "bench.txt:1: unknown escape '\\q' in noise text"}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szText);
    try {
      CSimScenario::Parse(row.szText, "bench.txt");
      ADD_FAILURE() << "accepted";
    } catch (const CSimScenarioError& e) {
      EXPECT_TRUE(std::string(e.what()).starts_with(row.szMessage)) << e.what();
    }
  }
}

}  // namespace
}  // namespace ksv940
