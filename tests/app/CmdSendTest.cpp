#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "app/MCommandLine.h"
#include "app/MPortOption.h"
#include "link/ChannelTesting.h"
#include "platform/core/MText.h"
#include "platform/serial/CPortMap.h"
#include "testing/CPseudoTerminal.h"
#include "testing/MRunCommand.h"

namespace ksv940 {
namespace {

// The command on virtual time against a scripted instrument on port 5.
TEST(CmdSend, PrintsEachReplyOrTheOperatorsTextAndExitsAccordingly) {
  const std::map<std::string, std::string> kAnswers = {
      {"stat", "0004\r\n"},     {"ident", "KSV 940,1.17,7\r\n"},
      {"\x1b", "*\r\n"},        {"ABC", "*\r\n"},
      {"a", "*\r\n"},           {"pca", "a\tb\x1b\\c\x7f\r\n"},
      {"std=1", "ok\r\n*\r\n"}, {"mode=dc", "!33\r\n"},
      {"earthl", "!21\r\n"},    {"zero", "!21\r\n"},
  };
  const std::string kNoReply = "Instrument is not responding, Please restart the instrument.\n";
  const std::string kComm = "The test could not be completed due to a communication error\n";
  struct Row {
    std::vector<std::string> vArgs;
    int iExit;
    std::string sOut;
    std::string sErr;  // a regular expression
    std::string sOnLine;
  };
  const Row rows[] = {
      {{"--port", "5", "stat", "ident"}, 0, "0004\nKSV 940,1.17,7\n", "", "stat\r\nident\r\n"},
      {{"--port", "5", "\\e", "\\x41BC", "a\\r\\n"},
       0,
       "*\\r\\n\n*\\r\\n\n*\\r\\n\n",
       "",
       "\x1b\r\nABC\r\na\r\n"},
      {{"--port", "5", "pca"}, 0, "a\\x09b\\e\\\\c\\x7F\n", "", "pca\r\n"},
      {{"--port", "5", "--ack", "star", "std=1"}, 0, "ok\n", "", "std=1\r\n"},
      {{"--port", "5", "--ack", "crlf", "std=1"}, 0, "ok\n", "", "std=1\r\n"},
      {{"--port", "5", "--ack", "none", "remote"}, 0, "\n", "", "remote\r\nremote\r\nremote\r\n"},
      {{"--port", "5", "--count", "1", "stat1"}, 1, "", kNoReply, "stat1\r\n"},
      {{"--port", "5", "stat", "mode=dc", "ident"},
       1,
       "0004\n",
       "The KSV940 reported an error: Cannot null\\.\n",
       "stat\r\nmode=dc\r\n"},
      {{"--port", "5", "--parse", "mode=dc"}, 1, "", kComm, "mode=dc\r\nmode=dc\r\nmode=dc\r\n"},
      {{"--port", "5", "earthl"}, 1, "", kComm, "earthl\r\nearthl\r\nearthl\r\n"},
      {{"--port", "5", "zero", "stat"},
       0,
       "\n\n",
       "ksv940 send: \"stat\" not sent: after a failed command only \"zero\" is sent\n",
       "zero\r\nzero\r\nzero\r\n"},
      {{"--port", "9", "stat"},
       1,
       "",
       "Can not open port 9\nksv940 send: port 9 is /dev/ttyS8\n",
       ""},
      {{"--port", "5", "--ack", "lf", "stat"}, 2, "", "[\\s\\S]*--ack[\\s\\S]*", ""},
      {{"--port", "5", "--count", "0", "stat"}, 2, "", "[\\s\\S]*--count[\\s\\S]*", ""},
      {{"--port", "5", "st\\qat"}, 2, "", "ksv940 send: command .*unknown escape \\\\q.*\n", ""},
      {{"--port", "5", "\\x4"}, 2, "", ".*two hexadecimal digits.*\n", ""},
      {{"--port", "5"}, 2, "", "[\\s\\S]*COMMAND[\\s\\S]*", ""},
      {{"stat"}, 2, "", "[\\s\\S]*--port[\\s\\S]*", ""},
      {{"--port", "COM3", "stat"},
       2,
       "",
       "[\\s\\S]*neither a device path nor a port number[\\s\\S]*",
       ""},
      {{"--port", "0", "stat"}, 2, "", "[\\s\\S]*no port number[\\s\\S]*", ""},
  };
  for (const Row& row : rows) {
    std::string sArgs;
    for (const std::string& sArg : row.vArgs) {
      sArgs += sArg + " ";
    }
    SCOPED_TRACE(sArgs);
    test::CLinkFixture link(false);
    auto pPortMap = std::make_shared<CPortMap>();
    link.ctx.Scope().Set<CPortMap>(pPortMap);
    for (const auto& [sCommand, sReply] : kAnswers) {
      link.peer.Answer(sCommand, sReply);
    }
    std::vector<std::string> vArgs = row.vArgs;
    vArgs.insert(vArgs.begin(), "send");
    test::SRun run = test::RunInProcess(vArgs);
    EXPECT_EQ(run.iExit, row.iExit);
    EXPECT_EQ(run.sOut, row.sOut);
    EXPECT_TRUE(std::regex_match(run.sErr, std::regex(row.sErr))) << run.sErr;
    EXPECT_EQ(EscapeControls(link.peer.Bytes()), EscapeControls(row.sOnLine));
    EXPECT_FALSE(link.pPorts->IsOpen(5));
  }
}

TEST(CmdSend, TraceWritesTheExchangeToAFile) {
  test::CLinkFixture link;
  link.peer.Answer("stat", "0004\r\n");
  char szPath[] = "/tmp/ksv940-send-traceXXXXXX";
  int iFd = mkstemp(szPath);
  ASSERT_GE(iFd, 0);
  close(iFd);
  test::SRun run = test::RunInProcess({"send", "--port", "5", "--trace", szPath, "stat"});
  EXPECT_EQ(run.iExit, 0);
  std::ifstream in(szPath, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), "Send Data    ::stat\t\nRecieved Data ::0004\t\n");
  std::remove(szPath);
  EXPECT_EQ(
      test::RunInProcess({"send", "--port", "5", "--trace", "/nonexistent/dir/t", "stat"}).iExit,
      2);
}

TEST(MPortOption, NumbersStandAndDevicesAreRegisteredUnderAFreeNumber) {
  auto pPortMap = std::make_shared<CPortMap>();
  pPortMap->Map(1, "/dev/ksv940-one");
  CContextScope scope;
  scope.Set<CPortMap>(pPortMap);
  EXPECT_EQ(ResolvePort("7"), 7);
  int32_t lPort = ResolvePort("/dev/ksv940-test-device");
  EXPECT_GT(lPort, 1);
  EXPECT_EQ(pPortMap->DevicePath(lPort), "/dev/ksv940-test-device");
  EXPECT_EQ(ResolvePort("/dev/ksv940-test-device"), lPort);
  EXPECT_EQ(ResolvePort("/dev/ksv940-one"), 1);
  for (const char* sBad : {"0", "", "COM3", "-1", "99999999999"}) {
    SCOPED_TRACE(sBad);
    EXPECT_THROW(ResolvePort(sBad), CAutomationError);
  }
}

// The built command on a pseudo-terminal, with this test as the analyzer on the far end.
TEST(CmdSendEndToEnd, TalksToAnAnalyzerOnAPseudoTerminal) {
  test::CPseudoTerminal pty;
  std::atomic<bool> fStop = false;
  std::string sHeard;
  std::thread analyzer([&] {
    std::string sLine;
    while (!fStop) {
      pollfd fd{pty.FarEnd(), POLLIN, 0};
      if (poll(&fd, 1, 20) <= 0) {
        continue;
      }
      for (char c : pty.ReadAvailable()) {
        sHeard.push_back(c);
        sLine.push_back(c);
        if (sLine.ends_with("\r\n")) {
          pty.Write(sLine == "stat\r\n" ? "0004\r\n" : "*\r\n");
          sLine.clear();
        }
      }
    }
  });
  char szOut[] = "/tmp/ksv940-send-outXXXXXX";
  int iFd = mkstemp(szOut);
  ASSERT_GE(iFd, 0);
  close(iFd);
  std::string sCommand = std::string(KSV940_BINARY) + " send --port " + pty.DevicePath() +
                         " stat remote >" + szOut + " 2>&1";
  int iStatus = std::system(sCommand.c_str());
  fStop = true;
  analyzer.join();
  std::ifstream in(szOut);
  std::stringstream content;
  content << in.rdbuf();
  std::remove(szOut);
  ASSERT_TRUE(WIFEXITED(iStatus));
  EXPECT_EQ(WEXITSTATUS(iStatus), 0) << content.str();
  EXPECT_EQ(content.str(), "0004\n*\\r\\n\n");
  EXPECT_EQ(sHeard, "stat\r\nremote\r\n");
  // A malformed port map is bad usage, found before anything is opened.
  iStatus = std::system(
      (std::string("KSV940_PORTS=5 ") + KSV940_BINARY + " send --port 5 stat >/dev/null 2>&1")
          .c_str());
  EXPECT_TRUE(WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 2);
}

}  // namespace
}  // namespace ksv940
