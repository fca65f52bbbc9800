#pragma once

#include <string>
#include <vector>

#include "host/IMtiPortLookup.h"

namespace ksv940 {

/// Our port look-up. It answers, in this order: the USB serial device whose name under
/// /dev/serial/by-id contains the serial number (when one is given) or else the model, compared
/// without regard to case; the one port of the port map, when the map has exactly one and no
/// serial number is asked for; the one USB serial device (ttyUSB*, ttyACM*) when there is exactly
/// one. A device found is registered in the port map and answered by its number; otherwise 0.
class CMtiPortLookup : public IMtiPortLookup {
 public:
  /// sDevDir is where the devices are ("/dev"); tests give a directory of their own.
  explicit CMtiPortLookup(std::string sDevDir = "/dev");

  int32_t FindPort(const std::string& sModel, const std::string& sSerial) override;

 private:
  std::vector<std::string> UsbDevices() const;

  std::string msDevDir;
};

}  // namespace ksv940
