#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/core/CMessagePump.h"

namespace ksv940::test {

/// The far end of a real transport (a pseudo-terminal, a socket, a pipe) in a real-time test:
/// what arrives is collected by the thread's message pump, so a simulator on the same pump is
/// served while the test waits.
class CSimTestClient {
 public:
  /// Takes ownership of iFd and makes it non-blocking.
  explicit CSimTestClient(int iFd);
  ~CSimTestClient();
  CSimTestClient(const CSimTestClient&) = delete;
  CSimTestClient& operator=(const CSimTestClient&) = delete;

  void Write(std::string_view sBytes);
  /// Runs the pump until fnDone holds or lMs have passed; answers fnDone().
  bool RunUntil(const std::function<bool()>& fnDone, int64_t lMs);
  /// Waits up to lMs for nLines lines ended by CR LF; answers and forgets what arrived.
  std::string TakeLines(int nLines, int64_t lMs = 1000);
  /// What arrived and was not taken yet.
  const std::string& Received() const { return msIn; }
  /// True once the other end closed the connection.
  bool Closed() const { return mfClosed; }
  int64_t NowMs() const { return mpPump->Clock().NowMs(); }

 private:
  std::shared_ptr<CMessagePump> mpPump;
  int miFd;
  CMessagePump::Id mWatch;
  std::string msIn;
  bool mfClosed = false;
};

/// A socket connected to 127.0.0.1:iPort, or -1.
int ConnectLoopback(uint16_t iPort);

}  // namespace ksv940::test
