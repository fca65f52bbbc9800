#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "app/commands/MCommandLine.h"
#include "platform/serial/CPortMap.h"
#include "testing/CRig.h"
#include "testing/CTempDir.h"
#include "testing/MRunCommand.h"

namespace ksv940 {
namespace {

// The command in this process on virtual time, with the rig's analyzer behind port 5.
TEST(CmdQuery, PrintsTheRecordWithControlCharactersEscapedOrSaysWhatIsWrong) {
  const char* kRemote = "remote on\nremote-lock on\n";
  struct SRow {
    std::vector<std::string> vArgs;
    std::string sScenario;
    int iExit;
    std::string sOut;
    std::string sErr = {};             // a regular expression
    const char* szIdentity = nullptr;  // firmware and serial number, between them a "|"
  };
  const SRow rows[] = {
      {{"--port", "5"}, "", 0, "Model: KSV940\nSerial: \nFirmware: \nResult: 1\n"},
      {{"--port", "5"},
       kRemote,
       0,
       "Model: KSV940\nSerial: K\\e\\\\9\nFirmware: 1.2\\x09\nResult: 2\n",
       "",
       "1.2\t|K\x1b\\9"},
      {{"--port", "5"},
       kRemote + std::string("ground-fault on"),
       0,
       "Model: \nSerial: \nFirmware: \nResult: 0\n"},
      {{"--port", "9"}, "", 0, "Model: \nSerial: \nFirmware: \nResult: 0\n"},
      {{},
       "",
       2,
       "",
       "ksv940 query: give the port to ask \\(--port DEVICE\\|NUMBER\\) or --simulate\n"},
      {{"--port", "5", "--simulate"}, "", 2, "", "[\\s\\S]*excludes[\\s\\S]*"},
      {{"--port", "COM3"}, "", 2, "", "ksv940 query: --port: .*neither a device path.*\n"}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.vArgs) + " " + row.sScenario);
    CSimScenario scenario = CSimScenario::Parse(row.sScenario);
    if (row.szIdentity != nullptr) {
      std::string sIdentity = row.szIdentity;
      scenario.sFirmware = sIdentity.substr(0, sIdentity.find('|'));
      scenario.sSerial = sIdentity.substr(sIdentity.find('|') + 1);
    }
    test::CRig rig(scenario);
    rig.ctx.Scope().Set<CPortMap>(std::make_shared<CPortMap>());
    std::vector<std::string> vArgs = row.vArgs;
    vArgs.insert(vArgs.begin(), "query");
    test::SRun run = test::RunInProcess(vArgs);
    EXPECT_EQ(run.iExit, row.iExit);
    EXPECT_EQ(run.sOut, row.sOut);
    EXPECT_TRUE(std::regex_match(run.sErr, std::regex(row.sErr))) << run.sErr;
    EXPECT_FALSE(rig.pPorts->IsOpen(5));  // also after a ground fault: the query object is gone
    // A ground fault is shown to the operator and reset by "gfir".
    bool fGroundFault = row.sScenario.ends_with("ground-fault on");
    EXPECT_EQ(rig.ctx.MessageBoxes().size(), fGroundFault ? 1u : 0u);
    EXPECT_FALSE(rig.sim.Scenario().fGroundFault);
  }
}

}  // namespace
}  // namespace ksv940
