#pragma once

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
  ecxFailure = 1,       ///< the operation failed; the operator's text is on stderr
  ecxUsage = 2,         ///< bad usage: unknown option, a value that is not a number...
  ecxUserAbort = 3,     ///< the operator aborted
  ecxNoInstrument = 4,  ///< the wireless connector found no instrument
  ecxOutOfLimits = 5    ///< every test completed, but a value is outside its limits
};

/// Adds one subcommand to the command line; its callback does the work and sets ctx.iExitCode.
using FAddCommand = void (*)(CLI::App& app, SCommandContext& ctx);

/// Builds the ksv940 command line from vCommands, parses the arguments (vArgs[0] is the program
/// name) and runs the chosen subcommand. Bad usage prints what is wrong and answers ecxUsage;
/// --help prints help and answers ecxOk.
int RunCommandLine(const std::vector<FAddCommand>& vCommands, const std::vector<std::string>& vArgs,
                   std::ostream& out, std::ostream& err);

}  // namespace ksv940
