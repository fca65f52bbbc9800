#include "link/ChannelTesting.h"

#include <cstdio>

namespace ksv940::test {

std::string Visible(const std::string& sText) {
  std::string sOut;
  for (unsigned char c : sText) {
    if (c == '\r') {
      sOut += "\\r";
    } else if (c == '\n') {
      sOut += "\\n";
    } else if (c < 0x20 || c >= 0x7f) {
      char szHex[8];
      std::snprintf(szHex, sizeof szHex, "\\x%02X", c);
      sOut += szHex;
    } else {
      sOut.push_back(static_cast<char>(c));
    }
  }
  return sOut;
}

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
