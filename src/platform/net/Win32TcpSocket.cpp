// Winsock before the rest of the system headers: <windows.h> would otherwise declare the older
// socket interface.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <utility>

#include "platform/core/CContext.h"
#include "platform/core/Win32PumpPlatform.h"
#include "platform/core/Win32Text.h"
#include "platform/net/CTcpSocket.h"

namespace ksv940 {

struct CTcpSocket::SState {
  SOCKET hSocket = INVALID_SOCKET;
  WSAEVENT hEvent = WSA_INVALID_EVENT;
  CMessagePump::Id watch = 0;
  std::shared_ptr<std::function<void()>> pArrived;  // none while connecting
  bool fConnectDone = false;
  int iConnectError = 0;
  bool fWritable = false;
  bool fPeerClosed = false;  // the system reported the end; Receive has yet to find it
  bool fEnded = false;

  /// Takes the socket's network events and tells whoever waits for them.
  void OnNetworkEvents();
  /// Whether characters or the end are waiting for the one told of arrivals.
  bool ArrivalPending() const;
};

namespace {

// Winsock is started once per process and left running: stopping it while the host unloads the
// component is not allowed from there, and the process's end releases it.
bool WinsockStarted() {
  static const bool fStarted = [] {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return fStarted;
}

// Whether characters are waiting to be received.
bool DataWaiting(SOCKET hSocket) {
  u_long nWaiting = 0;
  return ioctlsocket(hSocket, FIONREAD, &nWaiting) == 0 && nWaiting > 0;
}

}  // namespace

// The system reports each event once, but the component expects to be told as long as something
// is waiting, as a polled descriptor does: while characters or the end remain to be received
// after the handler, the event is set again, so that the pump calls again at its next turn.
void CTcpSocket::SState::OnNetworkEvents() {
  WSANETWORKEVENTS events{};
  if (WSAEnumNetworkEvents(hSocket, hEvent, &events) != 0) {  // resets the event
    return;
  }
  if ((events.lNetworkEvents & FD_CONNECT) != 0) {
    fConnectDone = true;
    iConnectError = events.iErrorCode[FD_CONNECT_BIT];
    fWritable = iConnectError == 0;
  }
  if ((events.lNetworkEvents & FD_WRITE) != 0) {
    fWritable = true;
  }
  if ((events.lNetworkEvents & FD_CLOSE) != 0) {
    fPeerClosed = true;
  }
  // While connecting nobody is told; what arrives then is announced once the connection is made.
  std::shared_ptr<std::function<void()>> pHandler = pArrived;
  if (pHandler != nullptr && ArrivalPending()) {
    (*pHandler)();
    if (ArrivalPending()) {
      WSASetEvent(hEvent);
    }
  }
}

bool CTcpSocket::SState::ArrivalPending() const {
  return watch != 0 && !fEnded && (fPeerClosed || DataWaiting(hSocket));
}

CTcpSocket::CTcpSocket()
    : mpPump(CContext::Share<CMessagePump>()), mpState(std::make_unique<SState>()) {}

CTcpSocket::~CTcpSocket() {
  Close();
}

bool CTcpSocket::Connect(const std::string& sHost, const std::string& sPort, int64_t lDeadlineUs,
                         std::function<void()> fnArrived) {
  Close();
  auto fnFailure = [](int iError) {
    return SystemErrorText(static_cast<DWORD>(iError), " \r\n.", "Winsock error ");
  };
  if (!WinsockStarted()) {
    msConnectFailure = "Winsock cannot start";
    return false;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* pResults = nullptr;
  if (getaddrinfo(sHost.c_str(), sPort.c_str(), &hints, &pResults) != 0) {
    msConnectFailure = fnFailure(WSAGetLastError());
    return false;
  }
  SState& state = *mpState;
  for (addrinfo* pAddress = pResults; pAddress != nullptr && !IsOpen();
       pAddress = pAddress->ai_next) {
    SOCKET hSocket = socket(pAddress->ai_family, pAddress->ai_socktype, pAddress->ai_protocol);
    if (hSocket == INVALID_SOCKET) {
      msConnectFailure = fnFailure(WSAGetLastError());
      continue;
    }
    // Not handed on to programs the host starts.
    SetHandleInformation(reinterpret_cast<HANDLE>(hSocket), HANDLE_FLAG_INHERIT, 0);
    state = SState{};
    state.hSocket = hSocket;
    state.hEvent = WSACreateEvent();
    // Selecting the events makes the socket non-blocking; from now on its event is set for them.
    if (state.hEvent == WSA_INVALID_EVENT ||
        WSAEventSelect(hSocket, state.hEvent, FD_CONNECT | FD_WRITE | FD_READ | FD_CLOSE) != 0) {
      msConnectFailure = fnFailure(WSAGetLastError());
      Close();
      continue;
    }
    state.watch = CWin32PumpPlatform::Of(*mpPump).WatchHandle(
        state.hEvent, [pState = &state] { pState->OnNetworkEvents(); });
    if (connect(hSocket, pAddress->ai_addr, static_cast<int>(pAddress->ai_addrlen)) != 0 &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
      msConnectFailure = fnFailure(WSAGetLastError());
      Close();
      continue;
    }
    // The system reports the outcome as a network event; the pump keeps serving meanwhile.
    mpPump->RunUntil(lDeadlineUs, [&state] { return state.fConnectDone; });
    if (!state.fConnectDone || state.iConnectError != 0) {
      msConnectFailure = fnFailure(state.fConnectDone ? state.iConnectError : WSAETIMEDOUT);
      Close();
      continue;
    }
    // Commands are short lines that want their reply at once: no coalescing.
    BOOL fNoDelay = TRUE;
    setsockopt(hSocket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&fNoDelay),
               sizeof fNoDelay);
  }
  freeaddrinfo(pResults);
  if (!IsOpen()) {
    return false;
  }
  msConnectFailure.clear();
  state.pArrived = std::make_shared<std::function<void()>>(std::move(fnArrived));
  if (state.ArrivalPending()) {
    WSASetEvent(state.hEvent);  // what came while connecting
  }
  return true;
}

bool CTcpSocket::IsOpen() const {
  return mpState->hSocket != INVALID_SOCKET;
}

bool CTcpSocket::Receive(std::string& sData, size_t nMax) {
  SState& state = *mpState;
  if (state.hSocket == INVALID_SOCKET || state.fEnded) {
    return false;
  }
  size_t nHad = sData.size();
  sData.resize(nHad + nMax);
  int iRead = recv(state.hSocket, sData.data() + nHad,
                   static_cast<int>(std::min<size_t>(nMax, INT_MAX)), 0);
  sData.resize(nHad + (iRead > 0 ? static_cast<size_t>(iRead) : 0));
  if (iRead > 0 || (iRead == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK)) {
    return true;
  }
  // The connection has ended: nothing more to announce.
  state.fEnded = true;
  CWin32PumpPlatform::Of(*mpPump).Unwatch(std::exchange(state.watch, 0));
  return false;
}

size_t CTcpSocket::Send(std::string_view sData) {
  SState& state = *mpState;
  if (state.hSocket == INVALID_SOCKET) {
    throw std::runtime_error("not connected");
  }
  int iSent = send(state.hSocket, sData.data(),
                   static_cast<int>(std::min<size_t>(sData.size(), INT_MAX)), 0);
  if (iSent != SOCKET_ERROR) {
    return static_cast<size_t>(iSent);
  }
  int iError = WSAGetLastError();
  if (iError == WSAEWOULDBLOCK) {
    // The system reports FD_WRITE once it takes output again.
    state.fWritable = false;
    return 0;
  }
  throw std::runtime_error(SystemErrorText(static_cast<DWORD>(iError), " \r\n.", "Winsock error "));
}

bool CTcpSocket::WaitWritable(int64_t lDeadlineUs) {
  SState& state = *mpState;
  if (state.hSocket == INVALID_SOCKET) {
    return false;
  }
  mpPump->RunUntil(lDeadlineUs,
                   [&state] { return state.fWritable || state.fPeerClosed || state.fEnded; });
  return state.fWritable;
}

void CTcpSocket::Close() {
  SState& state = *mpState;
  if (state.watch != 0) {
    CWin32PumpPlatform::Of(*mpPump).Unwatch(std::exchange(state.watch, 0));
  }
  if (state.hSocket != INVALID_SOCKET) {
    closesocket(std::exchange(state.hSocket, INVALID_SOCKET));
  }
  if (state.hEvent != WSA_INVALID_EVENT) {
    WSACloseEvent(std::exchange(state.hEvent, WSA_INVALID_EVENT));
  }
  state.pArrived.reset();
  state.fEnded = false;
}

}  // namespace ksv940
