#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/console/CTestGuideWindow.h"
#include "app/plan/COptionSettings.h"
#include "app/record/SRunRecord.h"
#include "app/run/SCommandContext.h"
#include "platform/core/CContext.h"

namespace CLI {
class App;
}

namespace ksv940 {

class CKsvVti;
class CCountingMessageBox;
class CStopSignal;

/// The options every command that drives the plug-in takes: --operator, --trace FILE and
/// --set NAME=VALUE.
struct SHostOptions {
  std::string sOperator;
  std::string sTrace;
  COptionSettings settings;

  /// Adds the three options to cmd.
  void AddTo(CLI::App& cmd);
};

/// What such a command sets up, as the host does: the operator's view of dialogs and message
/// boxes, the trace, the class registry with the component and its wireless connector (talking to
/// a bridge at sWifiAddress when one is given), and the plug-in object, created by its ProgID,
/// with the command's test options. Everything lasts as long as the session. An interrupt (Ctrl-C)
/// or termination request aborts the running operation as the host's Abort does; a second one
/// ends the process at once.
class CHostSession {
 public:
  /// Raises an automation error that says what is wrong with the options (an unreadable trace
  /// file, a malformed operator).
  CHostSession(const SHostOptions& options, SCommandContext& ctx,
               const std::string& sWifiAddress = {});
  ~CHostSession();

  CKsvVti& Vti() { return *mpVti; }
  IWindow& TestGuide() { return mTestGuide; }
  /// How many message boxes the operator has been shown so far.
  size_t MessageBoxesShown() const;

  /// The exit code and the words for a failure of a plug-in operation: a user abort is
  /// ecxUserAbort; any other failure ecxFailure; told on err as TellFailure tells it.
  int ExitFor(const std::exception_ptr& pFailure, size_t lBoxesBefore, SCommandContext& ctx) const;

  /// Tells a failure on err, as the operator has not read it yet: a user abort as "ksv940: stopped
  /// by the operator"; any other with its text, unless a message box has been shown since
  /// lBoxesBefore (it then told the operator already).
  void TellFailure(const SRunError& error, size_t lBoxesBefore, std::ostream& err) const;

  /// What the first interrupt does instead of the host's Abort; an empty function restores
  /// Abort. The second interrupt still ends the process at once.
  void OnInterrupt(std::function<void()> fnInterrupt) { mfnOnInterrupt = std::move(fnInterrupt); }

 private:
  CContextScope mScope;
  std::shared_ptr<CCountingMessageBox> mpBoxes;
  CTestGuideWindow mTestGuide;
  std::shared_ptr<CKsvVti> mpVti;
  std::unique_ptr<CStopSignal> mpStop;
  bool mfInterrupted = false;
  std::function<void()> mfnOnInterrupt;
};

}  // namespace ksv940
