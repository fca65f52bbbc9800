#include "app/run/CLinkSetup.h"

#include <CLI/CLI.hpp>

#include "app/run/CInProcessSimulator.h"
#include "app/run/MPortOption.h"
#include "platform/core/CContext.h"
#include "platform/core/MRuntime.h"
#include "platform/serial/CPortMap.h"
#include "sim/CSimScenario.h"

namespace ksv940 {

void SLinkOptions::AddTo(CLI::App& cmd, bool fScenario) {
  AddPortOption(cmd, sPort);
  cmd.add_option("--wifi", sWifi, "a serial-to-network bridge at HOST:PORT")
      ->type_name("HOST:PORT");
  CLI::Option* pSimulate =
      cmd.add_flag("--simulate", fSimulate, "a simulated analyzer run inside this command");
  if (fScenario) {
    cmd.add_option("--scenario", sScenario,
                   "the simulated analyzer's settings and faults (as ksv940 sim takes them)")
        ->type_name("FILE")
        ->needs(pSimulate);
  }
}

int SLinkOptions::Given() const {
  return (sPort.empty() ? 0 : 1) + (sWifi.empty() ? 0 : 1) + (fSimulate ? 1 : 0);
}

CLinkSetup::CLinkSetup(const SLinkOptions& options, CSimScenario simulated) {
  if (options.fSimulate) {
    if (!options.sScenario.empty()) {
      simulated = CSimScenario::Load(options.sScenario);
    }
    mpSimulator = std::make_unique<CInProcessSimulator>(std::move(simulated));
    miPort = CheckedInt16(mpSimulator->Port());
    msDescription = "simulated";
  } else if (!options.sPort.empty()) {
    int32_t lPort = ResolvePort(options.sPort);
    miPort = CheckedInt16(lPort);
    msDescription = "serial:" + CContext::Get<CPortMap>().DevicePath(lPort);
  } else {
    miPort = -1;
    msDescription = "wireless:" + options.sWifi;
  }
}

CLinkSetup::~CLinkSetup() = default;

}  // namespace ksv940
