#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "app/record/IRunObserver.h"

namespace ksv940 {

class CPumpTimer;

/// What a person at the command sees of a run: while a step runs, a progress line on err
/// ("[3/12] Earth leakage, normal condition ..."), on a terminal rewritten in place each second
/// with the elapsed seconds and cleared when the step ends or a dialog needs the screen; when a
/// step ends, one line on out: index, name, the value as read, the state, the verdict and what
/// went wrong; when the run is over, its verdict and the steps counted as the last line on out.
class CRunConsole : public IRunObserver {
 public:
  /// fTerminal: err is a terminal, where the progress line is kept up to date in place. fUtf8:
  /// the terminal's characters are UTF-8, so units read as a person writes them (µA, Ω).
  CRunConsole(std::ostream& out, std::ostream& err, bool fTerminal, bool fUtf8 = false);
  ~CRunConsole() override;

  /// Whether stream is the process's standard output or error and that is a terminal.
  static bool IsTerminal(const std::ostream& stream);

  /// Whether the locale the environment names (LC_ALL, LC_CTYPE, LANG, the first one set) is a
  /// UTF-8 one.
  static bool Utf8Locale();

  /// The line out gets for a step that has ended; nNameWidth pads the name.
  std::string ResultLine(const SRunRecord& record, size_t nStep, size_t nNameWidth) const;

  /// A dialog or message box is about to be shown (true) or has gone (false).
  void Showing(bool fShowing);

  void Connecting(const SRunRecord& record) override;
  void Connected(const SRunRecord& record) override;
  void StepStarting(const SRunRecord& record, size_t nStep) override;
  void StepEnded(const SRunRecord& record, size_t nStep) override;
  void Finished(const SRunRecord& record) override;

 private:
  void Begin(const std::string& sText);
  void Draw();
  void Clear();
  /// Ends the progress line: cleared, forgotten, no more ticks.
  void End();

  std::ostream& mOut;
  std::ostream& mErr;
  bool mfTerminal;
  bool mfUtf8;
  std::unique_ptr<CPumpTimer> mpTicker;
  std::string msProgress;  // the running line's text; empty when none runs
  int64_t mlStartUs = 0;
  bool mfDrawn = false;
  int32_t mlShowing = 0;  // dialogs and message boxes now shown
  size_t mnShown = 0;     // dialogs and message boxes shown so far
  size_t mnShownAtConnect = 0;
};

}  // namespace ksv940
