#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "platform/forms/EOperatorAnswer.h"
#include "platform/forms/IFormView.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace ksv940 {

/// The operator views a command can show its dialogs with.
enum EOperatorView : int {
  eovTerminal = 0,  ///< a person at the terminal where the command runs
  eovAutomatic = 1  ///< nobody: answers given by the option itself
};

/// The --operator option of the commands that show dialogs:
///   terminal               keys C Continue, S Stop Test, K Skip, Ctrl-C Stop Test
///   auto                   Continue at once where a dialog has no countdown, else the countdown
///                          runs out
///   auto:BUTTON            that button (continue, stop or skip) at once
///   auto:BUTTON:SECONDS    that button after SECONDS whole seconds
class COperatorOption {
 public:
  static constexpr const char* kUsage =
      "terminal, auto, auto:BUTTON or auto:BUTTON:SECONDS (BUTTON continue, stop or skip; "
      "SECONDS a whole number from 0 to 86400)";

  COperatorOption() = default;
  COperatorOption(EOperatorView eov, EOperatorAnswer eoa, int64_t lAfterMs)
      : meovView(eov), meoaAnswer(eoa), mlAfterMs(lAfterMs) {}

  /// Reads an option value; raises std::invalid_argument naming the value and the accepted forms.
  static COperatorOption Parse(const std::string& sSpec);
  /// terminal when standard input is a terminal, else auto.
  static COperatorOption Default();
  /// Adds --operator to cmd, checked while the command line is parsed (a malformed value is a
  /// usage error); the given text lands in sSpec, which stays empty without the option.
  static CLI::Option* AddTo(CLI::App& cmd, std::string& sSpec);
  /// Parse(sSpec), or Default() for an empty sSpec.
  static COperatorOption FromText(const std::string& sSpec);

  /// The view: the terminal on standard input and output, or the automatic operator printing
  /// forms on out and message boxes on err.
  std::shared_ptr<IFormView> MakeView(std::ostream& out, std::ostream& err) const;

  bool operator==(const COperatorOption& other) const = default;

 private:
  EOperatorView meovView = eovTerminal;
  EOperatorAnswer meoaAnswer = eoaNone;
  int64_t mlAfterMs = 0;
};

}  // namespace ksv940
