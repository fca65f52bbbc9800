#pragma once

#include <cstdint>
#include <string>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace ksv940 {

/// Adds "--port DEVICE|NUMBER" to a command that talks to an instrument; the text lands in sPort.
CLI::Option* AddPortOption(CLI::App& app, std::string& sPort);

/// The port number that sPort names: a number (1 or more) as it stands, or a device path (any
/// text with a "/"), registered in the thread's port map under a free number. Raises Invalid
/// procedure call (5) with a description naming what is wrong (also for a malformed
/// KSV940_PORTS).
int32_t ResolvePort(const std::string& sPort);

}  // namespace ksv940
