// ksv940 query: asks one port which instrument is attached, as the host's discovery query does,
// and prints the record it answers.

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <system_error>

#include "app/commands/MCommands.h"
#include "app/run/CLinkSetup.h"
#include "app/run/MPortOption.h"
#include "link/CKsvMlcQuery.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/core/MText.h"
#include "platform/trace/CFileTraceSink.h"

namespace ksv940 {

namespace {

struct SQueryOptions {
  SLinkOptions link;
  std::string sTrace;
};

// The simulated analyzer of --simulate: in remote operation and kept there by the query's own
// "local", so that it is identified in full.
CSimScenario SimulatedAnalyzer() {
  CSimScenario scenario;
  scenario.fRemote = true;
  scenario.fRemoteLock = true;
  return scenario;
}

int RunQuery(const SQueryOptions& options, SCommandContext& ctx) {
  if (options.link.Given() == 0) {
    ctx.err << "ksv940 query: give the port to ask (--port DEVICE|NUMBER) or --simulate\n";
    return ecxUsage;
  }
  std::shared_ptr<ITraceSink> pTrace;
  std::unique_ptr<CLinkSetup> pLink;
  try {
    if (!options.sTrace.empty()) {
      pTrace = std::make_shared<CFileTraceSink>(options.sTrace);
    }
    pLink = std::make_unique<CLinkSetup>(options.link, SimulatedAnalyzer());
  } catch (const CAutomationError& err) {
    ctx.err << "ksv940 query: " << err.Description() << "\n";
    return ecxUsage;
  } catch (const std::system_error& err) {
    ctx.err << "ksv940 query: the simulated analyzer cannot start: " << err.what() << "\n";
    return ecxFailure;
  }

  CContextScope scope;
  if (pTrace != nullptr) {
    scope.Set<ITraceSink>(pTrace);
  }
  MtiQueryResult result = CKsvMlcQuery().QueryMTI(pLink->Port());
  ctx.out << "Model: " << EscapeControls(result.Model) << "\n"
          << "Serial: " << EscapeControls(result.Serial) << "\n"
          << "Firmware: " << EscapeControls(result.Firmware) << "\n"
          << "Result: " << result.Result << "\n"
          << std::flush;
  return ecxOk;
}

}  // namespace

void AddQueryCommand(CLI::App& app, SCommandContext& ctx) {
  auto pOptions = std::make_shared<SQueryOptions>();
  CLI::App* pQuery = app.add_subcommand(
      "query",
      "Ask a port which analyzer is attached, as the host's discovery query does (about 1 s, up "
      "to 6 s when nothing answers), and print its model, serial number, firmware and the result "
      "code: 0 nothing identified, 1 answered but not in remote operation, 2 identified");
  CLI::Option* pPort = AddPortOption(*pQuery, pOptions->link.sPort);
  CLI::Option* pSimulate = pQuery->add_flag(
      "--simulate", pOptions->link.fSimulate,
      "ask a simulated analyzer run inside this command (in remote operation, kept there)");
  pPort->excludes(pSimulate);
  pQuery->add_option("--trace", pOptions->sTrace, "append the trace lines to FILE")
      ->type_name("FILE");
  pQuery->callback([pOptions, &ctx] { ctx.iExitCode = RunQuery(*pOptions, ctx); });
}

}  // namespace ksv940
