// ksv940 connect: connects to an analyzer as the host does, shows what it is, and ends remote
// operation again.
#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "app/commands/MCommands.h"
#include "app/run/CHostSession.h"
#include "app/run/CInProcessSimulator.h"
#include "app/run/MLinkProbe.h"
#include "app/run/MPortOption.h"
#include "host/IOrvexMtiData.h"
#include "model/GDeclares.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/MRuntime.h"
#include "platform/core/MText.h"
#include "plugin/CKsvVti.h"
#include "sim/CSimScenario.h"

namespace ksv940 {
namespace {

struct SConnectArgs {
  std::string sPort;
  std::string sWifi;
  bool fSimulate = false;
  SHostOptions host;
};

int RunConnect(const SConnectArgs& args, SCommandContext& ctx) {
  int16_t iPort = -1;
  std::optional<CInProcessSimulator> simulator;
  std::unique_ptr<CHostSession> pSession;
  try {
    if (args.fSimulate) {
      simulator.emplace(CSimScenario());
      iPort = CheckedInt16(simulator->Port());
    } else if (!args.sPort.empty()) {
      iPort = CheckedInt16(ResolvePort(args.sPort));
    }
    pSession = std::make_unique<CHostSession>(args.host, ctx, args.sWifi);
  } catch (const CAutomationError& err) {
    ctx.err << "ksv940 connect: " << err.Description() << "\n";
    return ecxUsage;
  } catch (const std::system_error& err) {
    ctx.err << "ksv940 connect: the simulated analyzer cannot start: " << err.what() << "\n";
    return ecxFailure;
  }
  CKsvVti& vti = pSession->Vti();
  size_t nBoxes = pSession->MessageBoxesShown();
  // Ctrl-C during the connection gives it up as the host does, with EndRemote; the host's Abort
  // would only end the wait it interrupts.
  pSession->OnInterrupt([&] { vti.EndRemote(&pSession->TestGuide()); });
  try {
    vti.InitRemote(iPort);
  } catch (...) {
    int iExit = pSession->ExitFor(std::current_exception(), nBoxes, ctx);
    // Asked only now, so that a working port is never opened twice.
    std::string sProblem = args.sPort.find('/') == std::string::npos || iExit != ecxFailure
                               ? std::string()
                               : PortProblem(iPort, args.sPort);
    if (!sProblem.empty()) {
      ctx.err << "ksv940 connect: " << sProblem << "\n";
    }
    return iExit;
  }
  pSession->OnInterrupt({});
  if (vti.State() == evsClosed) {
    if (std::string sProblem = args.sWifi.empty() ? "" : BridgeProblem(args.sWifi);
        !sProblem.empty()) {
      ctx.err << "ksv940 connect: " << sProblem << "\n";
      return ecxUnreachable;
    }
    ctx.err << "ksv940 connect: the wireless connector found no instrument\n";
    return ecxNoInstrument;
  }
  ctx.out << "Model: " << EscapeControls(vti.MtiData()->Model()) << "\n"
          << "Serial: " << EscapeControls(vti.MtiData()->SerialNumber()) << "\n"
          << "Firmware: " << EscapeControls(vti.MtiData()->FirmwareVersion()) << "\n"
          << std::flush;
  vti.EndRemote(&pSession->TestGuide());
  return ecxOk;
}

}  // namespace

void AddConnectCommand(CLI::App& app, SCommandContext& ctx) {
  auto pArgs = std::make_shared<SConnectArgs>();
  CLI::App* pConnect = app.add_subcommand(
      "connect",
      "Connect to the analyzer as the host does (remote operation, identity, firmware check), "
      "print its model, serial number and firmware, and end remote operation");
  // Exactly one way to the analyzer.
  CLI::Option_group* pLink = pConnect->add_option_group("link", "how the analyzer is reached");
  AddPortOption(*pLink, pArgs->sPort);
  pLink->add_option("--wifi", pArgs->sWifi, "a serial-to-network bridge at HOST:PORT")
      ->type_name("HOST:PORT")
      ->check(
          CLI::Validator([](std::string& sAddress) { return BridgeAddressProblem(sAddress); }, ""));
  pLink->add_flag("--simulate", pArgs->fSimulate,
                  "connect to a simulated analyzer run inside this command");
  pLink->require_option(1);
  pArgs->host.AddTo(*pConnect);
  pConnect->callback([pArgs, &ctx] { ctx.iExitCode = RunConnect(*pArgs, ctx); });
}
}  // namespace ksv940
