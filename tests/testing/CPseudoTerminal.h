#pragma once

#include <string>

namespace ksv940::test {

/// A pseudo-terminal pair for tests that put the operating system's serial layer under test: the
/// device path of the terminal end (what a serial control opens) and the far end's descriptor,
/// where a test plays the instrument. The terminal end is also held open by the pair itself, so
/// that the far end stays usable while no control has it open.
class CPseudoTerminal {
 public:
  CPseudoTerminal();
  ~CPseudoTerminal();
  CPseudoTerminal(const CPseudoTerminal&) = delete;
  CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

  const std::string& DevicePath() const { return msPath; }
  /// The far end, non-blocking.
  int FarEnd() const { return miMaster; }
  /// A descriptor of the terminal end that reads nothing (for looking at its settings).
  int Anchor() const { return miAnchor; }

  /// Writes all of sBytes at the far end.
  void Write(const std::string& sBytes);
  /// Everything waiting at the far end now.
  std::string ReadAvailable();
  /// Closes the far end: the line hangs up.
  void CloseFarEnd();

 private:
  int miMaster = -1;
  int miAnchor = -1;
  std::string msPath;
};

}  // namespace ksv940::test
