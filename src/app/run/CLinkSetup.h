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
  /// the command's own rule.
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

 private:
  std::unique_ptr<CInProcessSimulator> mpSimulator;
  int16_t miPort = -1;
  std::string msDescription;
};

}  // namespace ksv940
