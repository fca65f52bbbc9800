#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hostapi/IMtiPortLookup.h"
#include "platform/automation/CClassRegistry.h"
#include "platform/forms/IWindow.h"
#include "plugin/CKsvVti.h"
#include "sim/CSimInstrument.h"
#include "sim/CSimulatedLine.h"
#include "sim/CSimulatedPorts.h"
#include "testing/CLoopbackBridge.h"
#include "testing/CSimWifiConnector.h"
#include "testing/CTestContext.h"
#include "testing/CTraceRecorder.h"

namespace ksv940::test {

/// The host's test-guide window, owner of the operator's dialogs.
class CTestGuide : public IWindow {
 public:
  std::string WindowTitle() const override { return "Test guide"; }
};

/// The host's port look-up: it answers lPort and records each question as "model|serial".
class CFakePortLookup : public IMtiPortLookup {
 public:
  int32_t FindPort(const std::string& sModel, const std::string& sSerial) override {
    vAsked.push_back(sModel + "|" + sSerial);
    return lPort;
  }
  int32_t lPort = 0;
  std::vector<std::string> vAsked;
};

/// How the analyzer is reached: serial port 5; the tests' wireless connector; or our bridge client
/// (CWifiBridgeConnector) on a loopback socket whose far end the rig serves as a bridge does,
/// passing the bytes to and from the analyzer's serial line.
enum ERigLink : int { erlSerial = 0, erlWireless = 1, erlBridge = 2 };

/// The far end answers what the test scripts (Queue, Answer) instead of being the simulator.
struct SScripted {};
inline constexpr SScripted kScripted{};

/// The scenario rig: virtual time with a scripted operator (CTestContext); a simulated line whose
/// far end is the in-process simulated KSV940 (or, with kScripted, the replies the test scripts),
/// behind serial port 5, the tests' wireless connector or a loopback bridge; a trace recorder; a
/// settings store without the on-top setting; the host's class registry with the component
/// registered and the port look-up; and a plug-in object made by its ProgID, as a host makes it.
/// It records every line that reaches the analyzer, and when.
class CRig {
 public:
  static constexpr int16_t kPort = 5;

  /// One line as it reached the analyzer, CR LF included, and when its first and its last
  /// character arrived. An escape character followed by anything but CR is a line of its own.
  struct SLine {
    std::string sLine;
    int64_t lStartUs;
    int64_t lAtUs;
  };

  explicit CRig(CSimScenario scenario = CSimScenario(), ERigLink erl = erlSerial);
  explicit CRig(SScripted);
  ~CRig();
  CRig(const CRig&) = delete;
  CRig& operator=(const CRig&) = delete;

  /// Sets the plug-in object's test options by name: "StopBeforeNewPC=-1 DelayTimePowerOff=3".
  void Set(const std::string& sSettings);
  /// Runs a test as the host does, with AP and NAP texts; a failure is left to the caller.
  void Run(int32_t etc, int32_t epc, const std::string& sAP = "all", const std::string& sNAP = "");

  /// Connects the plug-in object (port 5 or wirelessly) and forgets the handshake's
  /// traffic, dialogs and connector calls.
  void Connect();
  /// The characters that reached the analyzer since the last call, ESC written "\e".
  std::string TakeSent();
  /// The lines that reached the analyzer since the last call and the dialogs shown meanwhile, in
  /// the order they happened, blank-separated: lines without CR LF, ESC written "\e", dialogs
  /// named in brackets by DialogName ("std=none earthl [wait ON 2s] mread \e"). fPower keeps only
  /// what concerns the outlet: the dialogs, status word 2 and the polarity commands.
  std::string TakeTranscript(bool fPower = false);
  const std::vector<SLine>& Lines() const { return mvLines; }

  /// The reply to the next line that arrives, written lDelayMs after it; nullopt is silence.
  void Queue(std::optional<std::string> sReply, int64_t lDelayMs = 0);
  /// The reply to every arrival of sCommand (without CR LF) once the queue is empty.
  void Answer(const std::string& sCommand, const std::string& sReply);
  /// Writes sBytes towards the host at virtual time lAtUs, unasked.
  void SendAt(int64_t lAtUs, const std::string& sBytes);
  /// Writes one of vLines every lPeriodMs, the first at lStartUs + lPeriodMs.
  void Stream(int64_t lStartUs, int64_t lPeriodMs, const std::vector<std::string>& vLines);

  int64_t Now() const { return ctx.NowUs(); }
  /// Runs fn at virtual time lAtUs.
  void At(int64_t lAtUs, std::function<void()> fn);
  /// When the nth character written at lStartUs (default: now) has arrived, in whole
  /// microseconds as the pump counts them.
  int64_t ArrivalUs(size_t nChars, int64_t lStartUs = -1) const;

  CTestContext ctx;
  std::shared_ptr<CTraceRecorder> pTrace;
  std::shared_ptr<CSimulatedLine> pLine;
  std::shared_ptr<CSimulatedPorts> pPorts;
  CSimInstrument sim;
  std::shared_ptr<CSimWifiConnector> pWifi;
  std::shared_ptr<CFakePortLookup> pLookup;
  std::shared_ptr<CClassRegistry> pRegistry;
  CTestGuide guide;
  std::shared_ptr<CKsvVti> pVti;
  /// With erlBridge, the bridge's address ("127.0.0.1:PORT"), which serves one client at a time.
  std::string sBridgeAddress;

 private:
  struct SReply {
    std::optional<std::string> sReply;
    int64_t lDelayMs = 0;
  };
  void OnArrival(std::string_view sBytes);
  void Reply(const SReply& reply);
  void ServeBridge();

  ERigLink mErl;
  bool mfScripted = false;
  std::unique_ptr<CLoopbackBridge> mpBridge;  // with erlBridge
  uint64_t mListenWatch = 0;
  uint64_t mClientWatch = 0;
  std::shared_ptr<CSimulatedLine> mpNowhere;
  std::vector<SLine> mvLines;
  std::string msPartial;
  int64_t mlPartialStartUs = 0;
  std::string msSent;
  size_t mnTranscribedLines = 0;
  size_t mnTranscribedForms = 0;
  std::deque<SReply> mQueue;
  std::map<std::string, SReply> mAnswers;
};

/// What an operator dialog said, by its exact texts: "before OFF to ON", "before ON to OFF",
/// "before ON to OFF to ON", "before (no change)"; "after ON", "after OFF"; "wait ON 2s",
/// "wait OFF 3s" (the power is now ON/OFF, the test pauses N seconds), "switch-off 3s" (the DUT
/// will switch off after N seconds); "no resistance". Anything else, another owner than the test
/// guide, or a countdown left alone that did not last its seconds is named as such.
std::string DialogName(const SRecordedForm& form);

}  // namespace ksv940::test
