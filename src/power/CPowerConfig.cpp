#include "power/CPowerConfig.h"

#include "declares/GDeclares.h"

namespace ksv940 {

bool CPowerConfig::IsOnConfig(int32_t epc) {
  return epc == epcNC || epc == epcOE || epc == epcNCRM || epc == epcOERM;
}

bool CPowerConfig::IsOffConfig(int32_t epc) {
  return epc == epcOff || epc == epcON || epc == epcONRM || epc == epcMainsL1L2 ||
         epc == epcMainsL1Gnd || epc == epcMainsL2Gnd;
}

bool CPowerConfig::IsReversedConfig(int32_t epc) {
  return epc == epcONRM || epc == epcNCRM || epc == epcOERM;
}

bool CPowerConfig::WillToggleOn(int32_t epcNew) const {
  if (!IsOnConfig(epcNew)) {
    return false;
  }
  if (IsOffConfig(Current)) {
    return true;
  }
  // A powered configuration with the other polarity: the outlet goes off and on again.
  return IsReversedConfig(epcNew) != IsReversedConfig(Current);
}

bool CPowerConfig::WillToggleOff(int32_t epcNew) const {
  if (IsOffConfig(epcNew)) {
    return IsOnConfig(Current);
  }
  // A change of polarity switches off first, whether or not either side powers the outlet.
  return IsReversedConfig(epcNew) != IsReversedConfig(Current);
}

}  // namespace ksv940
