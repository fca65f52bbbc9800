// ksv940 sim: serves the simulated analyzer on a pseudo-terminal or a TCP port until interrupted.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>

#include "app/commands/MCommands.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/core/MText.h"
#include "platform/signal/CStopSignal.h"
#include "sim/CSimInstrument.h"
#include "sim/CSimPty.h"
#include "sim/CSimScenario.h"
#include "sim/CSimTcpListener.h"

namespace ksv940 {

namespace {

struct SSimOptions {
  bool fPty = false;
  int32_t lTcpPort = -1;
  std::string sScenario;
  std::string sFirmware;
  std::string sSerial;
  std::string sPcaType;
  std::string sLog;
};

int Serve(const SSimOptions& options, SCommandContext& ctx) {
  CSimScenario scenario;
  if (!options.sScenario.empty()) {
    try {
      scenario = CSimScenario::Load(options.sScenario);
    } catch (const CSimScenarioError& e) {
      ctx.err << "ksv940 sim: " << e.what() << "\n";
      return ecxUsage;
    }
  }
  if (!options.sFirmware.empty()) {
    scenario.sFirmware = options.sFirmware;
  }
  if (!options.sSerial.empty()) {
    scenario.sSerial = options.sSerial;
  }
  if (!options.sPcaType.empty()) {
    scenario.sPcaType = CSimScenario::PcaTypeReply(options.sPcaType);
  }

  std::ofstream log;
  if (!options.sLog.empty()) {
    log.open(options.sLog, std::ios::out | std::ios::trunc);
    if (!log) {
      ctx.err << "ksv940 sim: cannot write the log file " << options.sLog << "\n";
      return ecxFailure;
    }
  }

  CMessagePump& pump = CContext::Get<CMessagePump>();
  CSimInstrument instrument(scenario);
  int64_t lStartUs = pump.Clock().NowUs();
  if (log.is_open()) {
    instrument.SetMonitor([&](bool fFromHost, std::string_view sBytes) {
      char szTime[32];
      std::snprintf(szTime, sizeof szTime, "%9.3f ",
                    static_cast<double>(pump.Clock().NowUs() - lStartUs) / 1e6);
      log << szTime << (fFromHost ? "in  " : "out ") << EscapeControls(sBytes) << std::endl;
    });
  }
  try {
    // Stop requests are caught before the address is printed: a client may send one at once.
    CStopSignal stop;
    std::unique_ptr<CSimTcpListener> pTcp;
    std::unique_ptr<CSimPty> pPty;
    std::string sWhere;
    if (options.lTcpPort >= 0) {
      pTcp = std::make_unique<CSimTcpListener>(instrument, static_cast<uint16_t>(options.lTcpPort));
      sWhere = pTcp->Address();
    } else {
      pPty = std::make_unique<CSimPty>(instrument);
      sWhere = pPty->DevicePath();
    }
    ctx.out << sWhere << std::endl;
    if (log.is_open()) {
      log << "# ksv940 sim on " << sWhere << std::endl;
    }
    while (stop.Received() == 0) {
      pump.ProcessMessages();
    }
  } catch (const std::system_error& e) {
    ctx.err << "ksv940 sim: " << e.what() << "\n";
    return ecxFailure;
  }
  return ecxOk;
}

}  // namespace

void AddSimCommand(CLI::App& app, SCommandContext& ctx) {
  auto pOptions = std::make_shared<SSimOptions>();
  CLI::App* pSim = app.add_subcommand(
      "sim",
      "Serves a simulated KSV940 analyzer on a pseudo-terminal (default) or a TCP port; prints "
      "the device path or host:port first, then serves until interrupted");
  CLI::Option* pPty =
      pSim->add_flag("--pty", pOptions->fPty, "Serve on a pseudo-terminal (the default)");
  CLI::Option* pTcp =
      pSim->add_option(
              "--tcp", pOptions->lTcpPort,
              "Serve on this TCP port of 127.0.0.1 as a raw serial bridge (0: a free port)")
          ->check(CLI::Range(0, 65535));
  pPty->excludes(pTcp);
  pSim->add_option("--scenario", pOptions->sScenario, "Settings and faults, one per line");
  pSim->add_option("--firmware", pOptions->sFirmware, "Firmware version in the identity");
  pSim->add_option("--serial", pOptions->sSerial, "Serial number");
  pSim->add_option("--pca-type", pOptions->sPcaType, "PCA type, such as 2 or 1/0/2");
  pSim->add_option("--log", pOptions->sLog, "Record the traffic both ways with timestamps");
  pSim->callback([pOptions, &ctx] { ctx.iExitCode = Serve(*pOptions, ctx); });
}

}  // namespace ksv940
