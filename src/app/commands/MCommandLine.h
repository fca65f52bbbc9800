#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/run/ECommandExit.h"
#include "app/run/SCommandContext.h"

namespace CLI {
class App;
}

namespace ksv940 {

/// Adds one subcommand to the command line; its callback does the work and sets ctx.iExitCode.
using FAddCommand = void (*)(CLI::App& app, SCommandContext& ctx);

/// Builds the ksv940 command line from vCommands, parses the arguments (vArgs[0] is the program
/// name) and runs the chosen subcommand. Bad usage prints what is wrong and answers ecxUsage;
/// --help prints help and answers ecxOk.
int RunCommandLine(const std::vector<FAddCommand>& vCommands, const std::vector<std::string>& vArgs,
                   std::ostream& out, std::ostream& err);

}  // namespace ksv940
