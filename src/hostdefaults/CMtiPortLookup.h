#pragma once

#include <string>

#include "hostapi/IMtiPortLookup.h"

namespace ksv940 {

/// Our port look-up. It answers, in this order: the USB serial port whose name (UsbSerialPorts:
/// udev's name under /dev/serial/by-id on Linux) contains the serial number (when one is given) or
/// else the model, compared without regard to case; the one port of the port map, when the map
/// has exactly one and no serial number is asked for; the one USB serial port when there is
/// exactly one. A port found is answered by its number (on Linux its device is registered in the
/// port map under one); otherwise 0.
class CMtiPortLookup : public IMtiPortLookup {
 public:
  /// sDevDir is where Linux keeps its devices ("/dev"); tests give a directory of their own.
  explicit CMtiPortLookup(std::string sDevDir = "/dev");

  int32_t FindPort(const std::string& sModel, const std::string& sSerial) override;

 private:
  std::string msDevDir;
};

}  // namespace ksv940
