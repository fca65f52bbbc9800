#include "platform/serial/PosixSerialControl.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "link/CChannel.h"
#include "platform/core/CContext.h"
#include "platform/core/PosixPumpPlatform.h"
#include "platform/serial/CPortMap.h"
#include "testing/CPseudoTerminal.h"
#include "testing/CTraceRecorder.h"

namespace ksv940 {
namespace {

// Real time on a pseudo-terminal: the operating system's serial layer is what is under test.
class PosixSerialControlTest : public ::testing::Test {
 protected:
  PosixSerialControlTest()
      : mpClock(std::make_shared<CRealClock>()),
        mpPump(std::make_shared<CMessagePump>(mpClock)),
        mpPorts(std::make_shared<CPortMap>()) {
    mpPorts->Map(1, mPty.DevicePath());
    mScope.Set<IClock>(mpClock).Set<CMessagePump>(mpPump).Set<CPortMap>(mpPorts).Set<ITraceSink>(
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
    int64_t lEnd = mpClock->NowUs() + lMaxMs * 1000;
    while (!fnDone()) {
      if (mpClock->NowUs() >= lEnd) {
        return false;
      }
      mpPump->WakeAt(std::min(lEnd, mpClock->NowUs() + 10'000));
      mpPump->ProcessMessages();
    }
    return true;
  }

  test::CPseudoTerminal mPty;
  std::shared_ptr<CRealClock> mpClock;
  std::shared_ptr<CMessagePump> mpPump;
  std::shared_ptr<CPortMap> mpPorts;
  CContextScope mScope;
};

TEST_F(PosixSerialControlTest, OpensTheMappedDeviceRawAt115200EightNoneOne) {
  auto pControl = OpenControl(1);
  EXPECT_EQ(pControl->Status(), "Connected");
  EXPECT_TRUE(pControl->PortOpen());
  EXPECT_EQ(pControl->DevicePath(), mPty.DevicePath());
  termios tio{};
  ASSERT_EQ(tcgetattr(mPty.Anchor(), &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B115200));
  EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B115200));
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  pControl->SetPortOpen(false);
  EXPECT_FALSE(pControl->PortOpen());
}

TEST_F(PosixSerialControlTest, OpenFailuresReadAsTheControlsStatusTexts) {
  char szDir[] = "/tmp/ksv940-portXXXXXX";
  ASSERT_NE(mkdtemp(szDir), nullptr);
  struct Row {
    const char* sCase;
    int32_t lPort;
    std::string sDevice;  // empty: not mapped
    std::string sStatus;
  };
  const Row rows[] = {
      {"missing device", 2, std::string(szDir) + "/ttyUSB9", "Port not found"},
      {"unmapped number without a device", 250, "", "Port not found"},
      {"number 0", 0, "", "Port not found"},
      {"not a serial port", 3, "/dev/null", "Port open failed: /dev/null: not a serial port"},
      {"a directory", 4, szDir, std::string("Port open failed: ") + szDir + ": Is a directory"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sCase);
    if (!row.sDevice.empty()) {
      mpPorts->Map(row.lPort, row.sDevice);
    }
    auto pControl = OpenControl(row.lPort);
    EXPECT_EQ(pControl->Status(), row.sStatus);
    EXPECT_FALSE(pControl->PortOpen());
  }
  rmdir(szDir);
}

TEST_F(PosixSerialControlTest, ASecondUserReadsPortUnavailableInThisProcessAndAnother) {
  auto pFirst = OpenControl(1);
  ASSERT_EQ(pFirst->Status(), "Connected");

  auto pSecond = OpenControl(1);
  EXPECT_EQ(pSecond->Status(), "Port unavailable");
  EXPECT_FALSE(pSecond->PortOpen());

  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    auto pOther = OpenControl(1);
    _exit(pOther->Status() == "Port unavailable" ? 0 : 1);
  }
  int iStatus = 0;
  ASSERT_EQ(waitpid(pid, &iStatus, 0), pid);
  EXPECT_TRUE(WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0)
      << "another process could open the port";

