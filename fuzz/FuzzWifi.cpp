// What a serial-to-network bridge sends, of any shape and in any pieces, between the wireless
// connector's calls: every reply is one line without its end (or the acknowledgement) and shorter
// than the longest reply, and the connector's only failures are its own.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "CFuzzInput.h"
#include "MFuzzSupport.h"
#include "link/CWifiBridgeConnector.h"
#include "link/MWire.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/core/IClock.h"
#include "support/MError.h"

namespace ksv940::fuzz {

namespace {

// A loopback port that the connector reaches as its bridge; made once per process.
struct SBridge {
  SBridge() {
    iListener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t nLength = sizeof address;
    FUZZ_CHECK(bind(iListener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    FUZZ_CHECK(listen(iListener, 4) == 0);
    getsockname(iListener, reinterpret_cast<sockaddr*>(&address), &nLength);
    sAddress = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  }
  int iListener = -1;
  std::string sAddress;
};

void Send(int iSocket, const std::string& sBytes) {
  size_t nSent = 0;
  while (nSent < sBytes.size()) {
    ssize_t n = send(iSocket, sBytes.data() + nSent, sBytes.size() - nSent, MSG_NOSIGNAL);
    if (n <= 0) {
      return;
    }
    nSent += static_cast<size_t>(n);
  }
}

}  // namespace

int FuzzWifi(const uint8_t* pData, size_t nSize) {
  static SBridge bridge;
  CFuzzInput in(pData, nSize);
  auto pClock = std::make_shared<CRealClock>();
  auto pPump = std::make_shared<CMessagePump>(pClock);
  CContextScope scope;
  scope.Set<IClock>(pClock).Set<CMessagePump>(pPump);
  {
    CWifiBridgeConnector connector(bridge.sAddress, 0);
    FUZZ_CHECK(connector.ConnectWireless());
    int iBridge = accept(bridge.iListener, nullptr, nullptr);
    FUZZ_CHECK(iBridge >= 0);
    // Each step: what the bridge sends next (a piece, possibly repeated into a flood), then one
    // call of the plug-in; or the bridge closes its side.
    while (!in.Empty()) {
      uint8_t iStep = in.Byte();
      std::string sPiece = in.Text();
      std::string sBytes;
      for (int i = 0; i <= ((iStep & 0x40) != 0 ? 200 : 0); ++i) {
        sBytes += sPiece;
      }
      if ((iStep & 0x80) != 0) {
        shutdown(iBridge, SHUT_WR);
      } else {
        Send(iBridge, sBytes);
      }
      auto iWaitMs = static_cast<int16_t>(1 + (iStep >> 3 & 0x03));
      std::string sReply;
      CAutomationError errFailure(0, "", "");
      try {
        switch (iStep & 0x03) {
          case 0:
            sReply = connector.SendCommand("stat", iWaitMs);
            break;
          case 1:
            sReply = connector.FlushData(iWaitMs);
            break;
          case 2:
            connector.ScanPort("IDENT", "KSV 940", 108, 56, 78, 78, 49);
            break;
          default:
            sReply = connector.SendCommand("local");
            break;
        }
      } catch (const CAutomationError& err) {
        errFailure = err;
      }
      FUZZ_CHECK(errFailure.Number() == 0 || errFailure.Source() == kWifiErrorSource);
      FUZZ_CHECK(sReply == kAcknowledged || sReply.find(kCrLf) == std::string::npos);
      FUZZ_CHECK(sReply.size() < kLongestReply);
    }
    // A reset rather than an orderly close, so that a long run leaves no connections waiting.
    linger noWait{1, 0};
    setsockopt(iBridge, SOL_SOCKET, SO_LINGER, &noWait, sizeof noWait);
    close(iBridge);
  }
  return 0;
}

}  // namespace ksv940::fuzz

KSV940_FUZZ_ENTRY(FuzzWifi)
