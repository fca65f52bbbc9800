#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/IMtiPortLookup.h"
#include "platform/automation/CClassRegistry.h"
#include "platform/forms/IWindow.h"
#include "plugin/CKsvVti.h"
#include "sim/CSimInstrument.h"
#include "sim/CSimulatedLine.h"
#include "sim/CSimulatedPorts.h"
#include "testing/CSimWifiConnector.h"
#include "testing/CTestContext.h"

namespace ksv940::test {

/// The host's port look-up as a test sets it: it answers lPort and records each question.
class CFakePortLookup : public IMtiPortLookup {
 public:
  int32_t FindPort(const std::string& sModel, const std::string& sSerial) override {
    vAsked.push_back(sModel + "|" + sSerial);
    return lPort;
  }
  int32_t lPort = 0;
  std::vector<std::string> vAsked;
};

/// The host's test-guide window.
class CTestGuideWindowDouble : public IWindow {
 public:
  std::string WindowTitle() const override { return "Test guide"; }
};

/// How the simulated analyzer is reached.
enum ERigLink : int { erlSerial = 0, erlWireless = 1 };

/// A plug-in object as a host makes it, with a simulated KSV940 behind serial port 5 or behind a
/// wireless connector, on virtual time, with a scripted operator. It records every character the
/// host sent to the analyzer.
class CVtiRig {
 public:
  static constexpr int16_t kPort = 5;

  explicit CVtiRig(CSimScenario scenario = CSimScenario(), ERigLink erl = erlSerial);
  ~CVtiRig();

  /// The characters the analyzer received since the last call, with ESC as "\e".
  std::string TakeSent();
  /// Connects (on port 5 or the wireless connector) and forgets the handshake's traffic.
  void Connect();

  CTestContext ctx;
  std::shared_ptr<CSimulatedLine> pLine;
  CSimInstrument sim;
  std::shared_ptr<CSimulatedPorts> pPorts;
  std::shared_ptr<CClassRegistry> pRegistry;
  std::shared_ptr<CSimWifiConnector> pWifi;
  std::shared_ptr<CFakePortLookup> pLookup;
  CTestGuideWindowDouble guide;
  std::shared_ptr<CKsvVti> pVti;

 private:
  CContextScope mScope;
  std::string msSent;
};

}  // namespace ksv940::test
