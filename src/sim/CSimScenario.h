#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ksv940 {

/// The outlet's power and polarity as the simulated analyzer holds it.
enum ESimOutlet : int32_t { esoOff = 0, esoNormal = 1, esoReversed = 2 };

/// What a fault does to the reply of the command it is set on.
enum ESimFault : int32_t {
  esfLate,     ///< the reply comes lMs later than usual
  esfSilent,   ///< the command is ignored: not carried out, not answered
  esfGarbled,  ///< every character of the reply before its CR LF has its eighth bit flipped
  esfSplit,    ///< the first lSplitAt characters of the reply, then the rest lMs later
  esfError,    ///< "!" sText CR LF instead of the reply; the command is not carried out
  esfNoise,    ///< sText is sent just before the reply
  esfDrop      ///< the line goes dead: nothing more is answered (a TCP client is disconnected)
};

/// One fault: on the lOccurrence-th command that matches sCommand (0: on every one).
/// sCommand matches a received command line, compared without regard to case, that equals it
/// ("pol=off") or whose name before "=" equals it ("pol"); "esc" names the escape character.
struct SSimFault {
  std::string sCommand;
  int32_t lOccurrence = 0;
  ESimFault eFault = esfLate;
  int32_t lMs = 0;       ///< esfLate: the delay; esfSplit: the gap between the parts
  int32_t lSplitAt = 1;  ///< esfSplit: characters in the first part
  std::string sText;     ///< esfError: the code after "!"; esfNoise: the characters sent
  int32_t lSeen = 0;     ///< matching commands so far (counted by the instrument)
};

/// A scenario failed to parse; the message names the line.
class CSimScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The simulated analyzer's settings, its state at start, its readings and its faults.
///
/// As a text (the `ksv940 sim --scenario` file): one entry per line; blank lines and lines
/// starting with "#" are ignored; words are separated by blanks.
///
///   firmware TEXT            ident's firmware field (rest of the line)
///   serial TEXT              reply to "sn" (rest of the line)
///   pca-type TEXT            reply to "PCA_TYPE?": "1/0/2", or just the type: "2" gives "1/0/2"
///   remote on|off            in remote operation at start
///   remote-lock on|off       "local" is acknowledged but remote operation stays
///   outlet off|normal|reversed    the outlet at start
///   ground-fault on|off      ground fault interrupter tripped
///   over-voltage on|off      over-voltage detected
///   high-voltage on|off      high voltage active (bit 6 of status word 2)
///   status WORD HEX          extra bits always set in "stat", "stat1", "stat2" or "stat3"
///   latency MS               time from a command to its reply
///   stream MS                time between the readings of a stream
///   reading NAME VALUE...    readings of measurement NAME, in turn; the last one repeats
///   on COMMAND N|every FAULT [ARGS]
///       late MS | silent | garbled | split CHARS MS | error CODE | noise [TEXT] | drop
///
/// Noise text understands \r \n \t \\ and \xHH escapes.
class CSimScenario {
 public:
  std::string sFirmware = "1.20";
  std::string sSerial = "K9400123";
  std::string sPcaType = "1/0/1";
  bool fRemote = false;
  bool fRemoteLock = false;
  ESimOutlet eOutlet = esoOff;
  bool fGroundFault = false;
  bool fOverVoltage = false;
  bool fHighVoltage = false;
  std::array<uint16_t, 4> aiStatusBits{};  ///< extra bits of "stat", "stat1", "stat2", "stat3"
  int32_t lLatencyMs = 3;
  int32_t lStreamMs = 200;
  std::map<std::string, std::vector<std::string>> readings;  ///< by measurement, lower case
  std::vector<SSimFault> vFaults;

  /// Adds one fault; answers the scenario for chaining.
  CSimScenario& On(std::string sCommand, int32_t lOccurrence, ESimFault eFault, int32_t lMs = 0,
                   std::string sText = {}, int32_t lSplitAt = 1);

  /// Sets the readings of a measurement (its command name, such as "earthl" or "mains").
  CSimScenario& Reading(std::string sMeasurement, std::vector<std::string> vValues);

  /// "1/0/2" stays; a text without "/" is the type: "2" gives "1/0/2".
  static std::string PcaTypeReply(const std::string& sType);

  /// Parses the text format above. A malformed line raises CSimScenarioError whose message is
  /// "sName:LINE: reason", as a plan's faults read.
  static CSimScenario Parse(std::string_view sText, const std::string& sName = "scenario");
  /// Reads and parses a file; an unreadable file raises CSimScenarioError too, with the system's
  /// reason.
  static CSimScenario Load(const std::string& sPath);

 private:
  void ApplyLine(std::string_view sLine);
};

}  // namespace ksv940
