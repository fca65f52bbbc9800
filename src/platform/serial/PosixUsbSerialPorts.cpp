#include <glob.h>

#include <initializer_list>

#include "platform/serial/MUsbSerialPorts.h"

namespace ksv940 {

bool UsbSerialPortPresent() {
  for (const char* szPattern : {"/dev/serial/by-id/*", "/dev/ttyUSB*", "/dev/ttyACM*"}) {
    glob_t found{};
    bool fAny = glob(szPattern, 0, nullptr, &found) == 0 && found.gl_pathc > 0;
    globfree(&found);
    if (fAny) {
      return true;
    }
  }
  return false;
}

}  // namespace ksv940
