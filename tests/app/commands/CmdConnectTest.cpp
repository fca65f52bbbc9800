#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

#include "app/commands/MCommandLine.h"
#include "testing/CRig.h"
#include "testing/CTempDir.h"
#include "testing/MRunCommand.h"

namespace ksv940 {
namespace {

// ksv940 connect in this process on virtual time, with the rig's analyzer on port 5: how it ended
// and, after it, the characters the analyzer received.
TEST(CmdConnect, PrintsTheIdentityOrTheOperatorsTextAndExitsAccordingly) {
  unsetenv("KSV940_WIFI");
  const std::string kHandshake = "\\e\r\nstat\r\nremote\r\nPCA_TYPE?\r\nrptime=";
  struct SRow {
    const char* szWhat;
    const char* szScenario;
    std::string sArgs;  // blank-separated, after --operator auto
    int iExit;
    std::string sOut;
    std::string sErr;
    std::string sSent;
    int64_t lInterruptAtUs = -1;  // Ctrl-C
  };
  const SRow rows[] = {
      {"connected", "", "--port 5 --set PolaritySwitchingDelay=4", 0,
       "Model: KSV 940\nSerial: K\\x01 1\nFirmware: 1.20\n", "",
       kHandshake + "4\r\nident\r\nsn\r\n\\e\r\nstat1\r\nstat3\r\nlocal\r\n"},
      {"old firmware", "firmware 1.16", "--port 5", 1, "",
       "Orvex KSV940 Plug-In Response:  This version of the Plug-In requires KSV940 FW v1.17 or "
       "newer. Please contact Marlo Raderurezi for the latest version.\n",
       kHandshake + "2\r\nident\r\nsn\r\nlocal\r\nlocal\r\nlocal\r\n"},
      {"no such port", "", "--port 8", 1, "",
       "Orvex KSV940 Plug-In Response: Can not open port 8\n", ""},
      {"no bridge", "", "--wifi 127.0.0.1:1", 4, "",
       "ksv940 connect: the wireless connector found no instrument\n", ""},
      // The attempt is given up after the exchange that was waiting: its third "stat" found no
      // reply, so the channel's latch sends no "local".
      // Ctrl-C gives the connection up (EndRemote) after the exchange that was waiting; its
      // third "stat" found no reply, so the channel's latch sends no "local".
      {"Ctrl-C", "on stat every silent", "--port 5", ecxUserAbort, "",
       "ksv940: stopped by the operator\n", "\\e\r\nstat\r\nstat\r\nstat\r\n", 500'000}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szWhat);
    CSimScenario scenario = CSimScenario::Parse(row.szScenario);
    scenario.sSerial = "K\x01 1";  // a control character is shown escaped
    test::CRig rig(scenario);
    if (row.lInterruptAtUs >= 0) {
      rig.At(row.lInterruptAtUs, [] { raise(SIGINT); });
    }
    std::vector<std::string> vArgs = {"connect", "--operator", "auto"};
    std::istringstream args(row.sArgs);
    for (std::string sArg; args >> sArg;) {
      vArgs.push_back(sArg);
    }
    test::SRun run = test::RunInProcess(vArgs);
    EXPECT_EQ(run.iExit, row.iExit);
    EXPECT_EQ(run.sOut, row.sOut);
    EXPECT_EQ(run.sErr, row.sErr);
    EXPECT_EQ(rig.TakeSent(), row.sSent);
  }
  for (const char* szArgs : {"", "--port 5 --wifi h:1", "--port 5 --set NoSuchOption=1",
                             "--port 5 --operator sometimes", "--port /dev/null/x --unknown"}) {
    test::CRig rig;
    std::vector<std::string> vArgs = {"connect"};
    std::istringstream args(szArgs);
    for (std::string sArg; args >> sArg;) {
      vArgs.push_back(sArg);
    }
    test::SRun run = test::RunInProcess(vArgs);
    EXPECT_EQ(run.iExit, ecxUsage) << szArgs;
    EXPECT_FALSE(run.sErr.empty()) << szArgs;
  }
}

}  // namespace
}  // namespace ksv940
