#include "app/commands/MCommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>

namespace ksv940 {

namespace {

// How many characters must be inserted, removed or replaced to turn sFrom into sTo.
size_t EditDistance(const std::string& sFrom, const std::string& sTo) {
  std::vector<size_t> vRow(sTo.size() + 1);
  for (size_t j = 0; j < vRow.size(); ++j) {
    vRow[j] = j;
  }
  for (size_t i = 1; i <= sFrom.size(); ++i) {
    size_t nDiagonal = vRow[0];
    vRow[0] = i;
    for (size_t j = 1; j <= sTo.size(); ++j) {
      size_t nAbove = vRow[j];
      vRow[j] =
          std::min({nAbove + 1, vRow[j - 1] + 1, nDiagonal + (sFrom[i - 1] == sTo[j - 1] ? 0 : 1)});
      nDiagonal = nAbove;
    }
  }
  return vRow[sTo.size()];
}

// What a word that names no subcommand gets: its name, and the subcommand it most likely meant
// (the fewest edits away, when that is at most 2 or half its length), else the list of them all.
std::string UnknownCommand(CLI::App& app, const std::string& sName) {
  std::string sNearest;
  std::string sAll;
  size_t nBest = SIZE_MAX;
  for (const CLI::App* pCommand : app.get_subcommands([](CLI::App*) { return true; })) {
    const std::string& sCommand = pCommand->get_name();
    sAll += (sAll.empty() ? "" : ", ") + sCommand;
    size_t nDistance = EditDistance(sName, sCommand);
    if (nDistance < nBest) {
      nBest = nDistance;
      sNearest = sCommand;
    }
  }
  std::string sText = "ksv940: unknown command \"" + sName + "\"";
  if (nBest <= std::max<size_t>(2, sName.size() / 2)) {
    return sText + "; did you mean \"" + sNearest + "\"?\n";
  }
  return sText + "; the commands are " + sAll + " (ksv940 --help says more)\n";
}

}  // namespace

int RunCommandLine(const std::vector<FAddCommand>& vCommands, const std::vector<std::string>& vArgs,
                   std::ostream& out, std::ostream& err) {
  CLI::App app(
      "ksv940: drives a KSV940 electrical safety analyzer through its virtual test "
      "instrument",
      "ksv940");
  app.require_subcommand(1);
  app.set_version_flag("--version", "ksv940 " KSV940_VERSION);
  app.footer("ksv940 help COMMAND (or ksv940 COMMAND --help) says what a command takes.");
  SCommandContext ctx{out, err, ecxOk};
  for (FAddCommand fnAdd : vCommands) {
    fnAdd(app, ctx);
  }
  std::vector<std::string> vGiven(vArgs.begin() + (vArgs.empty() ? 0 : 1), vArgs.end());
  // "help COMMAND" is "COMMAND --help"; "help" alone, --help.
  if (!vGiven.empty() && vGiven[0] == "help") {
    vGiven.erase(vGiven.begin());
    vGiven.resize(std::min<size_t>(vGiven.size(), 1));
    vGiven.push_back("--help");
  }
  if (!vGiven.empty() && !vGiven[0].starts_with("-") &&
      app.get_subcommands([&](CLI::App* pCommand) { return pCommand->check_name(vGiven[0]); })
          .empty()) {
    err << UnknownCommand(app, vGiven[0]);
    return ecxUsage;
  }
  // CLI11 takes the arguments in reverse order.
  std::vector<std::string> vReversed(vGiven.rbegin(), vGiven.rend());
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
