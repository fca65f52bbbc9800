#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "platform/core/CMessagePump.h"

namespace ksv940 {

/// An in-memory serial line between the component (the host end) and an in-process instrument
/// (the peer end), timed on the thread's message pump. Each end has its own transmitter: the
/// characters written at one end arrive at the other one after another, each a character time
/// (ten bits at the line's baud rate, 86.8 us at 115200) after the one before, in order.
class CSimulatedLine {
 public:
  enum EEnd : int { eslHost = 0, eslPeer = 1 };

  explicit CSimulatedLine(int32_t lBaud = 115200);
  ~CSimulatedLine();
  CSimulatedLine(const CSimulatedLine&) = delete;
  CSimulatedLine& operator=(const CSimulatedLine&) = delete;

  /// Queues characters at end eFrom. Writing at an end whose other side has no receiver still
  /// takes the characters' time; they are then lost, as on a cable with nothing at its far end.
  void Write(EEnd eFrom, std::string_view sBytes);
  /// Characters written at eFrom and not yet arrived at the other end.
  size_t Pending(EEnd eFrom) const { return mDirection[eFrom].queue.size(); }
  /// fnReceive is called with the characters that arrive at end eAt, in batches, in order.
  void SetReceiver(EEnd eAt, std::function<void(std::string_view)> fnReceive);
  /// The character time in nanoseconds.
  int64_t CharacterTimeNs() const { return mlCharNs; }

 private:
  struct SDirection {
    std::deque<std::pair<int64_t, char>> queue;  // arrival time (ns) and character
    int64_t lLastArrivalNs = 0;
    CMessagePump::Id timer = 0;
    std::function<void(std::string_view)> fnReceive;
  };

  void Deliver(EEnd eFrom);
  void Schedule(EEnd eFrom);

  std::shared_ptr<CMessagePump> mpPump;
  int64_t mlCharNs;
  SDirection mDirection[2];
};

}  // namespace ksv940
