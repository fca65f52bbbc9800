#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/MCommandLine.h"
#include "sim/CSimTestClient.h"
#include "testing/MRunCommand.h"

extern char** environ;

namespace ksv940 {
namespace {

using test::RunInProcess;
using test::SRun;

TEST(CmdSim, RefusesBadUsageBeforeServing) {
  char szPath[] = "/tmp/ksv940-sim-scenario-XXXXXX";
  int iFd = mkstemp(szPath);
  ASSERT_GE(iFd, 0);
  close(iFd);
  std::ofstream(szPath) << "firmware 1.20\non stat 1 late soon\n";
  struct SRow {
    std::vector<std::string> vArgs;
    const char* szError;
  };
  const SRow rows[] = {
      {{"sim", "--scenario", szPath},
       "line 2: the delay of 'late' must be a whole number of 0 or more, not 'soon'"},
      {{"sim", "--scenario", "/nonexistent/bench.txt"},
       "/nonexistent/bench.txt: cannot read the scenario file"},
      {{"sim", "--pty", "--tcp", "0"}, "excludes"},
      {{"sim", "--tcp", "70000"}, "70000"},
      {{"sim", "--baud", "9600"}, "--baud"},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szError);
    SRun run = RunInProcess(row.vArgs);
    EXPECT_EQ(run.iExit, ecxUsage);
    EXPECT_EQ(run.sOut, "");
    EXPECT_NE(run.sErr.find(row.szError), std::string::npos) << run.sErr;
  }
  std::remove(szPath);
}

// The ksv940 command started as a process, its standard output read through the pump.
class CSimProcess {
 public:
  explicit CSimProcess(std::vector<std::string> vArgs) {
    int aiPipe[2];
    EXPECT_EQ(pipe2(aiPipe, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, aiPipe[1], STDOUT_FILENO);
    vArgs.insert(vArgs.begin(), KSV940_BINARY);
    std::vector<char*> vArgv;
    for (std::string& sArg : vArgs) {
      vArgv.push_back(sArg.data());
    }
    vArgv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&miPid, KSV940_BINARY, &actions, nullptr, vArgv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(aiPipe[1]);
    mpOut = std::make_unique<test::CSimTestClient>(aiPipe[0]);
  }
  ~CSimProcess() {
    if (miPid > 0) {
      kill(miPid, SIGKILL);
      waitpid(miPid, nullptr, 0);
    }
  }

  // The first line the command printed, without its line end.
  std::string FirstLine() {
    mpOut->RunUntil([&] { return mpOut->Received().find('\n') != std::string::npos; }, 5000);
    return mpOut->Received().substr(0, mpOut->Received().find('\n'));
  }

  // Sends iSignal and answers the exit code, or -1 when the command did not exit cleanly.
  int Stop(int iSignal) {
    kill(miPid, iSignal);
    int iStatus = 0;
    waitpid(miPid, &iStatus, 0);
    miPid = 0;
    return WIFEXITED(iStatus) ? WEXITSTATUS(iStatus) : -1;
  }

 private:
  pid_t miPid = 0;
  std::unique_ptr<test::CSimTestClient> mpOut;
};

// A reading at once after "mread", the next about 200 ms later, nothing after the escape's
// acknowledgement.
void ExpectStreamUntilEscape(test::CSimTestClient& client) {
  client.Write("earthl\r\n");
  EXPECT_EQ(client.TakeLines(1), "*\r\n");
  client.Write("mread\r\n");
  EXPECT_EQ(client.TakeLines(1), "0.25mA\r\n");
  int64_t lFirstMs = client.NowMs();
  EXPECT_EQ(client.TakeLines(1), "0.25mA\r\n");
  int64_t lGapMs = client.NowMs() - lFirstMs;
  EXPECT_GE(lGapMs, 150);
  EXPECT_LE(lGapMs, 600);
  client.Write("\x1b\r\n");
  EXPECT_EQ(client.TakeLines(1), "*\r\n");
  EXPECT_FALSE(client.RunUntil([&] { return !client.Received().empty(); }, 250));
}

TEST(CmdSim, ServesOnAPseudoTerminalUntilTerminatedAndLogsTheTraffic) {
  char szLog[] = "/tmp/ksv940-sim-log-XXXXXX";
  int iFd = mkstemp(szLog);
  ASSERT_GE(iFd, 0);
  close(iFd);
  CSimProcess sim({"sim", "--log", szLog, "--serial", "SN-77"});
  std::string sDevice = sim.FirstLine();
  ASSERT_EQ(sDevice.rfind("/dev/pts/", 0), 0u) << sDevice;
  {
    test::CSimTestClient client(open(sDevice.c_str(), O_RDWR | O_NOCTTY));
    client.Write("stat\r\nremote\r\nsn\r\n");
    EXPECT_EQ(client.TakeLines(3), "0000\r\n*\r\nSN-77\r\n");
    ExpectStreamUntilEscape(client);
  }
  EXPECT_EQ(sim.Stop(SIGTERM), 0);
  std::ifstream log(szLog);
  std::string sLine;
  std::vector<std::string> vLines;
  while (std::getline(log, sLine)) {
    vLines.push_back(sLine);
  }
  ASSERT_GE(vLines.size(), 3u);
  EXPECT_EQ(vLines[0], "# ksv940 sim on " + sDevice);
  EXPECT_NE(vLines[1].find(" in  stat\\r\\nremote\\r\\nsn\\r\\n"), std::string::npos) << vLines[1];
  EXPECT_NE(vLines[2].find(" out 0000\\r\\n"), std::string::npos) << vLines[2];
  std::remove(szLog);
}

TEST(CmdSim, ServesOnTcpUntilInterrupted) {
  CSimProcess sim({"sim", "--tcp", "0", "--firmware", "1.16", "--pca-type", "2"});
  std::string sAddress = sim.FirstLine();
  ASSERT_EQ(sAddress.rfind("127.0.0.1:", 0), 0u) << sAddress;
  int iPort = std::stoi(sAddress.substr(10));
  {
    test::CSimTestClient client(test::ConnectLoopback(static_cast<uint16_t>(iPort)));
    client.Write("remote\r\nident\r\nPCA_TYPE?\r\n");
    EXPECT_EQ(client.TakeLines(3), "*\r\nKSV 940,1.16,BL1.03,HW2\r\n1/0/2\r\n");
    ExpectStreamUntilEscape(client);
  }
  EXPECT_EQ(sim.Stop(SIGINT), 0);
}

}  // namespace
}  // namespace ksv940
