#include "app/plan/MOptionNames.h"

#include <map>

#include "app/plan/MOptionMembers.h"
#include "declares/GDeclares.h"

namespace ksv940 {

namespace {

struct SOptionNames {
  const char* szTitle;
  const char* szUnit = "";  // after a plain number
};

const std::map<std::string, SOptionNames>& Names() {
  static const std::map<std::string, SOptionNames> names = {
      {"StopBeforeNewPC", {"Stop before a power change"}},
      {"StopAfterNewPC", {"Stop after a power change"}},
      {"DelayTimePowerOn", {"Delay after power on", " s"}},
      {"DelayTimePowerOff", {"Countdown before power off", " s"}},
      {"TestStandard", {"Test standard"}},
      {"PECurrent", {"Protective earth current"}},
      {"ResWires", {"Resistance measured with"}},
      {"TestVoltage", {"Insulation test voltage"}},
      {"measType", {"Measurement"}},
      {"AppliedParts", {"Applied parts"}},
      {"MapLevel", {"MAP level"}},
      {"MapLimit", {"MAP limit"}},
      {"WaveformType", {"ECG waveform"}},
      {"ECGDuration", {"ECG duration", " s"}},
      {"TotalLeakage", {"Total leakage"}},
      {"Duration", {"Insulation test time", " s"}},
      {"PolaritySwitchingDelay", {"Polarity switching delay"}},
      {"MAPVoltage", {"MAP voltage"}},
      {"MAPPolarity", {"MAP polarity"}},
      {"MAPCurrent", {"MAP current"}},
      {"PowerOFFScreen", {"Power-off screen"}}};
  return names;
}

// What the analyzer's standard command names each test standard, shown beside its name so that a
// record can be matched with the traffic ("IEC 62353 (353)").
const char* StandardCommandWord(int32_t lValue) {
  switch (lValue) {
    case etsAAMI:
      return "aami";
    case ets601:
      return "601";
    case ets1010:
      return "1010";
    case ets353:
      return "353";
    case etsASNZ:
      return "asnz";
    default:
      return "none";
  }
}

}  // namespace

std::string OptionTitle(const std::string& sProperty) {
  auto it = Names().find(sProperty);
  return it == Names().end() ? sProperty : it->second.szTitle;
}

std::string OptionValueTitle(const std::string& sProperty, int32_t lValue, bool fBoolean) {
  if (fBoolean) {
    return lValue != 0 ? "yes" : "no";
  }
  if (OptionMembers(sProperty).empty()) {
    auto it = Names().find(sProperty);
    return std::to_string(lValue) + (it == Names().end() ? "" : it->second.szUnit);
  }
  std::string sName = OptionMemberName(sProperty, lValue);
  if (sName.empty()) {
    return std::to_string(lValue) + " (not a listed value)";
  }
  if (sProperty == "TestStandard") {
    return sName + " (" + StandardCommandWord(lValue) + ")";
  }
  return sName;
}

}  // namespace ksv940
