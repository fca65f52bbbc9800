// ksv940 connect: connects to an analyzer as the host does, shows what it is, and ends remote
// operation again.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <system_error>

#include "app/commands/MCommands.h"
#include "app/run/CHostSession.h"
#include "app/run/CLinkSetup.h"
#include "declares/GDeclares.h"
#include "hostapi/IOrvexMtiData.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/MText.h"
#include "plugin/CKsvVti.h"

namespace ksv940 {
namespace {

struct SConnectArgs {
  SLinkOptions link;
  SHostOptions host;
};

int RunConnect(const SConnectArgs& args, SCommandContext& ctx) {
  std::unique_ptr<CLinkSetup> pLink;
  std::unique_ptr<CHostSession> pSession;
  try {
    pLink = std::make_unique<CLinkSetup>(args.link);
    pSession = std::make_unique<CHostSession>(args.host, ctx, args.link.sWifi);
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
    vti.InitRemote(pLink->Port());
  } catch (...) {
    int iExit = pSession->ExitFor(std::current_exception(), nBoxes, ctx);
    if (std::string sProblem = iExit == ecxFailure ? pLink->Problem() : ""; !sProblem.empty()) {
      ctx.err << "ksv940 connect: " << sProblem << "\n";
    }
    return iExit;
  }
  pSession->OnInterrupt({});
  if (vti.State() == evsClosed) {
    if (std::string sProblem = pLink->Problem(); !sProblem.empty()) {
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
  pArgs->link.AddTo(*pLink, false);
  pLink->require_option(1);
  pArgs->host.AddTo(*pConnect);
  pConnect->callback([pArgs, &ctx] { ctx.iExitCode = RunConnect(*pArgs, ctx); });
}
}  // namespace ksv940
