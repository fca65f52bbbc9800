#pragma once

#include <cstddef>
#include <memory>

#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/core/IClock.h"
#include "sim/CSimulatedPorts.h"

namespace ksv940::fuzz {

class CFuzzView;

/// The surroundings of one fuzz run, on virtual time: a simulated clock and a pump on it, a fresh
/// text service, serial ports that lead to in-process lines, a class registry with the host's
/// classes, the component and a wireless connector, and an automatic operator that answers every
/// dialog and counts the message boxes. Everything goes with the object.
class CFuzzContext {
 public:
  CFuzzContext();
  ~CFuzzContext();

  CSimulatedClock& Clock() { return *mpClock; }
  CMessagePump& Pump() { return *mpPump; }
  CSimulatedPorts& Ports() { return *mpPorts; }
  /// Message boxes shown so far.
  size_t MessageBoxes() const;

 private:
  std::shared_ptr<CSimulatedClock> mpClock;
  std::shared_ptr<CMessagePump> mpPump;
  std::shared_ptr<CSimulatedPorts> mpPorts;
  std::shared_ptr<CFuzzView> mpView;
  CContextScope mScope;
};

}  // namespace ksv940::fuzz
