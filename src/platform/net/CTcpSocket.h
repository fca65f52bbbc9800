#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/core/CMessagePump.h"

namespace ksv940 {

/// A TCP client connection that never blocks the thread: connecting, and waiting until the
/// system takes more output, run the thread's message pump, and what arrives is announced from
/// the pump. Sends without delay (no coalescing of small writes). On Linux a non-blocking socket
/// whose descriptor the pump polls; on Windows a non-blocking Winsock socket whose network events
/// signal an event the pump waits on.
class CTcpSocket {
 public:
  CTcpSocket();
  ~CTcpSocket();
  CTcpSocket(const CTcpSocket&) = delete;
  CTcpSocket& operator=(const CTcpSocket&) = delete;

  /// Closes any earlier connection, then connects to sHost (a name or an address) at sPort (a
  /// number or a service name), trying each address the name resolves to until lDeadlineUs (on
  /// the pump's clock), and answers whether a connection was made. From then on fnArrived runs
  /// from the pump whenever something has arrived or the connection has ended, until Receive has
  /// reported the end or the socket is closed; the handler must call Receive.
  bool Connect(const std::string& sHost, const std::string& sPort, int64_t lDeadlineUs,
               std::function<void()> fnArrived);
  /// Why the last Connect made no connection, in the system's words: the resolver's for a name it
  /// cannot find, else the reason of the last address tried ("Connection refused", "No route to
  /// host", "Connection timed out" when the deadline passed); empty after a connection.
  const std::string& ConnectFailure() const { return msConnectFailure; }
  bool IsOpen() const;
  /// Appends to sData what has arrived, at most nMax characters; nothing when nothing is
  /// waiting. Answers false once the connection has ended (the peer closed it, or it failed).
  bool Receive(std::string& sData, size_t nMax);
  /// Hands the system as much of sData as it takes now and answers how many characters that
  /// were (0: none for now). Raises std::runtime_error naming the cause when the connection
  /// refuses it (not open, reset by the peer, ...).
  size_t Send(std::string_view sData);
  /// Serves the pump until the system takes output again (after a Send that took less than it was
  /// given) or the clock reaches lDeadlineUs; answers whether it does.
  bool WaitWritable(int64_t lDeadlineUs);
  /// Ends the connection; nothing more is announced.
  void Close();

 private:
  struct SState;
  std::shared_ptr<CMessagePump> mpPump;
  std::unique_ptr<SState> mpState;
  std::string msConnectFailure;
};

}  // namespace ksv940
