#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/core/CMessagePump.h"
#include "platform/serial/ISerialControl.h"

namespace ksv940 {

/// The hidden form that carries what the instrument link needs: the serial control `mComm` and
/// the timer `tmr`. Each user of the link (the channel, the discovery query) owns its own form.
/// Making the form loads it: the thread's serial control factory makes the control. Destroying it
/// unloads it: the control closes a port that is still open.
class FPort {
 public:
  /// fnTimeOut receives the form's TimeOut event, raised through the thread's message pump each
  /// time the timer fires. The form does not stop the timer itself.
  explicit FPort(std::function<void()> fnTimeOut);
  ~FPort();
  FPort(const FPort&) = delete;
  FPort& operator=(const FPort&) = delete;

  /// The serial control.
  ISerialControl& Comm();

  /// Disables the timer, sets its interval to lTmOut milliseconds and enables it, so a running
  /// count restarts. An interval the timer cannot take (a negative one) is ignored: the timer is
  /// enabled with the interval it had before. Never raises.
  void StartTimer(int32_t lTmOut);
  /// Disables the timer. Never raises.
  void StopTimer();

 private:
  void tmr_Timer();

  std::unique_ptr<ISerialControl> mComm;
  CPumpTimer tmr;
  std::function<void()> mfnTimeOut;
};

}  // namespace ksv940
