#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace ksv940 {

class CKsvTestOptions;

/// The "--set NAME=VALUE" option of the commands that take test options: NAME is a property of
/// CKsvTestOptions (any case), VALUE an integer for numbers and enumerations, true/false or -1/0
/// for booleans. Each setting is checked while the command line is parsed, so a bad one is a usage
/// error that says what is wrong.
class COptionSettings {
 public:
  /// Adds the repeatable option to cmd.
  void AddTo(CLI::App& cmd);

  /// Applies the settings in the order given; a later setting of a property wins.
  void ApplyTo(CKsvTestOptions& options) const;
  /// Applies checked "NAME=VALUE" settings (a plan's own, these) in the order given.
  static void Apply(const std::vector<std::string>& vSettings, CKsvTestOptions& options);

  /// What is wrong with one "NAME=VALUE" setting; the empty text when it is good.
  static std::string Problem(const std::string& sSetting);

 private:
  std::vector<std::string> mvSettings;
};

}  // namespace ksv940
