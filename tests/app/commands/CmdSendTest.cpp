#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>

#include <atomic>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "app/commands/MCommandLine.h"
#include "platform/serial/CPortMap.h"
#include "testing/CPseudoTerminal.h"
#include "testing/CRig.h"
#include "testing/CTempDir.h"
#include "testing/MRunCommand.h"

namespace ksv940 {
namespace {

// The command on virtual time against a scripted analyzer on port 5.
TEST(CmdSend, PrintsEachReplyOrTheOperatorsTextAndExitsAccordingly) {
  test::CTempDir dir;
  const std::string kNoReply = "Instrument is not responding, Please restart the instrument.\n";
  const std::string kComm = "The test could not be completed due to a communication error\n";
  struct SRow {
    std::string sArgs;  // blank-separated
    int iExit;
    std::string sOut;
    std::string sErr;  // a regular expression
    std::string sOnLine;
  };
  const SRow rows[] = {
      {"stat ident", 0, "0004\nKSV 940,1.17,7\n", "", "stat\r\nident\r\n"},
      {"\\e \\x41BC a\\r\\n", 0, "*\\r\\n\n*\\r\\n\n*\\r\\n\n", "", "\\e\r\nABC\r\na\r\n"},
      {"pca", 0, "a\\x09b\\e\\\\c\\x7F\n", "", "pca\r\n"},
      {"--ack star std=1", 0, "ok\n", "", "std=1\r\n"},
      {"--ack crlf std=1", 0, "ok\n", "", "std=1\r\n"},
      {"--ack none remote", 0, "\n", "", "remote\r\nremote\r\nremote\r\n"},
      {"--count 1 stat1", 1, "", kNoReply, "stat1\r\n"},
      {"stat mode=dc ident", 1, "0004\n", "The KSV940 reported an error: Cannot null\\.\n",
       "stat\r\nmode=dc\r\n"},
      {"--parse mode=dc", 1, "", kComm, "mode=dc\r\nmode=dc\r\nmode=dc\r\n"},
      {"earthl", 1, "", kComm, "earthl\r\nearthl\r\nearthl\r\n"},
      {"zero stat", 0, "\n\n",
       "ksv940 send: \"stat\" not sent: after a failed command only \"zero\" is sent\n",
       "zero\r\nzero\r\nzero\r\n"},
      {"--trace " + dir.PathOf("t") + " stat", 0, "0004\n", "", "stat\r\n"},
      {"--trace /nonexistent/dir/t stat", 2, "", "ksv940 send: .*\n", ""},
      {"--ack lf stat", 2, "", "[\\s\\S]*--ack[\\s\\S]*", ""},
      {"--count 0 stat", 2, "", "[\\s\\S]*--count[\\s\\S]*", ""},
      {"st\\qat", 2, "", "ksv940 send: command .*unknown escape \\\\q.*\n", ""},
      {"\\x4", 2, "", ".*two hexadecimal digits.*\n", ""},
      {"", 2, "", "[\\s\\S]*COMMAND[\\s\\S]*", ""}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.sArgs);
    test::CRig rig(test::kScripted);
    rig.ctx.Scope().Set<CPortMap>(std::make_shared<CPortMap>());
    for (auto [szCommand, szReply] : {std::pair{"stat", "0004\r\n"},
                                      {"ident", "KSV 940,1.17,7\r\n"},
                                      {"\x1b", "*\r\n"},
                                      {"ABC", "*\r\n"},
                                      {"a", "*\r\n"},
                                      {"pca", "a\tb\x1b\\c\x7f\r\n"},
                                      {"std=1", "ok\r\n*\r\n"},
                                      {"mode=dc", "!33\r\n"},
                                      {"earthl", "!21\r\n"},
                                      {"zero", "!21\r\n"}}) {
      rig.Answer(szCommand, szReply);
    }
    std::vector<std::string> vArgs = {"send", "--port", "5"};
    std::istringstream args(row.sArgs);
    for (std::string sArg; args >> sArg;) {
      vArgs.push_back(sArg);
    }
    test::SRun run = test::RunInProcess(vArgs);
    EXPECT_EQ(run.iExit, row.iExit);
    EXPECT_EQ(run.sOut, row.sOut);
    EXPECT_TRUE(std::regex_match(run.sErr, std::regex(row.sErr))) << run.sErr;
    EXPECT_EQ(rig.TakeSent(), row.sOnLine);
    EXPECT_FALSE(rig.pPorts->IsOpen(5));
  }
  std::stringstream trace;
  trace << std::ifstream(dir.PathOf("t"), std::ios::binary).rdbuf();
  EXPECT_EQ(trace.str(), "Send Data    ::stat\t\nRecieved Data ::0004\t\n");
}

TEST(CmdSend, ThePortIsANumberOrADeviceRegisteredUnderAFreeOne) {
  const std::pair<const char*, const char*> kRows[] = {
      {"9", "Can not open port 9\nksv940 send: port 9 is /dev/ttyS8\n"},
      {"COM3", "neither a device path nor a port number"},
      {"0", "no port number"},
      {"/dev/ksv940-no-such-device", "Can not open port "}};
  for (auto [szPort, szSays] : kRows) {
    test::CRig rig(test::kScripted);
    test::SRun run = test::RunInProcess({"send", "--port", szPort, "stat"});
    EXPECT_NE(run.sErr.find(szSays), std::string::npos) << run.sErr;
    EXPECT_EQ(run.iExit, std::string(szSays).starts_with("Can") ? 1 : 2);
  }
}

// The built command: a malformed port map is bad usage, found before anything is opened.
TEST(CmdSendBinary, AMalformedPortMapIsBadUsage) {
  int iStatus = std::system(
      (std::string("KSV940_PORTS=5 ") + KSV940_BINARY + " send --port 5 stat >/dev/null 2>&1")
          .c_str());
  EXPECT_TRUE(WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 2);
}

}  // namespace
}  // namespace ksv940
