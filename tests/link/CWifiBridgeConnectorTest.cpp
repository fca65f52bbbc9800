#include "link/CWifiBridgeConnector.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "sim/CSimInstrument.h"
#include "sim/CSimTcpListener.h"
#include "support/MError.h"
#include "testing/CLoopbackBridge.h"
#include "testing/CRig.h"
#include "testing/CTempDir.h"
#include "testing/MCaught.h"

// Sockets on loopback: the operating system is under test, so these run in real time, briefly.
// The bridge is the simulated analyzer served on TCP by the same message pump as the connector.

namespace ksv940 {
namespace {

using test::Caught;

// A client socket connected to iPort of 127.0.0.1.
int ConnectedTo(uint16_t iPort) {
  int iSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{AF_INET, htons(iPort), {htonl(INADDR_LOOPBACK)}, {}};
  EXPECT_EQ(connect(iSocket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  return iSocket;
}

TEST(CWifiBridgeConnector, TalksToTheAnalyzerBehindABridgeAndLogsTheTraffic) {
  CSimInstrument sim(CSimScenario::Parse("remote on\nreading earthl 12.5 13.0 13.5\nstream 10"));
  CSimTcpListener bridge(sim, 0);
  CWifiBridgeConnector connector(bridge.Address(), 100);
  test::CTempDir dir;
  connector.SetLogPath(dir.PathOf("wifi-log.txt"));
  connector.SetMonitorData(true);
  EXPECT_TRUE(connector.isWireless());
  ASSERT_TRUE(connector.ConnectWireless());
  EXPECT_TRUE(connector.ScanPort("IDENT", "KSV 940", 108, 56, 78, 78, 49));
  EXPECT_FALSE(connector.ScanPort("IDENT", "KSV 941", 108, 56, 78, 78, 49));
  EXPECT_EQ(connector.SendCommand("stat", 50), "0004");
  EXPECT_EQ(connector.SendCommand("earthl", 30), "*\r\n");  // the acknowledgement keeps CR LF
  EXPECT_EQ(connector.SendCommand("mread", 100), "12.5");
  // The rest of the stream stays for FlushData, which hands out the newest reading.
  EXPECT_EQ(connector.FlushData(50), "13.5");
  // One client at a time: a second connection is closed at once.
  int iSecond = ConnectedTo(bridge.Port());
  connector.FlushData(20);
  char c;
  EXPECT_EQ(read(iSecond, &c, 1), 0);
  close(iSecond);
  EXPECT_EQ(connector.SendCommand("local"), "");  // sent, not waited for
  connector.FlushData(20);
  EXPECT_EQ(connector.SendCommand("frobnicate", 30), "!30");  // an error reply, as it came
  sim.Scenario().On("stat", 1, esfSilent);
  EXPECT_EQ(connector.SendCommand("stat", 30), "");  // no reply within the wait: the empty text
  std::stringstream log;
  log << std::ifstream(dir.PathOf("wifi-log.txt")).rdbuf();
  EXPECT_NE(log.str().find(">\tstat\\r\\n"), std::string::npos) << log.str();
  EXPECT_NE(log.str().find("<\t0004\\r\\n"), std::string::npos) << log.str();
  // A bridge that closes the connection is reported.
  sim.Scenario().On("sn", 1, esfDrop);
  auto err = Caught([&] {
    connector.SendCommand("sn", 30);
    connector.SendCommand("stat", 30);
  });
  EXPECT_EQ(err.Source(), kWifiErrorSource);
  EXPECT_NE(err.Description().find("closed"), std::string::npos) << err.Description();
}

// On virtual time, against the analyzer behind the rig's bridge: a reply is awaited for at least
// the floor whatever the command's wait, and what came before a command is never its reply.
TEST(CWifiBridgeConnector, AwaitsALateReplyForItsFloorAndNeverTakesEarlierInputForIt) {
  test::CRig rig(CSimScenario::Parse("on stat 1 late 900\non stat 2 late 1100"), test::erlBridge);
  CWifiBridgeConnector connector(rig.sBridgeAddress);
  ASSERT_TRUE(connector.ConnectWireless());
  EXPECT_EQ(connector.SendCommand("stat", 50), "0000");
  EXPECT_EQ(connector.SendCommand("stat", 50), "");
  rig.ctx.RunFor(500'000);  // the late status arrives meanwhile
  EXPECT_EQ(connector.SendCommand("sn", 50), "K9400123");
}

TEST(CWifiBridgeConnector, NoBridgeIsNoInstrumentAndAStalledOneFailsTheCommand) {
  unsetenv("KSV940_WIFI");
  CWifiBridgeConnector none("");
  EXPECT_FALSE(none.isWireless());
  EXPECT_FALSE(none.ConnectWireless());
  EXPECT_EQ(Caught([&] { none.SendCommand("stat", 30); }).Source(), kWifiErrorSource);
  EXPECT_FALSE(CWifiBridgeConnector("127.0.0.1:1").ConnectWireless());
  EXPECT_FALSE(CWifiBridgeConnector("no-port-here").ConnectWireless());

  // A listening socket that never accepts: the connection is made, but nobody reads, so the
  // command fills the socket's buffers and then stalls.
  test::CLoopbackBridge bridge;
  CWifiBridgeConnector connector(bridge.msAddress, 100);
  ASSERT_TRUE(connector.ConnectWireless());
  auto err = Caught([&] { connector.SendCommand(std::string(64 << 20, 'x'), 30); });
  EXPECT_EQ(err.Source(), kWifiErrorSource);
  EXPECT_EQ(err.Description(), "The wireless bridge takes no more data.");
}

}  // namespace
}  // namespace ksv940
