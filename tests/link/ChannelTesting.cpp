#include "link/ChannelTesting.h"

#include <cstdio>

namespace ksv940::test {

CLinkFixture::CLinkFixture(bool fShowHiddenParameters)
    : pTrace(std::make_shared<CTraceRecorder>()),
      pLine(std::make_shared<CSimulatedLine>()),
      pPorts(std::make_shared<CSimulatedPorts>()),
      peer(pLine) {
  pPorts->Connect(kPort, pLine);
  ctx.Scope().Set<ISerialControlFactory>(pPorts).Set<ITraceSink>(pTrace);
  if (fShowHiddenParameters) {
    ctx.Language().SetTranslation(20922, "no reply on port %%1");
    ctx.Language().SetTranslation(20923, "communication error: %%1");
  }
}

}  // namespace ksv940::test
