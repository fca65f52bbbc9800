#pragma once

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace ksv940::test {

/// A bridge on loopback that the test plays: it listens on a free port of 127.0.0.1 (msAddress,
/// "127.0.0.1:PORT") and takes one connection when told to, which replaces the one it had; until
/// then a connection waits in its queue and nobody reads what it sends.
class CLoopbackBridge {
 public:
  CLoopbackBridge() {
    miListener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t nLength = sizeof address;
    bind(miListener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(miListener, 1);
    getsockname(miListener, reinterpret_cast<sockaddr*>(&address), &nLength);
    msAddress = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  }
  ~CLoopbackBridge() {
    if (miClient >= 0) {
      close(miClient);
    }
    close(miListener);
  }
  // The connection a connector made (it is queued once ConnectWireless has returned); commands and
  // replies are short lines, so nothing holds small writes back.
  int Accept() {
    if (miClient >= 0) {
      close(miClient);
    }
    miClient = accept4(miListener, nullptr, nullptr, SOCK_CLOEXEC);
    int iOne = 1;
    setsockopt(miClient, IPPROTO_TCP, TCP_NODELAY, &iOne, sizeof iOne);
    return miClient;
  }
  int Listener() const { return miListener; }
  int Client() const { return miClient; }
  void Send(const std::string& sBytes) const {
    ASSERT_EQ(send(miClient, sBytes.data(), sBytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(sBytes.size()));
  }

  std::string msAddress;

 private:
  int miListener = -1;
  int miClient = -1;
};

}  // namespace ksv940::test
