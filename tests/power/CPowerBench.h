#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/CInstrumentLink.h"
#include "model/CAbortFlags.h"
#include "model/CKsvTestOptions.h"
#include "platform/forms/IWindow.h"
#include "power/CPowerConfig.h"
#include "power/CPowerSequencer.h"
#include "sim/CSimInstrument.h"
#include "sim/CSimulatedLine.h"
#include "sim/CSimulatedPorts.h"
#include "testing/CSimWifiConnector.h"
#include "testing/CTempDir.h"
#include "testing/CTestContext.h"
#include "testing/CTraceRecorder.h"

namespace ksv940::test {

/// The host's test-guide window as the owner of the dialogs.
class CTestGuide : public IWindow {
 public:
  std::string WindowTitle() const override { return "Test Guide"; }
};

/// One command as the instrument received it: its text with its line end, and when its first
/// character arrived (virtual microseconds).
struct SReceived {
  std::string sBytes;
  int64_t lAtUs = 0;
};

/// A power sequencer on virtual time with the simulated analyzer at the far end of its link:
/// on serial port 5 through the channel, or through the test's wireless connector. The analyzer
/// starts in remote operation; the outlet flag of the stop dialogs starts off; no setting puts the
/// dialogs on top. Every dialog goes to the context's scripted operator.
class CPowerBench {
 public:
  static constexpr int32_t kPort = 5;

  explicit CPowerBench(bool fWireless = false, CSimScenario scenario = CSimScenario());
  ~CPowerBench();
  CPowerBench(const CPowerBench&) = delete;
  CPowerBench& operator=(const CPowerBench&) = delete;

  /// The commands the instrument received, each with its line end, in one text.
  std::string Bytes() const;
  /// When the command sBytes (with its line end) began to arrive for the nth time (0 first); -1
  /// when it did not.
  int64_t ArrivedUs(const std::string& sBytes, int nOccurrence = 0) const;
  /// Every dialog shown, in order, as a short name of what it said (see the test file), each
  /// checked for its owner and its fixed texts.
  std::vector<std::string> Shown();
  /// The operator continues every stop dialog after a second and lets every wait dialog run out,
  /// except the iStopAt-th dialog (0 first), where the operator chooses Stop Test after half a
  /// second. vShown are the names the dialogs are expected to get.
  void Answer(const std::vector<std::string>& vShown, int iStopAt = -1);

  CTestContext ctx;
  CTempDir dir;
  std::shared_ptr<CTraceRecorder> pTrace = std::make_shared<CTraceRecorder>();
  std::shared_ptr<CSimulatedLine> pLine;
  std::shared_ptr<CSimulatedPorts> pPorts = std::make_shared<CSimulatedPorts>();
  CSimInstrument sim;
  std::shared_ptr<CSimWifiConnector> pWifi;
  CInstrumentLink link;
  CPowerConfig power;
  CKsvTestOptions options;
  CAbortFlags flags;
  CPowerSequencer seq;
  CTestGuide owner;

 private:
  std::vector<SReceived> mvReceived;
  bool mfLineOpen = false;
};

/// The scenario of the tests: the analyzer in remote operation with its outlet as given.
CSimScenario RemoteScenario(ESimOutlet eso = esoOff);

}  // namespace ksv940::test
