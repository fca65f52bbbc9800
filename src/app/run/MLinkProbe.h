#pragma once

#include <cstdint>
#include <string>

namespace ksv940 {

/// Why the wireless bridge at sAddress ("HOST:PORT") cannot be reached, in the system's words
/// ("the wireless bridge at 127.0.0.1:1 cannot be reached: Connection refused"); empty when a
/// connection to it can be made. The connection made to find out is closed at once.
std::string BridgeProblem(const std::string& sAddress);

/// Why serial port lPort, the device sDevice, cannot be opened, in the system's words ("port 2
/// (/dev/ttyUSB9) cannot be opened: No such file or directory"); empty when it can.
std::string PortProblem(int32_t lPort, const std::string& sDevice);

/// What is wrong with sAddress as HOST:PORT (a host, a colon, a port from 1 to 65535); empty
/// when it is one.
std::string BridgeAddressProblem(const std::string& sAddress);

}  // namespace ksv940
