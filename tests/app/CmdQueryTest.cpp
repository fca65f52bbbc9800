#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/MCommands.h"
#include "platform/serial/CPortMap.h"
#include "sim/CSimInstrument.h"
#include "sim/CSimulatedLine.h"
#include "sim/CSimulatedPorts.h"
#include "testing/CTempDir.h"
#include "testing/CTestContext.h"
#include "testing/MRunCommand.h"

namespace ksv940 {
namespace {

// The simulated analyzer; "remote" puts it in remote operation and keeps it there.
CSimScenario Analyzer(bool fRemote, bool fGroundFault = false, std::string sFirmware = "1.20",
                      std::string sSerial = "K9400123") {
  CSimScenario scenario;
  scenario.fRemote = scenario.fRemoteLock = fRemote;
  scenario.fGroundFault = fGroundFault;
  scenario.sFirmware = std::move(sFirmware);
  scenario.sSerial = std::move(sSerial);
  return scenario;
}

// The command in this process on virtual time, with the simulator behind port 5.
TEST(CmdQuery, PrintsTheRecordWithControlCharactersEscapedOrSaysWhatIsWrong) {
  struct Row {
    std::vector<std::string> vArgs;
    CSimScenario scenario;
    int iExit;
    std::string sOut;
    std::string sErr;  // a regular expression
  };
  const Row rows[] = {
      {{"--port", "5"}, {}, 0, "Model: KSV940\nSerial: \nFirmware: \nResult: 1\n", ""},
      {{"--port", "5"},
       Analyzer(true),
       0,
       "Model: KSV940\nSerial: K9400123\nFirmware: 1.20\nResult: 2\n",
       ""},
      {{"--port", "5"},
       Analyzer(true, false, "1.2\t", "K\x1b\\9"),
       0,
       "Model: KSV940\nSerial: K\\e\\\\9\nFirmware: 1.2\\x09\nResult: 2\n",
       ""},
      {{"--port", "5"}, Analyzer(true, true), 0, "Model: \nSerial: \nFirmware: \nResult: 0\n", ""},
      {{"--port", "9"}, {}, 0, "Model: \nSerial: \nFirmware: \nResult: 0\n", ""},
      {{},
       {},
       2,
       "",
       "ksv940 query: give the port to ask \\(--port DEVICE\\|NUMBER\\) or --simulate\n"},
      {{"--port", "5", "--simulate"}, {}, 2, "", "[\\s\\S]*excludes[\\s\\S]*"},
      {{"--port", "COM3"}, {}, 2, "", "ksv940 query: --port: .*neither a device path.*\n"},
      {{"--port", "5", "--trace", "/nonexistent/dir/t"}, {}, 2, "", "ksv940 query: .*\n"},
  };
  for (const Row& row : rows) {
    std::vector<std::string> vArgs = {"ksv940", "query"};
    vArgs.insert(vArgs.end(), row.vArgs.begin(), row.vArgs.end());
    SCOPED_TRACE(vArgs.size() > 2 ? vArgs[2] + " " + vArgs.back() : "no options");
    test::CTestContext ctx;
    auto pLine = std::make_shared<CSimulatedLine>();
    CSimInstrument instrument(row.scenario);
    instrument.Attach(*pLine);
    auto pPorts = std::make_shared<CSimulatedPorts>();
    pPorts->Connect(5, pLine);
    ctx.Scope().Set<ISerialControlFactory>(pPorts).Set<CPortMap>(std::make_shared<CPortMap>());
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCommandLine(AllCommands(), vArgs, out, err), row.iExit);
    EXPECT_EQ(out.str(), row.sOut);
    EXPECT_TRUE(std::regex_match(err.str(), std::regex(row.sErr))) << err.str();
    EXPECT_FALSE(pPorts->IsOpen(5));  // also after a ground fault: the query object is gone
    if (row.scenario.fGroundFault) {
      ASSERT_EQ(ctx.MessageBoxes().size(), 1U);
      EXPECT_EQ(ctx.MessageBoxes()[0].sText, "Ground Fault Interrupt tripped");
      EXPECT_FALSE(instrument.Scenario().fGroundFault);  // reset by "gfir"
    }
  }
}

// The built command with its own simulated analyzer on a pseudo-terminal, in real time.
TEST(CmdQueryEndToEnd, IdentifiesTheSimulatedAnalyzerInFull) {
  test::CTempDir dir;
  test::SRun run = test::RunBinary({"query", "--simulate", "--trace", dir.PathOf("trace")});
  std::stringstream trace;
  trace << std::ifstream(dir.PathOf("trace")).rdbuf();
  EXPECT_EQ(run.iExit, 0);
  EXPECT_EQ(run.sOut, "Model: KSV940\nSerial: K9400123\nFirmware: 1.20\nResult: 2\n");
  EXPECT_TRUE(
      std::regex_search(trace.str(), std::regex("^KSV940 is connected to ::COM[0-9]+\t\n")));
  EXPECT_NE(trace.str().find("Send Data ::stat1\r\n\t\nRecieve Data ::0001\r\n\t\n"),
            std::string::npos)
      << trace.str();
}

}  // namespace
}  // namespace ksv940
