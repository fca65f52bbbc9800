#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/MCommandLine.h"
#include "sim/CSimInstrument.h"
#include "sim/CSimulatedLine.h"
#include "sim/CSimulatedPorts.h"
#include "testing/CTempDir.h"
#include "testing/CTestContext.h"
#include "testing/MRunCommand.h"

namespace ksv940 {
namespace {

using test::SRun;

// ksv940 connect in this process, on virtual time, with a simulated analyzer on port 5.
SRun Connect(const CSimScenario& scenario, std::vector<std::string> vArgs, std::string* psSent,
             int64_t lInterruptAtUs = -1) {
  unsetenv("KSV940_WIFI");
  test::CTestContext ctx;
  if (lInterruptAtUs >= 0) {
    ctx.Pump().AddTimer(lInterruptAtUs, 0, [] { raise(SIGINT); });
  }
  auto pLine = std::make_shared<CSimulatedLine>();
  CSimInstrument sim(scenario);
  sim.Attach(*pLine);
  sim.SetMonitor([psSent](bool fFromHost, std::string_view s) {
    if (fFromHost && psSent != nullptr) {
      psSent->append(s);
    }
  });
  auto pPorts = std::make_shared<CSimulatedPorts>();
  pPorts->Connect(5, pLine);
  ctx.Scope().Set<ISerialControlFactory>(pPorts);
  vArgs.insert(vArgs.begin(), "connect");
  SRun run = test::RunInProcess(vArgs);
  sim.Detach();
  return run;
}

TEST(CmdConnect, PrintsTheIdentityOrTheOperatorsTextAndExitsAccordingly) {
  struct SRow {
    const char* szWhat;
    const char* szScenario;
    std::vector<std::string> vArgs;
    int iExit;
    std::string sOut;
    std::string sErr;
  };
  const std::vector<SRow> rows = {
      {"connected",
       "serial K\\x01 1",
       {"--port", "5", "--operator", "auto"},
       0,
       "Model: KSV 940\nSerial: K\\x01 1\nFirmware: 1.20\n",
       ""},
      {"old firmware",
       "firmware 1.16",
       {"--port", "5", "--operator", "auto"},
       1,
       "",
       "Orvex KSV940 Plug-In Response:  This version of the Plug-In requires KSV940 FW v1.17 or "
       "newer. Please contact Marlo Raderurezi for the latest version.\n"},
      {"no such port",
       "",
       {"--port", "8", "--operator", "auto"},
       1,
       "",
       "Orvex KSV940 Plug-In Response: Can not open port 8\n"},
      {"no bridge",
       "",
       {"--wifi", "127.0.0.1:1", "--operator", "auto"},
       4,
       "",
       "ksv940 connect: the wireless connector found no instrument\n"},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szWhat);
    std::string sSent;
    CSimScenario scenario = CSimScenario::Parse(row.szScenario);
    scenario.sSerial = "K\x01 1";  // a control character is shown escaped
    SRun run = Connect(scenario, row.vArgs, &sSent);
    EXPECT_EQ(run.iExit, row.iExit);
    EXPECT_EQ(run.sOut, row.sOut);
    EXPECT_EQ(run.sErr, row.sErr);
    if (row.iExit == 0) {
      EXPECT_EQ(sSent,
                "\x1b\r\nstat\r\nremote\r\nPCA_TYPE?\r\nrptime=2\r\nident\r\nsn\r\n"
                "\x1b\r\nstat1\r\nstat3\r\nlocal\r\n");
    }
  }
}

TEST(CmdConnect, TestOptionsReachThePlugIn) {
  std::string sSent;
  SRun run =
      Connect(CSimScenario(),
              {"--port", "5", "--operator", "auto", "--set", "PolaritySwitchingDelay=4"}, &sSent);
  EXPECT_EQ(run.iExit, 0);
  EXPECT_NE(sSent.find("rptime=4\r\n"), std::string::npos);
}

TEST(CmdConnect, CtrlCAbortsTheConnectionAttempt) {
  std::string sSent;
  SRun run = Connect(CSimScenario::Parse("on stat every silent"),
                     {"--port", "5", "--operator", "auto"}, &sSent, 500'000);
  EXPECT_EQ(run.iExit, ecxUserAbort);
  EXPECT_EQ(run.sErr, "ksv940: stopped by the operator\n");
  EXPECT_EQ(run.sOut, "");
  // The attempt ends with its failure path: remote operation is ended, the port closed.
  EXPECT_EQ(sSent, "\x1b\r\nstat\r\nstat\r\nstat\r\nlocal\r\nlocal\r\nlocal\r\n");
}

TEST(CmdConnect, BadUsageSaysWhatIsWrong) {
  const std::vector<std::vector<std::string>> rows = {
      {},
      {"--port", "5", "--wifi", "h:1"},
      {"--port", "5", "--set", "NoSuchOption=1"},
      {"--port", "5", "--operator", "sometimes"},
      {"--port", "/dev/null/x", "--unknown"},
  };
  for (const auto& vArgs : rows) {
    SCOPED_TRACE(::testing::PrintToString(vArgs));
    SRun run = Connect(CSimScenario(), vArgs, nullptr);
    EXPECT_EQ(run.iExit, ecxUsage);
    EXPECT_FALSE(run.sErr.empty());
    EXPECT_EQ(run.sOut, "");
  }
}

// The built command with its own simulated analyzer on a pseudo-terminal, in real time.
TEST(CmdConnectEndToEnd, ConnectsToTheSimulatedAnalyzerAndEndsRemoteOperation) {
  test::CTempDir dir;
  SRun run = test::RunBinary(
      {"connect", "--simulate", "--operator", "auto", "--trace", dir.PathOf("trace")});
  std::stringstream trace;
  trace << std::ifstream(dir.PathOf("trace")).rdbuf();
  EXPECT_EQ(run.iExit, 0);
  EXPECT_EQ(run.sOut, "Model: KSV 940\nSerial: K9400123\nFirmware: 1.20\n");
  EXPECT_EQ(run.sErr, "");
  EXPECT_NE(trace.str().find("Send Data    ::remote\t\nRecieved Data ::*\r\n\t\n"),
            std::string::npos)
      << trace.str();
  EXPECT_NE(trace.str().find("Send Data    ::local\t\n"), std::string::npos) << trace.str();
}

}  // namespace
}  // namespace ksv940
