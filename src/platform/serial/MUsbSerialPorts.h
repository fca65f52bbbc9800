#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ksv940 {

/// A serial port served by a USB adapter.
struct SUsbSerialPort {
  /// What the system calls it: on Linux udev's name under /dev/serial/by-id, which names the
  /// adapter's maker, model and serial number, or the device's own name where udev gave none; on
  /// Windows the name of the device its driver made (\Device\VCP0).
  std::string sName;
  /// Where it opens: the device on Linux ("/dev/ttyUSB0"), "COM5" on Windows.
  std::string sDevice;
  /// The port number the system gives it (5 for COM5); 0 where ports have no numbers of their own
  /// and the port map gives them one.
  int32_t lPort = 0;
};

/// The USB serial ports of this machine, one entry per port, in a stable order: on Linux the
/// devices under sDevDir that udev names under serial/by-id, then ttyUSB and ttyACM devices it
/// names not; on Windows the COM ports the system lists whose driver is a USB serial or virtual
/// COM port driver (sDevDir is not used there).
std::vector<SUsbSerialPort> UsbSerialPorts(const std::string& sDevDir = "/dev");

/// Whether a USB serial adapter is attached to this machine.
bool UsbSerialPortPresent();

}  // namespace ksv940
