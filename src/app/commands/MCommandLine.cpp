#include "app/commands/MCommandLine.h"

#include <CLI/CLI.hpp>

namespace ksv940 {

int RunCommandLine(const std::vector<FAddCommand>& vCommands, const std::vector<std::string>& vArgs,
                   std::ostream& out, std::ostream& err) {
  CLI::App app(
      "ksv940: drives a KSV940 electrical safety analyzer through its virtual test "
      "instrument",
      "ksv940");
  app.require_subcommand(1);
  SCommandContext ctx{out, err, ecxOk};
  for (FAddCommand fnAdd : vCommands) {
    fnAdd(app, ctx);
  }
  // CLI11 takes the arguments in reverse order, without the program name.
  std::vector<std::string> vReversed(vArgs.rbegin(), vArgs.rend());
  if (!vReversed.empty()) {
    vReversed.pop_back();
  }
  try {
    app.parse(vReversed);
  } catch (const CLI::ParseError& e) {
    int iCode = app.exit(e, out, err);
    return iCode == 0 ? ecxOk : ecxUsage;
  } catch (const std::exception& e) {
    err << "ksv940: " << e.what() << "\n";
    return ecxFailure;
  }
  return ctx.iExitCode;
}

}  // namespace ksv940
