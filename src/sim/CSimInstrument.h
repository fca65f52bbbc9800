#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/CMessagePump.h"
#include "sim/CSimScenario.h"

namespace ksv940 {

class CSimulatedLine;

/// The KSV940 analyzer as its serial protocol shows it, timed on the message pump of the thread
/// (and context scope) that constructs it.
///
/// Commands are lines ended by CR (an LF, alone or after a CR, ends a line too; empty lines are
/// ignored); commands are accepted in any case. The escape character is a command by itself the
/// moment it arrives: it stops a stream of readings and is acknowledged "*" CR LF; the CR LF the
/// host sends after it is an empty line. Every reply is sent the scenario's latency after the end
/// of its command; "mread" answers one reading at once and then one every stream interval until
/// the escape character, "local", "exit" or a newly selected measurement.
///
/// Outside remote operation only the escape character, the status words, "remote", "local",
/// "ident", "sn", "PCA_TYPE?", "gfir" and "ovr" are served; every other known command answers
/// "!31". A tripped ground fault interrupter (over-voltage) switches the outlet off and makes
/// every command but those answer "!50" ("!51") until "gfir" ("ovr"). Unknown commands and
/// values answer "!30"; "read" and "mread" without a selected measurement answer "!35".
class CSimInstrument {
 public:
  explicit CSimInstrument(CSimScenario scenario = CSimScenario());
  ~CSimInstrument();
  CSimInstrument(const CSimInstrument&) = delete;
  CSimInstrument& operator=(const CSimInstrument&) = delete;

  /// Where the instrument's characters go (a transport sets it).
  void SetOutput(std::function<void(std::string_view)> fnOutput);
  /// Called once when a drop fault kills the line (the TCP transport closes its client).
  void SetOnDrop(std::function<void()> fnDrop);
  /// Sees every character in both directions: fFromHost true for what the host sent.
  void SetMonitor(std::function<void(bool fFromHost, std::string_view sBytes)> fnMonitor);
  /// Characters from the host.
  void Receive(std::string_view sBytes);

  /// Connects the instrument to the peer end of an in-process line (until Detach or destruction;
  /// the line must outlive the attachment).
  void Attach(CSimulatedLine& line);
  void Detach();

  /// The live scenario: settings and faults may be changed at any time. Its state settings
  /// (remote, outlet, ground fault, over-voltage) follow what the commands do.
  CSimScenario& Scenario() { return mScenario; }

  /// Every command received, in order, as sent without its line end ("\x1b" for the escape).
  const std::vector<std::string>& Commands() const { return mvCommands; }
  /// The selected measurement (its command name, lower case), or empty at the main menu.
  const std::string& Measurement() const { return msMeasurement; }
  /// The status word answered to "stat" (0), "stat1" (1), "stat2" (2) or "stat3" (3).
  uint16_t StatusWord(int iWord) const;

 private:
  void HandleLine(const std::string& sLine);
  std::string Execute(const std::string& sLine, bool& fStartsStream);
  std::string Select(const std::string& sMeasurement);
  std::string NextReading();
  void StartStream();
  void StopStream();
  void SendLater(int64_t lDelayMs, std::string sBytes, bool fStartsStream);
  void Send(std::string_view sBytes);
  void Drop();

  std::shared_ptr<CMessagePump> mpPump;
  CSimScenario mScenario;
  std::function<void(std::string_view)> mfnOutput;
  std::function<void()> mfnDrop;
  std::function<void(bool, std::string_view)> mfnMonitor;
  CSimulatedLine* mpLine = nullptr;

  std::string msLine;
  std::vector<std::string> mvCommands;
  std::string msMeasurement;
  size_t mnReading = 0;
  bool mfDropped = false;
  bool mfStreamArmed = false;  // "mread" answered or about to be: its stream follows the reply
  CMessagePump::Id mStreamTimer = 0;
  std::set<CMessagePump::Id> mPending;
};

}  // namespace ksv940
