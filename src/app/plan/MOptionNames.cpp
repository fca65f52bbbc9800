#include "app/plan/MOptionNames.h"

#include <map>
#include <vector>

namespace ksv940 {

namespace {

struct SOptionNames {
  const char* szTitle;
  // The words for the values from lFirst on, in order; empty for a plain number.
  int32_t lFirst = 0;
  std::vector<const char*> vValues;
  const char* szUnit = "";  // after a plain number
};

const std::map<std::string, SOptionNames>& Names() {
  static const std::map<std::string, SOptionNames> names = {
      {"StopBeforeNewPC", {"Stop before a power change", 0, {}, ""}},
      {"StopAfterNewPC", {"Stop after a power change", 0, {}, ""}},
      {"DelayTimePowerOn", {"Delay after power on", 0, {}, " s"}},
      {"DelayTimePowerOff", {"Countdown before power off", 0, {}, " s"}},
      {"TestStandard",
       {"Test standard",
        -1,
        {"user defined (none)", "none (none)", "AAMI (aami)", "IEC 60601 (601)", "IEC 61010 (1010)",
         "IEC 62353 (353)", "AS/NZS 3551 (asnz)"},
        ""}},
      {"PECurrent", {"Protective earth current", 0, {"200 mA", "25 A"}, ""}},
      {"ResWires", {"Resistance measured with", 0, {"2 wires", "4 wires"}, ""}},
      {"TestVoltage", {"Insulation test voltage", 0, {"500 V", "250 V"}, ""}},
      {"measType", {"Measurement", 0, {"AC+DC", "AC", "DC"}, ""}},
      {"AppliedParts", {"Applied parts", 0, {"open", "to ground", "both"}, ""}},
      {"MapLevel", {"MAP level", 0, {}, ""}},
      {"MapLimit", {"MAP limit", 0, {}, ""}},
      {"WaveformType",
       {"ECG waveform",
        0,
        {"complex 30 BPM", "complex 60 BPM", "complex 120 BPM", "complex 180 BPM",
         "complex 240 BPM", "pulse 30 BPM", "pulse 60 BPM", "square 0.125 Hz", "square 2 Hz",
         "sine 10 Hz", "sine 40 Hz", "sine 50 Hz", "sine 60 Hz", "sine 100 Hz", "triangle 2 Hz",
         "ventricular fibrillation"},
        ""}},
      {"ECGDuration", {"ECG duration", 0, {}, " s"}},
      {"TotalLeakage", {"Total leakage", 0, {}, ""}},
      {"Duration", {"Insulation test time", 0, {}, " s"}},
      {"PolaritySwitchingDelay", {"Polarity switching delay", 0, {}, ""}},
      {"MAPVoltage", {"MAP voltage", 0, {"100 % of mains", "110 % of mains"}, ""}},
      {"MAPPolarity", {"MAP polarity", 0, {"normal", "reversed"}, ""}},
      {"MAPCurrent", {"MAP current", 0, {"1 mA", "3.5 mA", "7.5 mA"}, ""}},
      {"PowerOFFScreen", {"Power-off screen", 0, {"after", "before"}, ""}}};
  return names;
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
  auto it = Names().find(sProperty);
  if (it == Names().end()) {
    return std::to_string(lValue);
  }
  const SOptionNames& names = it->second;
  if (names.vValues.empty()) {
    return std::to_string(lValue) + names.szUnit;
  }
  int64_t lIndex = static_cast<int64_t>(lValue) - names.lFirst;
  if (lIndex < 0 || lIndex >= static_cast<int64_t>(names.vValues.size())) {
    return std::to_string(lValue) + " (not a listed value)";
  }
  return names.vValues[static_cast<size_t>(lIndex)];
}

}  // namespace ksv940
