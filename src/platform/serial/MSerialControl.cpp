#include "platform/serial/MSerialControl.h"

#include <cstdint>

#include "platform/core/CAutomationError.h"

namespace ksv940 {

void RaisePortNotOpen() {
  constexpr int32_t kPortNotOpen = 8018;
  throw CAutomationError(kPortNotOpen, kComponentName,
                         "Operation valid only when the port is open");
}

void RaiseDeviceGone() {
  constexpr int32_t kDeviceGone = 8020;
  throw CAutomationError(kDeviceGone, kComponentName,
                         "Error reading comm device: the device is gone (unplugged, or its line "
                         "hung up)");
}

}  // namespace ksv940
