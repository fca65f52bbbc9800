#pragma once

#include <functional>
#include <memory>

#include "platform/core/CMessagePump.h"

namespace ksv940 {

/// For its lifetime, turns an interrupt or termination request (SIGINT, SIGTERM) into an event of
/// the thread's message pump instead of ending the process, so that a serving loop ends cleanly
///   while (!stop.Received()) pump.ProcessMessages();
/// and a running operation can be aborted the way the host aborts it (fnOnSignal).
class CStopSignal {
 public:
  /// fnOnSignal, when given, runs from the pump at each request. Failures raise
  /// std::system_error.
  explicit CStopSignal(std::function<void()> fnOnSignal = {});
  ~CStopSignal();
  CStopSignal(const CStopSignal&) = delete;
  CStopSignal& operator=(const CStopSignal&) = delete;

  /// The signal received, 0 while none.
  int Received() const { return miSignal; }

 private:
  std::shared_ptr<CMessagePump> mpPump;
  int miFd = -1;
  int miSignal = 0;
  CMessagePump::Id mWatch = 0;
  struct SMask;
  std::unique_ptr<SMask> mpOldMask;
  std::function<void()> mfnOnSignal;
};

}  // namespace ksv940
