#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sim/CSimScenario.h"

namespace CLI {
class App;
}

namespace ksv940 {

class CInProcessSimulator;

/// How a command reaches the analyzer: --port DEVICE|NUMBER, --wifi HOST:PORT or --simulate
/// (with --scenario FILE for the simulated analyzer's settings and faults).
struct SLinkOptions {
  std::string sPort;
  std::string sWifi;
  bool fSimulate = false;
  std::string sScenario;

  /// Adds the three options to cmd, and --scenario when fScenario. Which of them is required is
  /// the command's own rule; --wifi must be HOST:PORT with a port from 1 to 65535.
  void AddTo(CLI::App& cmd, bool fScenario);
  /// How many of --port, --wifi and --simulate are given.
  int Given() const;
};

/// The link a command opens: the port number InitRemote takes (the simulated analyzer of
/// --simulate is started here, in this process, on a pseudo-terminal) and how a report names it:
/// "serial:" and the device, "wireless:HOST:PORT" or "simulated".
class CLinkSetup {
 public:
  /// simulated is the simulated analyzer's scenario where --scenario gives none. Raises
  /// CAutomationError for a port that names nothing usable, CSimScenarioError for a malformed
  /// scenario, std::system_error when the simulated analyzer cannot start.
  explicit CLinkSetup(const SLinkOptions& options, CSimScenario simulated = {});
  ~CLinkSetup();
  CLinkSetup(const CLinkSetup&) = delete;
  CLinkSetup& operator=(const CLinkSetup&) = delete;

  int16_t Port() const { return miPort; }
  const std::string& Description() const { return msDescription; }
  /// Whether the link is the wireless bridge's.
  bool Wireless() const { return !msBridge.empty(); }
  /// Why the link itself cannot be used, asked after a connection that failed or found no
  /// analyzer, in the system's words: a bridge that cannot be reached, a serial device given by
  /// its path that cannot be opened. Empty when it can, and for a port given by number or the
  /// simulated analyzer.
  std::string Problem() const;

 private:
  std::unique_ptr<CInProcessSimulator> mpSimulator;
  int16_t miPort = -1;
  std::string msDescription;
  std::string msBridge;  // HOST:PORT of --wifi
  std::string msDevice;  // the device of --port DEVICE
};

}  // namespace ksv940
