#include "reading/MCommandHelpers.h"

#include "declares/GDeclares.h"
#include "link/CInstrumentLink.h"
#include "link/MWire.h"
#include "model/CKsvTestOptions.h"
#include "platform/core/MRuntime.h"

namespace ksv940 {

std::string StandardCommand(const CKsvTestOptions& options) {
  switch (options.TestStandard()) {
    case etsAAMI:
      return "std=aami";
    case ets601:
      return "std=601";
    case ets1010:
      return "std=1010";
    case ets353:
      return "std=353";
    case etsASNZ:
      return "std=asnz";
    default:
      return "std=none";
  }
}

void SendTestLoad(CInstrumentLink& link, int32_t etl) {
  std::string sCommand = etl == etlIEC ? "iec" : "aami";
  if (link.Wireless()) {
    link.Wifi().SendCommand(sCommand, 30);
  } else {
    // The test-load command is acknowledged with "*" CR LF; the reply is not parsed.
    link.Channel().TransmitCmd(sCommand, kAcknowledged, false, 3);
  }
}

void WaitDirective(CInstrumentLink& link, const std::string& sDirective) {
  size_t nEquals = sDirective.find('=');
  if (nEquals == std::string::npos) {
    RaiseRuntimeError(erTypeMismatch);
  }
  int32_t lWaitMs = TextToInt32(sDirective.substr(nEquals + 1));
  // A wireless bridge adds its own latency; the directive does not delay wireless tests.
  if (!link.Wireless()) {
    link.Channel().Wait(lWaitMs);
  }
}

}  // namespace ksv940
