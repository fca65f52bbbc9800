// Scenario files of any shape: a malformed one is refused with a message naming its line, a
// well-formed one runs the simulated analyzer through a short session without harm.

#include <string>

#include "CFuzzContext.h"
#include "CFuzzInput.h"
#include "MFuzzSupport.h"
#include "sim/CSimInstrument.h"
#include "sim/CSimScenario.h"
#include "sim/CSimulatedLine.h"

namespace ksv940::fuzz {

int FuzzScenario(const uint8_t* pData, size_t nSize) {
  CFuzzInput in(pData, nSize);
  CFuzzContext ctx;
  std::string sText = in.Rest();
  CSimScenario scenario;
  try {
    scenario = CSimScenario::Parse(sText, "fuzz.scenario");
  } catch (const CSimScenarioError& err) {
    FUZZ_CHECK(std::string(err.what()).starts_with("fuzz.scenario:"));
    return 0;
  }
  CSimulatedLine line;
  CSimInstrument instrument(scenario);
  instrument.Attach(line);
  std::string sHeard;
  line.SetReceiver(CSimulatedLine::eslHost, [&](std::string_view sBytes) { sHeard += sBytes; });
  for (const char* szCommand : {"\x1b", "stat\r\n", "remote\r\n", "ident\r\n", "pol=n\r\n",
                                "earthl\r\n", "read\r\n", "mread\r\n", "\x1b", "local\r\n"}) {
    line.Write(CSimulatedLine::eslHost, szCommand);
    ctx.Pump().RunUntil(ctx.Clock().NowUs() + 500'000, [] { return false; });
  }
  instrument.Detach();
  FUZZ_CHECK(instrument.Commands().size() <= 10);
  return 0;
}

}  // namespace ksv940::fuzz

KSV940_FUZZ_ENTRY(FuzzScenario)
