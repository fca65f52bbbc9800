// Real-time tests: the simulator served on a pseudo-terminal and on a TCP port of 127.0.0.1.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "sim/CSimInstrument.h"
#include "sim/CSimPty.h"
#include "sim/CSimTcpListener.h"
#include "sim/CSimTestClient.h"

namespace ksv940 {
namespace {

CSimScenario InRemote() {
  CSimScenario scenario;
  scenario.fRemote = true;
  return scenario;
}

TEST(CSimPty, ClientsOfTheDeviceGetRepliesWithCrLfUnchanged) {
  CSimInstrument sim(InRemote());
  std::string sFromHost;
  sim.SetMonitor([&](bool fFromHost, std::string_view s) {
    if (fFromHost) {
      sFromHost += s;
    }
  });
  CSimPty pty(sim);
  ASSERT_EQ(pty.DevicePath().rfind("/dev/pts/", 0), 0u) << pty.DevicePath();
  {
    test::CSimTestClient client(open(pty.DevicePath().c_str(), O_RDWR | O_NOCTTY));
    client.Write("ident\r\n");
    EXPECT_EQ(client.TakeLines(1), "KSV 940,1.20,BL1.03,HW2\r\n");
    client.Write("pol=r\r\nstat2\r\n");
    EXPECT_EQ(client.TakeLines(2), "*\r\n0208\r\n");
  }
  EXPECT_EQ(sFromHost, "ident\r\npol=r\r\nstat2\r\n");
  // The device outlives its client: the next one finds the instrument as it was left.
  test::CSimTestClient next(open(pty.DevicePath().c_str(), O_RDWR | O_NOCTTY));
  next.Write("stat2\r\n");
  EXPECT_EQ(next.TakeLines(1), "0208\r\n");
}

TEST(CSimTcpListener, ServesOneClientAtATimeAndADropClosesIt) {
  CSimInstrument sim(InRemote());
  CSimTcpListener tcp(sim, 0);
  ASSERT_GT(tcp.Port(), 0);
  EXPECT_EQ(tcp.Address(), "127.0.0.1:" + std::to_string(tcp.Port()));

  test::CSimTestClient first(test::ConnectLoopback(tcp.Port()));
  first.Write("stat\r\n");
  EXPECT_EQ(first.TakeLines(1), "0004\r\n");
  test::CSimTestClient second(test::ConnectLoopback(tcp.Port()));
  EXPECT_TRUE(second.RunUntil([&] { return second.Closed(); }, 500));
  first.Write("sn\r\n");
  EXPECT_EQ(first.TakeLines(1), "K9400123\r\n");

  sim.Scenario().On("ident", 1, esfDrop);
  first.Write("ident\r\n");
  EXPECT_TRUE(first.RunUntil([&] { return first.Closed(); }, 500));
  EXPECT_EQ(first.Received(), "");
  EXPECT_FALSE(tcp.HasClient());
  // The line is dead for the next client too.
  test::CSimTestClient third(test::ConnectLoopback(tcp.Port()));
  third.Write("stat\r\n");
  EXPECT_FALSE(third.RunUntil([&] { return !third.Received().empty(); }, 100));
}

}  // namespace
}  // namespace ksv940
