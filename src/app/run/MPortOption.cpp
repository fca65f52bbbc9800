#include "app/run/MPortOption.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>

#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/core/MRuntime.h"
#include "platform/serial/CPortMap.h"

namespace ksv940 {

CLI::Option* AddPortOption(CLI::App& app, std::string& sPort) {
  return app
      .add_option("--port", sPort,
                  "the analyzer's serial port: a device (/dev/ttyUSB0) or a port number "
                  "(see KSV940_PORTS)")
      ->type_name("DEVICE|NUMBER");
}

int32_t ResolvePort(const std::string& sPort) {
  // Made here, so that a malformed KSV940_PORTS is reported before anything is opened.
  CPortMap& ports = CContext::Get<CPortMap>();
  bool fDigits = !sPort.empty() && std::all_of(sPort.begin(), sPort.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c));
  });
  if (fDigits) {
    int32_t lPort = 0;
    try {
      lPort = TextToInt32(sPort);
    } catch (const CAutomationError&) {
      lPort = 0;
    }
    if (lPort < 1) {
      throw CAutomationError(erInvalidCall, kComponentName,
                             "--port: " + sPort + " is no port number (1 or more)");
    }
    return lPort;
  }
  if (sPort.find('/') == std::string::npos) {
    throw CAutomationError(erInvalidCall, kComponentName,
                           "--port: \"" + sPort + "\" is neither a device path nor a port number");
  }
  return ports.Register(sPort);
}

}  // namespace ksv940
