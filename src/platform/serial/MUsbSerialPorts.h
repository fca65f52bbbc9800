#pragma once

namespace ksv940 {

/// Whether a USB serial adapter is attached to this machine: on Linux a device under
/// /dev/serial/by-id, or a ttyUSB or ttyACM device where udev names none; on Windows a COM port
/// served by a USB serial or virtual COM port driver.
bool UsbSerialPortPresent();

}  // namespace ksv940
