#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sim/CSimScenario.h"

namespace ksv940 {

class CSimInstrument;
class CSimPty;

/// The simulated analyzer served inside the command's own process, for `--simulate`: it answers on
/// a pseudo-terminal through the thread's message pump, so it replies whenever the command waits
/// for a reply, exactly as a separate `ksv940 sim` would. The terminal's device is registered in
/// the thread's port map, so the plug-in reaches it like any serial port, by number.
class CInProcessSimulator {
 public:
  /// Starts the instrument with scenario on a new pseudo-terminal. Raises std::system_error when
  /// no terminal can be had.
  explicit CInProcessSimulator(CSimScenario scenario);
  /// Stops serving; the port number stays mapped to the terminal's device, which is gone.
  ~CInProcessSimulator();
  CInProcessSimulator(const CInProcessSimulator&) = delete;
  CInProcessSimulator& operator=(const CInProcessSimulator&) = delete;

  /// The port number the terminal is registered under.
  int32_t Port() const { return mlPort; }

 private:
  // Declared before the terminal, so that the terminal, which hands characters to the instrument,
  // goes first.
  std::unique_ptr<CSimInstrument> mpInstrument;
  std::unique_ptr<CSimPty> mpPty;
  int32_t mlPort = 0;
};

}  // namespace ksv940
