#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "app/run/MLinkProbe.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/net/CTcpSocket.h"

namespace ksv940 {

namespace {

// As long as the wireless connector tries to reach its bridge.
constexpr int64_t kProbeTimeoutUs = 3'000'000;

}  // namespace

std::string BridgeAddressProblem(const std::string& sAddress) {
  size_t nColon = sAddress.rfind(':');
  if (nColon == std::string::npos || nColon == 0) {
    return "\"" + sAddress + "\" is not HOST:PORT";
  }
  std::string sPort = sAddress.substr(nColon + 1);
  bool fDigits = !sPort.empty() && sPort.size() <= 5 &&
                 std::all_of(sPort.begin(), sPort.end(),
                             [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
  if (!fDigits || std::stoi(sPort) < 1 || std::stoi(sPort) > 65535) {
    return "the port of \"" + sAddress + "\" must be 1 to 65535, not \"" + sPort + "\"";
  }
  return {};
}

std::string BridgeProblem(const std::string& sAddress) {
  size_t nColon = sAddress.rfind(':');
  CTcpSocket socket;
  int64_t lDeadlineUs = CContext::Get<CMessagePump>().Clock().NowUs() + kProbeTimeoutUs;
  if (socket.Connect(sAddress.substr(0, nColon), sAddress.substr(nColon + 1), lDeadlineUs, [] {})) {
    return {};
  }
  return "the wireless bridge at " + sAddress + " cannot be reached: " + socket.ConnectFailure();
}

std::string PortProblem(int32_t lPort, const std::string& sDevice) {
  // Opened as the serial control opens it, so that the system says why that could not.
  std::string sReason;
  int iFd = open(sDevice.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (iFd < 0) {
    sReason = std::strerror(errno);
  } else {
    // Whether another program holds it is not asked: the plug-in may still hold it itself.
    sReason = isatty(iFd) == 0 ? "not a serial port" : "";
    close(iFd);
  }
  return sReason.empty()
             ? std::string()
             : "port " + std::to_string(lPort) + " (" + sDevice + ") cannot be opened: " + sReason;
}

}  // namespace ksv940
