#include "link/CWifiBridgeConnector.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "model/GDeclares.h"
#include "platform/core/CContext.h"
#include "platform/core/PosixPumpPlatform.h"
#include "support/MError.h"
#include "testing/CTempDir.h"

namespace ksv940 {
namespace {

// A bridge on loopback that answers each line from a table, served by the same pump as the
// connector. The OS's sockets are under test, so this runs in real time and stays short.
class CLoopbackBridge {
 public:
  explicit CLoopbackBridge(std::map<std::string, std::string> replies)
      : mReplies(std::move(replies)), mpPump(CContext::Share<CMessagePump>()) {
    miListen = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(bind(miListen, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(listen(miListen, 1), 0);
    socklen_t nLength = sizeof address;
    getsockname(miListen, reinterpret_cast<sockaddr*>(&address), &nLength);
    miPort = ntohs(address.sin_port);
    mAccept = CPosixPumpPlatform::Of(*mpPump).WatchReadable(miListen, [this] {
      miClient = accept4(miListen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      CPosixPumpPlatform::Of(*mpPump).Unwatch(mAccept);
      mRead = CPosixPumpPlatform::Of(*mpPump).WatchReadable(miClient, [this] { OnClient(); });
    });
  }
  ~CLoopbackBridge() {
    CPosixPumpPlatform::Of(*mpPump).Unwatch(mAccept);
    CPosixPumpPlatform::Of(*mpPump).Unwatch(mRead);
    CloseClient();
    close(miListen);
  }
  std::string Address() const { return "127.0.0.1:" + std::to_string(miPort); }
  void CloseClient() {
    if (miClient >= 0) {
      CPosixPumpPlatform::Of(*mpPump).Unwatch(mRead);
      close(miClient);
      miClient = -1;
    }
  }
  std::string sHeard;

 private:
  void OnClient() {
    char buffer[256];
    ssize_t n = read(miClient, buffer, sizeof buffer);
    if (n <= 0) {
      CloseClient();
      return;
    }
    msLine.append(buffer, static_cast<size_t>(n));
    sHeard.append(buffer, static_cast<size_t>(n));
    size_t nEnd;
    while ((nEnd = msLine.find("\r\n")) != std::string::npos) {
      std::string sCommand = msLine.substr(0, nEnd);
      msLine.erase(0, nEnd + 2);
      auto it = mReplies.find(sCommand);
      if (it != mReplies.end()) {
        ASSERT_EQ(write(miClient, it->second.data(), it->second.size()),
                  static_cast<ssize_t>(it->second.size()));
      }
    }
  }

  std::map<std::string, std::string> mReplies;
  std::shared_ptr<CMessagePump> mpPump;
  int miListen = -1;
  int miClient = -1;
  int miPort = 0;
  CMessagePump::Id mAccept = 0;
  CMessagePump::Id mRead = 0;
  std::string msLine;
};

TEST(CWifiBridgeConnector, TalksToABridgeOnLoopback) {
  CLoopbackBridge bridge({{"ident", "KSV 940,1.20,A\r\n"},
                          {"stat", "0004\r\n"},
                          {"pol=off", "*\r\n"},
                          {"mread", "12.5\r\n13.0\r\n13.5\r\n"}});
  CWifiBridgeConnector connector(bridge.Address(), 100);
  test::CTempDir dir;
  std::string sLog = dir.PathOf("wifi-log.txt");
  connector.SetLogPath(sLog);
  connector.SetMonitorData(true);
  EXPECT_TRUE(connector.isWireless());
  ASSERT_TRUE(connector.ConnectWireless());
  EXPECT_TRUE(connector.ScanPort("IDENT", "KSV 940", 108, 56, 78, 78, 49));
  EXPECT_FALSE(connector.ScanPort("IDENT", "KSV 941", 108, 56, 78, 78, 49));
  EXPECT_EQ(connector.SendCommand("stat", 50), "0004");
  EXPECT_EQ(connector.SendCommand("pol=off", 30), "*\r\n");
  EXPECT_EQ(connector.SendCommand("mread", 100), "12.5");
  // The rest of the stream stays for FlushData, which hands out the newest reading once.
  EXPECT_EQ(connector.FlushData(50), "13.5");
  EXPECT_EQ(connector.FlushData(0), "");
  EXPECT_EQ(connector.SendCommand("local"), "");  // sent, not waited for
  connector.FlushData(20);
  EXPECT_EQ(bridge.sHeard, "ident\r\nident\r\nstat\r\npol=off\r\nmread\r\nlocal\r\n");
  std::ifstream in(sLog);
  std::stringstream log;
  log << in.rdbuf();
  EXPECT_NE(log.str().find(">\tstat\\r\\n"), std::string::npos) << log.str();
  EXPECT_NE(log.str().find("<\t0004\\r\\n"), std::string::npos) << log.str();
}

TEST(CWifiBridgeConnector, FailuresCarryTheConnectorsSource) {
  unsetenv("KSV940_WIFI");
  CWifiBridgeConnector none("");
  EXPECT_FALSE(none.isWireless());
  EXPECT_FALSE(none.ConnectWireless());
  try {
    none.SendCommand("stat", 30);
    FAIL();
  } catch (const CAutomationError& err) {
    EXPECT_EQ(err.Source(), kWifiErrorSource);
  }

  CLoopbackBridge bridge({});
  CWifiBridgeConnector connector(bridge.Address(), 100);
  ASSERT_TRUE(connector.ConnectWireless());
  EXPECT_EQ(connector.SendCommand("silent", 30), "");  // no reply within the wait: empty text
  bridge.CloseClient();
  try {
    connector.SendCommand("stat", 30);
    connector.SendCommand("stat", 30);
    FAIL() << "a closed bridge must be reported";
  } catch (const CAutomationError& err) {
    EXPECT_EQ(err.Source(), kWifiErrorSource);
    EXPECT_NE(err.Description().find("closed"), std::string::npos) << err.Description();
  }
}

TEST(CWifiBridgeConnector, ABridgeThatTakesNothingFailsTheCommandInsteadOfHangingIt) {
  // A listening socket that never accepts: the connection is made, but nobody reads, so the
  // command fills the socket's buffers and then stalls.
  int iListen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(iListen, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(iListen, 1), 0);
  socklen_t nLength = sizeof address;
  getsockname(iListen, reinterpret_cast<sockaddr*>(&address), &nLength);
  CWifiBridgeConnector connector("127.0.0.1:" + std::to_string(ntohs(address.sin_port)), 100);
  ASSERT_TRUE(connector.ConnectWireless());
  try {
    connector.SendCommand(std::string(64 << 20, 'x'), 30);
    FAIL() << "a stalled bridge must be reported";
  } catch (const CAutomationError& err) {
    EXPECT_EQ(err.Source(), kWifiErrorSource);
    EXPECT_EQ(err.Description(), "The wireless bridge takes no more data.");
  }
  close(iListen);
}

TEST(CWifiBridgeConnector, UnreachableBridgeIsNoInstrument) {
  CWifiBridgeConnector connector("127.0.0.1:1");
  EXPECT_FALSE(connector.ConnectWireless());
  CWifiBridgeConnector malformed("no-port-here");
  EXPECT_FALSE(malformed.ConnectWireless());
}

}  // namespace
}  // namespace ksv940
