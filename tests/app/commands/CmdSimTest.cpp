#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/commands/MCommandLine.h"
#include "testing/CTempDir.h"
#include "testing/MRunCommand.h"

extern char** environ;

namespace ksv940 {
namespace {

TEST(CmdSim, RefusesBadUsageBeforeServing) {
  test::CTempDir dir;
  std::string sPath = dir.Write("bench.txt", "firmware 1.20\non stat 1 late soon\n");
  const std::pair<std::vector<std::string>, std::string> kRows[] = {
      {{"sim", "--scenario", sPath},
       "line 2: the delay of 'late' must be a whole number of 0 or more, not 'soon'"},
      {{"sim", "--scenario", "/nonexistent/bench.txt"},
       "/nonexistent/bench.txt: cannot read the scenario file"},
      {{"sim", "--pty", "--tcp", "0"}, "excludes"},
      {{"sim", "--tcp", "70000"}, "70000"},
      {{"sim", "--baud", "9600"}, "--baud"}};
  for (const auto& [vArgs, sError] : kRows) {
    test::SRun run = test::RunInProcess(vArgs);
    EXPECT_EQ(run.iExit, ecxUsage);
    EXPECT_EQ(run.sOut, "");
    EXPECT_NE(run.sErr.find(sError), std::string::npos) << run.sErr;
  }
}

// ksv940 sim as a process of its own; the first line it prints says where it serves.
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
    char c = 0;
    for (pollfd readable{aiPipe[0], POLLIN, 0}; c != '\n' && poll(&readable, 1, 5000) == 1;) {
      if (read(aiPipe[0], &c, 1) != 1) {
        break;
      }
      sWhere += c == '\n' ? "" : std::string(1, c);
    }
    close(aiPipe[0]);
  }
  ~CSimProcess() {
    if (miPid > 0) {
      Stop(SIGKILL);
    }
  }
  // Sends iSignal and answers the exit code, or -1 when the command did not exit cleanly.
  int Stop(int iSignal) {
    kill(miPid, iSignal);
    int iStatus = 0;
    waitpid(miPid, &iStatus, 0);
    miPid = 0;
    return WIFEXITED(iStatus) ? WEXITSTATUS(iStatus) : -1;
  }
  std::string sWhere;

 private:
  pid_t miPid = 0;
};

// The simulated analyzer on a pseudo-terminal and the command-line host connecting to it, each a
// process of its own, in real time; the simulator's log has the traffic.
TEST(CmdSim, ServesAHostOnAPseudoTerminalAndLogsTheTraffic) {
  test::CTempDir dir;
  CSimProcess sim({"sim", "--pty", "--log", dir.PathOf("log"), "--serial", "SN-77"});
  ASSERT_TRUE(sim.sWhere.starts_with("/dev/pts/")) << sim.sWhere;
  test::SRun run = test::RunBinary({"connect", "--port", sim.sWhere, "--operator", "auto"});
  EXPECT_EQ(run.iExit, 0) << run.sErr;
  EXPECT_EQ(run.sOut, "Model: KSV 940\nSerial: SN-77\nFirmware: 1.20\n");
  EXPECT_EQ(sim.Stop(SIGTERM), 0);
  std::ifstream log(dir.PathOf("log"));
  std::string sIn;
  std::string sOut;
  std::string sLine;
  std::getline(log, sLine);
  EXPECT_EQ(sLine, "# ksv940 sim on " + sim.sWhere);
  while (std::getline(log, sLine)) {
    // Seconds since the start, the direction, the characters.
    size_t nIn = sLine.find(" in  ");
    size_t nOut = sLine.find(" out ");
    (nIn < nOut ? sIn : sOut) += sLine.substr(std::min(nIn, nOut) + 5);
  }
  EXPECT_EQ(
      sIn,
      "\\e\\r\\nstat\\r\\nremote\\r\\nPCA_TYPE?\\r\\nrptime=2\\r\\nident\\r\\nsn\\r\\n\\e\\r\\n"
      "stat1\\r\\nstat3\\r\\nlocal\\r\\n");
  EXPECT_EQ(
      sOut,
      "*\\r\\n0000\\r\\n*\\r\\n1/0/1\\r\\n*\\r\\nKSV 940,1.20,BL1.03,HW2\\r\\nSN-77\\r\\n*\\r\\n"
      "0001\\r\\n0000\\r\\n*\\r\\n");
}

}  // namespace
}  // namespace ksv940
