#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace ksv940 {

/// What a subcommand writes to and how it ends.
struct SCommandContext {
  std::ostream& out;
  std::ostream& err;
  int iExitCode = 0;
};

/// Exit codes of the ksv940 command.
enum ECommandExit : int {
  ecxOk = 0,
  ecxFailure = 1,      ///< the operation failed; the operator's text is on stderr
  ecxUsage = 2,        ///< bad usage: unknown option, a value that is not a number...
  ecxUserAbort = 3,    ///< the operator aborted
  ecxNoInstrument = 4  ///< the wireless connector found no instrument
};

/// The subcommands of the ksv940 command. Each subcommand's file registers itself with a static
/// CRegisterCommand; Run builds the command line from all of them.
class CCommandRegistry {
 public:
  /// Adds the subcommand to app; its callback does the work and sets ctx.iExitCode.
  using FSetup = std::function<void(CLI::App& app, SCommandContext& ctx)>;

  static void Add(std::string sName, FSetup fnSetup);

  /// Parses the arguments and runs the chosen subcommand. Bad usage prints what is wrong and
  /// answers ecxUsage; --help prints help and answers ecxOk.
  static int Run(const std::vector<std::string>& vArgs, std::ostream& out, std::ostream& err);
};

/// Registers a subcommand from a static object in the subcommand's file.
struct CRegisterCommand {
  CRegisterCommand(std::string sName, CCommandRegistry::FSetup fnSetup) {
    CCommandRegistry::Add(std::move(sName), std::move(fnSetup));
  }
};

}  // namespace ksv940
