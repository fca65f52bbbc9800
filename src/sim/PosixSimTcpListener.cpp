#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/core/CContext.h"
#include "platform/core/PosixPumpPlatform.h"
#include "sim/CSimInstrument.h"
#include "sim/CSimTcpListener.h"

namespace ksv940 {

CSimTcpListener::CSimTcpListener(CSimInstrument& instrument, uint16_t iPort)
    : mInstrument(instrument), mpPump(CContext::Share<CMessagePump>()) {
  miListener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (miListener < 0) {
    throw std::system_error(errno, std::generic_category(), "cannot create a TCP socket");
  }
  int iOne = 1;
  setsockopt(miListener, SOL_SOCKET, SO_REUSEADDR, &iOne, sizeof iOne);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(iPort);
  socklen_t nLength = sizeof address;
  if (bind(miListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(miListener, 4) != 0 ||
      getsockname(miListener, reinterpret_cast<sockaddr*>(&address), &nLength) != 0) {
    int iError = errno;
    close(miListener);
    throw std::system_error(iError, std::generic_category(),
                            "cannot listen on 127.0.0.1:" + std::to_string(iPort));
  }
  miPort = ntohs(address.sin_port);

  mInstrument.SetOutput([this](std::string_view sBytes) {
    // Without a client the characters are lost, as on a serial line with nothing attached; a
    // client that does not read loses what its socket buffer cannot take.
    while (miClient >= 0 && !sBytes.empty()) {
      ssize_t nSent = send(miClient, sBytes.data(), sBytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (nSent <= 0) {
        return;
      }
      sBytes.remove_prefix(static_cast<size_t>(nSent));
    }
  });
  mInstrument.SetOnDrop([this] { CloseClient(); });
  mListenWatch = CPosixPumpPlatform::Of(*mpPump).WatchReadable(miListener, [this] { OnAccept(); });
}

CSimTcpListener::~CSimTcpListener() {
  CloseClient();
  CPosixPumpPlatform::Of(*mpPump).Unwatch(mListenWatch);
  mInstrument.SetOutput(nullptr);
  mInstrument.SetOnDrop(nullptr);
  close(miListener);
}

std::string CSimTcpListener::Address() const {
  return "127.0.0.1:" + std::to_string(miPort);
}

void CSimTcpListener::OnAccept() {
  int iSocket = accept4(miListener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (iSocket < 0) {
    return;
  }
  if (miClient >= 0) {
    close(iSocket);  // the line is taken
    return;
  }
  int iOne = 1;
  setsockopt(iSocket, IPPROTO_TCP, TCP_NODELAY, &iOne, sizeof iOne);
  miClient = iSocket;
  mClientWatch =
      CPosixPumpPlatform::Of(*mpPump).WatchReadable(miClient, [this] { OnClientReadable(); });
}

void CSimTcpListener::OnClientReadable() {
  char buffer[512];
  ssize_t nRead = recv(miClient, buffer, sizeof buffer, 0);
  if (nRead > 0) {
    mInstrument.Receive(std::string_view(buffer, static_cast<size_t>(nRead)));
  } else if (nRead == 0 || (errno != EAGAIN && errno != EINTR)) {
    CloseClient();
  }
}

void CSimTcpListener::CloseClient() {
  if (miClient >= 0) {
    CPosixPumpPlatform::Of(*mpPump).Unwatch(mClientWatch);
    close(miClient);
    miClient = -1;
  }
}

}  // namespace ksv940