  pFirst->SetPortOpen(false);
  pSecond->SetPortOpen(true);
  EXPECT_EQ(pSecond->Status(), "Connected");
}

TEST_F(PosixSerialControlTest, BytesTravelUnchangedBothWays) {
  auto pControl = OpenControl(1);
  const std::string sOut = std::string("stat\r\n\x1b\r\n") + '\0' + "\xff\n";
  pControl->Output(sOut);
  EXPECT_EQ(pControl->OutBufferCount(), 0);
  std::string sAtFarEnd;
  ASSERT_TRUE(PumpUntil([&] {
    sAtFarEnd += mPty.ReadAvailable();
    return sAtFarEnd.size() >= sOut.size();
  }));
  EXPECT_EQ(sAtFarEnd, sOut);

  const std::string sIn = std::string("0004\r\n") + '\0' + "\r\xfe";
  mPty.Write(sIn);
  ASSERT_TRUE(PumpUntil([&] { return pControl->InBufferCount() >= 9; }));
  pControl->SetInputLen(1);
  EXPECT_EQ(pControl->Input(), "0");
  pControl->SetInputLen(0);
  EXPECT_EQ(pControl->Input(), sIn.substr(1));

  mPty.Write("stale");
  ASSERT_TRUE(PumpUntil([&] { return pControl->InBufferCount() > 0; }));
  pControl->SetInBufferCount(0);
  EXPECT_EQ(pControl->InBufferCount(), 0);
}

TEST_F(PosixSerialControlTest, OutputTheFarEndDoesNotTakeStaysCountedUntilItIsRead) {
  auto pControl = OpenControl(1);
  const std::string sBlock(100'000, 'x');
  pControl->Output(sBlock);
  EXPECT_GT(pControl->OutBufferCount(), 0);
  // The far end starts reading a little later; the count goes down to 0 as it does.
  std::string sRead;
  mpPump->AddTimer(mpClock->NowUs() + 20'000, 0, [&] {
    CPosixPumpPlatform::Of(*mpPump).WatchReadable(mPty.FarEnd(),
                                                  [&] { sRead += mPty.ReadAvailable(); });
  });
  EXPECT_TRUE(PumpUntil([&] { return pControl->OutBufferCount() == 0; }, 2000));
  EXPECT_TRUE(PumpUntil([&] { return sRead.size() == sBlock.size(); }));
  EXPECT_EQ(sRead, sBlock);
}

TEST_F(PosixSerialControlTest, AHungUpLineLosesOutputAndReceivesNothing) {
  auto pControl = OpenControl(1);
  mPty.CloseFarEnd();
  EXPECT_FALSE(PumpUntil([&] { return pControl->InBufferCount() > 0; }, 30));
  EXPECT_NO_THROW(pControl->Output("stat\r\n"));
  EXPECT_EQ(pControl->OutBufferCount(), 0);
  EXPECT_TRUE(pControl->PortOpen());
}

TEST_F(PosixSerialControlTest, ChannelRoundTripOverAPseudoTerminal) {
  // The far end answers each command line; "ident" in two pieces 20 ms apart.
  std::string sHeard;
  CPosixPumpPlatform::Of(*mpPump).WatchReadable(mPty.FarEnd(), [&] {
    sHeard += mPty.ReadAvailable();
    if (sHeard.size() >= 2 && sHeard.compare(sHeard.size() - 2, 2, "\r\n") == 0) {
      if (sHeard.ends_with("remote\r\n")) {
        mPty.Write("*\r\n");
      } else if (sHeard.ends_with("ident\r\n")) {
        mPty.Write("KSV 940,");
        mpPump->AddTimer(mpClock->NowUs() + 20'000, 0, [&] { mPty.Write("1.17\r\nextra"); });
      }
    }
  });
  CChannel channel;
  channel.OpenPort(1);
  EXPECT_EQ(channel.TransmitCmd("remote", "\r\n", false, 3), "*\r\n");
  EXPECT_EQ(channel.TransmitCmd("ident", "\r\n", false, 3), "KSV 940,1.17");
  EXPECT_EQ(sHeard, "remote\r\nident\r\n");
  channel.ClosePort();
  EXPECT_EQ(channel.State(), 0);
  auto pAfter = OpenControl(1);
  EXPECT_EQ(pAfter->Status(), "Connected");
}

}  // namespace
}  // namespace ksv940
