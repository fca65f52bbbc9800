// ksv940 send: talks to an analyzer by hand, one command at a time, the way the plug-in sends
// its commands (channel, retries, time-outs, error replies).

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <vector>

#include "app/commands/MCommandText.h"
#include "app/commands/MCommands.h"
#include "app/run/MPortOption.h"
#include "link/CChannel.h"
#include "link/MWire.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/core/MText.h"
#include "platform/serial/CPortMap.h"
#include "platform/trace/CFileTraceSink.h"
#include "support/MError.h"

namespace ksv940 {

namespace {

struct SSendOptions {
  std::string sPort;
  std::string sAck = "crlf";
  bool fParse = false;
  int32_t lCount = 3;
  std::string sTrace;
  std::vector<std::string> vCommands;
};

int RunSend(const SSendOptions& options, SCommandContext& ctx) {
  std::vector<std::string> vCommands;
  int32_t lPort = 0;
  std::shared_ptr<ITraceSink> pTrace;
  try {
    for (const std::string& sTyped : options.vCommands) {
      vCommands.push_back(UnescapeCommand(sTyped));
    }
    lPort = ResolvePort(options.sPort);
    if (!options.sTrace.empty()) {
      pTrace = std::make_shared<CFileTraceSink>(options.sTrace);
    }
  } catch (const CAutomationError& err) {
    ctx.err << "ksv940 send: " << err.Description() << "\n";
    return ecxUsage;
  }
  std::string sAck = options.sAck == "star" ? kAcknowledged : options.sAck == "none" ? "" : kCrLf;

  CContextScope scope;
  if (pTrace != nullptr) {
    scope.Set<ITraceSink>(pTrace);
  }
  bool fOpened = false;
  try {
    CChannel channel;
    channel.OpenPort(lPort);
    fOpened = true;
    for (const std::string& sCommand : vCommands) {
      if (channel.TestAbortFlag() && sCommand != "zero") {
        ctx.err << "ksv940 send: \"" << EscapeControls(sCommand)
                << "\" not sent: after a failed command only \"zero\" is sent\n";
      }
      std::string sReply = channel.TransmitCmd(sCommand, sAck, options.fParse, options.lCount);
      ctx.out << EscapeControls(sReply) << "\n" << std::flush;
    }
  } catch (...) {
    ctx.err << OperatorText(CAutomationError::FromCurrentException()) << "\n";
    if (!fOpened) {
      ctx.err << "ksv940 send: port " << lPort << " is "
              << CContext::Get<CPortMap>().DevicePath(lPort) << "\n";
    }
    return ecxFailure;
  }
  return ecxOk;
}

}  // namespace

void AddSendCommand(CLI::App& app, SCommandContext& ctx) {
  auto pOptions = std::make_shared<SSendOptions>();
  CLI::App* pSend = app.add_subcommand(
      "send",
      "Send commands to the analyzer as the plug-in does (CR LF added, retries, time-outs) and "
      "print each reply on its own line, control characters escaped");
  AddPortOption(*pSend, pOptions->sPort)->required();
  pSend
      ->add_option("--ack", pOptions->sAck,
                   "what ends a reply: crlf (CR LF, the default), star (\"*\" CR LF) or none")
      ->check(CLI::IsMember({"crlf", "star", "none"}));
  pSend->add_flag("--parse", pOptions->fParse,
                  "instrument error replies are no errors of their own (they are retried)");
  pSend->add_option("--count", pOptions->lCount, "how many times a command is sent at most (3)")
      ->type_name("N")
      ->check(CLI::Range(1, 2147483647));
  pSend->add_option("--trace", pOptions->sTrace, "append the trace lines to FILE")
      ->type_name("FILE");
  pSend
      ->add_option("COMMAND", pOptions->vCommands,
                   "commands, sent in order; escapes \\e \\r \\n \\t \\\\ \\xNN")
      ->required();
  pSend->callback([pOptions, &ctx] { ctx.iExitCode = RunSend(*pOptions, ctx); });
}

}  // namespace ksv940
