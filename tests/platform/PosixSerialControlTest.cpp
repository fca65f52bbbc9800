#include "platform/serial/PosixSerialControl.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "link/CChannel.h"
#include "platform/core/CContext.h"
#include "platform/core/PosixPumpPlatform.h"
#include "platform/serial/CPortMap.h"
#include "testing/CPseudoTerminal.h"
#include "testing/CTempDir.h"
#include "testing/CTraceRecorder.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

// Real time on a pseudo-terminal mapped as port 1: the operating system's serial layer is what is
// under test.
struct PosixSerialControlTest : ::testing::Test {
  PosixSerialControlTest() {
    pPorts->Map(1, pty.DevicePath());
    scope.Set<IClock>(pClock).Set<CMessagePump>(pPump).Set<CPortMap>(pPorts).Set<ITraceSink>(
        std::make_shared<test::CTraceRecorder>());
  }
  std::unique_ptr<CPosixSerialControl> OpenControl(int32_t lPort) {
    auto pControl = std::make_unique<CPosixSerialControl>();
    pControl->SetCommPort(lPort);
    pControl->SetSettings("115200,N,8,1");
    pControl->SetPortOpen(true);
    return pControl;
  }
  // Runs the pump until fnDone holds, for at most lMaxMs.
  bool PumpUntil(const std::function<bool()>& fnDone, int64_t lMaxMs = 500) {
    return pPump->RunUntil(pClock->NowUs() + lMaxMs * 1000, fnDone);
  }

  test::CPseudoTerminal pty;
  std::shared_ptr<CRealClock> pClock = std::make_shared<CRealClock>();
  std::shared_ptr<CMessagePump> pPump = std::make_shared<CMessagePump>(pClock);
  std::shared_ptr<CPortMap> pPorts = std::make_shared<CPortMap>();
  CContextScope scope;
};

TEST_F(PosixSerialControlTest, OpensRawAt115200EightNoneOneOrSaysWhyNot) {
  auto pControl = OpenControl(1);
  EXPECT_EQ(pControl->Status(), "Connected");
  termios tio{};
  ASSERT_EQ(tcgetattr(pty.Anchor(), &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B115200));
  EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B115200));
  EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  // A second user reads "Port unavailable", in this process and in another.
  EXPECT_EQ(OpenControl(1)->Status(), "Port unavailable");
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    _exit(OpenControl(1)->Status() == "Port unavailable" ? 0 : 1);
  }
  int iStatus = 0;
  ASSERT_EQ(waitpid(pid, &iStatus, 0), pid);
  EXPECT_TRUE(WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0) << "another process had the port";

  test::CTempDir dir;
  pPorts->Map(2, dir.PathOf("ttyUSB9"));
  pPorts->Map(3, "/dev/null");
  const std::pair<int32_t, std::string> kFailures[] = {
      {2, "Port not found"},
      {250, "Port not found"},
      {3, "Port open failed: /dev/null: not a serial port"}};
  for (const auto& [lPort, sStatus] : kFailures) {
    auto pFailed = OpenControl(lPort);
    EXPECT_EQ(pFailed->Status(), sStatus);
    EXPECT_FALSE(pFailed->PortOpen());
  }
}

TEST_F(PosixSerialControlTest, BytesTravelUnchangedAndOutputWaitsForTheFarEnd) {
  auto pControl = OpenControl(1);
  const std::string sOut = std::string("stat\r\n\x1b\r\n") + '\0' + "\xff\n";
  pControl->Output(sOut);
  std::string sAtFarEnd;
  ASSERT_TRUE(PumpUntil([&] { return (sAtFarEnd += pty.ReadAvailable()).size() >= sOut.size(); }));
  EXPECT_EQ(sAtFarEnd, sOut);
  const std::string sIn = std::string("0004\r\n") + '\0' + "\r\xfe";
  pty.Write(sIn);
  ASSERT_TRUE(PumpUntil([&] { return pControl->InBufferCount() >= 9; }));
  pControl->SetInputLen(1);
  EXPECT_EQ(pControl->Input(), "0");
  pControl->SetInputLen(0);
  EXPECT_EQ(pControl->Input(), sIn.substr(1));

  // What the far end does not take yet stays counted until it is read.
  const std::string sBlock(100'000, 'x');
  pControl->Output(sBlock);
  EXPECT_GT(pControl->OutBufferCount(), 0);
  std::string sRead;
  CMessagePump::Id idReader = 0;
  pPump->AddTimer(pClock->NowUs() + 20'000, 0, [&] {
    idReader = CPosixPumpPlatform::Of(*pPump).WatchReadable(pty.FarEnd(),
                                                            [&] { sRead += pty.ReadAvailable(); });
  });
  EXPECT_TRUE(PumpUntil([&] { return pControl->OutBufferCount() == 0; }, 2000));
  EXPECT_TRUE(PumpUntil([&] { return sRead.size() == sBlock.size(); }));
  EXPECT_EQ(sRead, sBlock);
  CPosixPumpPlatform::Of(*pPump).Unwatch(idReader);

  // A hung-up line hands over what came before it, then fails every exchange at once (8020)
  // instead of running into time-outs; the port stays open until the caller closes it.
  pty.Write("*\r\n");
  ASSERT_TRUE(PumpUntil([&] { return pControl->InBufferCount() == 3; }));
  pty.CloseFarEnd();
  EXPECT_TRUE(PumpUntil([&] { return !pPump->ProcessPending(); }));
  pControl->SetInputLen(0);
  EXPECT_EQ(pControl->Input(), "*\r\n");
  for (const auto& fnMember : std::vector<std::function<void()>>{
           [&] { pControl->InBufferCount(); }, [&] { pControl->Output("stat\r\n"); },
           [&] { pControl->SetInBufferCount(0); }, [&] { pControl->Input(); }}) {
    EXPECT_EQ(test::Caught(fnMember).Number(), 8020);
  }
  EXPECT_TRUE(pControl->PortOpen());
  pControl->SetPortOpen(false);
  EXPECT_FALSE(pControl->PortOpen());
}

}  // namespace
}  // namespace ksv940
