#pragma once

#include <memory>

#include "platform/CMessagePump.h"

namespace ksv940 {

/// For its lifetime, turns an interrupt or termination request (SIGINT, SIGTERM) into an event of
/// the thread's message pump instead of ending the process, so that a serving loop ends cleanly:
///   while (!stop.Received()) pump.ProcessMessages();
class CSimStopSignal {
 public:
  /// Failures raise std::system_error.
  CSimStopSignal();
  ~CSimStopSignal();
  CSimStopSignal(const CSimStopSignal&) = delete;
  CSimStopSignal& operator=(const CSimStopSignal&) = delete;

  /// The signal received, 0 while none.
  int Received() const { return miSignal; }

 private:
  std::shared_ptr<CMessagePump> mpPump;
  int miFd = -1;
  int miSignal = 0;
  CMessagePump::Id mWatch = 0;
  struct SMask;
  std::unique_ptr<SMask> mpOldMask;
};

}  // namespace ksv940
