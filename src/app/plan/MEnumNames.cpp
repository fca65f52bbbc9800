#include "app/plan/MEnumNames.h"

#include <iterator>

namespace ksv940 {

namespace {

template <size_t N>
std::string NameOf(int32_t lValue, int32_t lFirst, const char* const (&names)[N]) {
  int64_t lIndex = static_cast<int64_t>(lValue) - lFirst;
  if (lIndex < 0 || lIndex >= static_cast<int64_t>(N)) {
    return std::to_string(lValue);
  }
  return names[lIndex];
}

}  // namespace

std::string TestCodeName(int32_t etc) {
  static const char* const kNames[] = {
      "etcMains",    "etcProtEarth", "etcIRMains",  "etcIRAppl",    "etcIRMap",      "etcIRM2N",
      "etcIRAppl2N", "etcEarthLeak", "etcEnclLeak", "etcPatLeak",   "etcPatAux",     "etcMAP",
      "etcPPVolt",   "etcPPRes",     "etcPPLeak",   "etcEquipCurr", "etcAltEquip",   "etcDiffLeak",
      "etcDELeak",   "etcDAPLeak",   "etcAccLeak",  "etcAltAppl",   "etcAccVoltage", "etcECGTest",
  };
  return NameOf(etc, 1, kNames);
}

std::string PowerConfigName(int32_t epc) {
  static const char* const kNames[] = {
      "epcOffOE",      "epcOff",        "epcON",       "epcNC",        "epcOE",
      "epcONRM",       "epcNCRM",       "epcOERM",     "epcMainsL1L2", "epcMainsL1Gnd",
      "epcMainsL2Gnd", "epcAccessNC",   "epcAccessON", "epcAccessOE",  "epcAccessNCRM",
      "epcAccessONRM", "epcAccessOERM",
  };
  return NameOf(epc, 0, kNames);
}

}  // namespace ksv940
