#include "platform/net/CTcpSocket.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/core/CContext.h"
#include "platform/core/PosixPumpPlatform.h"

namespace ksv940 {

struct CTcpSocket::SState {
  int iSocket = -1;
  CMessagePump::Id watch = 0;
  bool fEnded = false;
};

namespace {

// Serves the pump until iSocket can be written to or lDeadlineUs; answers whether it can.
bool WaitFdWritable(CMessagePump& pump, int iSocket, int64_t lDeadlineUs) {
  bool fWritable = false;
  CMessagePump::Id watch =
      CPosixPumpPlatform::Of(pump).WatchWritable(iSocket, [&fWritable] { fWritable = true; });
  // The watch refers to this frame: it goes however the wait ends.
  struct SUnwatch {
    CMessagePump& pump;
    CMessagePump::Id id;
    ~SUnwatch() { CPosixPumpPlatform::Of(pump).Unwatch(id); }
  } unwatch{pump, watch};
  return pump.RunUntil(lDeadlineUs, [&fWritable] { return fWritable; });
}

}  // namespace

CTcpSocket::CTcpSocket()
    : mpPump(CContext::Share<CMessagePump>()), mpState(std::make_unique<SState>()) {}

CTcpSocket::~CTcpSocket() {
  Close();
}

bool CTcpSocket::Connect(const std::string& sHost, const std::string& sPort, int64_t lDeadlineUs,
                         std::function<void()> fnArrived) {
  Close();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* pResults = nullptr;
  int iResolved = getaddrinfo(sHost.c_str(), sPort.c_str(), &hints, &pResults);
  if (iResolved != 0) {
    msConnectFailure = iResolved == EAI_SYSTEM ? std::strerror(errno) : gai_strerror(iResolved);
    return false;
  }
  msConnectFailure.clear();
  int iConnected = -1;
  for (addrinfo* pAddress = pResults; pAddress != nullptr && iConnected < 0;
       pAddress = pAddress->ai_next) {
    int iSocket = socket(pAddress->ai_family, pAddress->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                         pAddress->ai_protocol);
    if (iSocket < 0) {
      msConnectFailure = std::strerror(errno);
      continue;
    }
    if (connect(iSocket, pAddress->ai_addr, pAddress->ai_addrlen) != 0 && errno != EINPROGRESS) {
      msConnectFailure = std::strerror(errno);
      close(iSocket);
      continue;
    }
    // The connection is made when the socket becomes writable; the pump keeps serving meanwhile.
    bool fWritable = WaitFdWritable(*mpPump, iSocket, lDeadlineUs);
    int iError = 0;
    socklen_t nLength = sizeof iError;
    if (!fWritable || getsockopt(iSocket, SOL_SOCKET, SO_ERROR, &iError, &nLength) != 0 ||
        iError != 0) {
      msConnectFailure = std::strerror(!fWritable ? ETIMEDOUT : iError != 0 ? iError : errno);
      close(iSocket);
      continue;
    }
    // Commands are short lines that want their reply at once: no coalescing.
    int iOne = 1;
    setsockopt(iSocket, IPPROTO_TCP, TCP_NODELAY, &iOne, sizeof iOne);
    iConnected = iSocket;
  }
  freeaddrinfo(pResults);
  if (iConnected < 0) {
    return false;
  }
  msConnectFailure.clear();
  mpState->iSocket = iConnected;
  mpState->fEnded = false;
  mpState->watch = CPosixPumpPlatform::Of(*mpPump).WatchReadable(iConnected, std::move(fnArrived));
  return true;
}

bool CTcpSocket::IsOpen() const {
  return mpState->iSocket >= 0;
}

bool CTcpSocket::Receive(std::string& sData, size_t nMax) {
  if (mpState->iSocket < 0 || mpState->fEnded) {
    return false;
  }
  size_t nHad = sData.size();
  sData.resize(nHad + nMax);
  ssize_t nRead = recv(mpState->iSocket, sData.data() + nHad, nMax, 0);
  sData.resize(nHad + (nRead > 0 ? static_cast<size_t>(nRead) : 0));
  if (nRead > 0 || (nRead < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))) {
    return true;
  }
  // The connection has ended: stop watching, or the pump would be told again and again.
  mpState->fEnded = true;
  CPosixPumpPlatform::Of(*mpPump).Unwatch(std::exchange(mpState->watch, 0));
  return false;
}

size_t CTcpSocket::Send(std::string_view sData) {
  if (mpState->iSocket < 0) {
    throw std::runtime_error("not connected");
  }
  ssize_t nWritten = send(mpState->iSocket, sData.data(), sData.size(), MSG_NOSIGNAL);
  if (nWritten >= 0) {
    return static_cast<size_t>(nWritten);
  }
  if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
    return 0;
  }
  throw std::runtime_error(std::strerror(errno));
}

bool CTcpSocket::WaitWritable(int64_t lDeadlineUs) {
  return mpState->iSocket >= 0 && WaitFdWritable(*mpPump, mpState->iSocket, lDeadlineUs);
}

void CTcpSocket::Close() {
  if (mpState->watch != 0) {
    CPosixPumpPlatform::Of(*mpPump).Unwatch(std::exchange(mpState->watch, 0));
  }
  if (mpState->iSocket >= 0) {
    close(std::exchange(mpState->iSocket, -1));
  }
  mpState->fEnded = false;
}

}  // namespace ksv940
