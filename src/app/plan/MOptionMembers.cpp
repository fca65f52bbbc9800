#include "app/plan/MOptionMembers.h"

#include <algorithm>
#include <map>

#include "declares/GDeclares.h"

namespace ksv940 {

namespace {

// The members of each enumeration option, named as a test lab reads them; the values are the
// type library's.
const std::map<std::string, std::vector<SOptionMember>>& Table() {
  static const std::map<std::string, std::vector<SOptionMember>> table = {
      {"TestStandard",
       {{etsUserDefined, "user defined"},
        {etsNONE, "none"},
        {etsAAMI, "AAMI"},
        {ets601, "IEC 60601"},
        {ets1010, "IEC 61010"},
        {ets353, "IEC 62353"},
        {etsASNZ, "AS/NZS 3551"}}},
      {"PECurrent", {{epec_200mA, "200 mA"}, {epec_25A, "25 A"}}},
      {"ResWires", {{erw_2wire, "2 wires"}, {erw_4wire, "4 wires"}}},
      {"TestVoltage", {{etv_500, "500 V"}, {etv_250, "250 V"}}},
      {"measType", {{emt_ACDC, "AC+DC"}, {emt_AC, "AC"}, {emt_DC, "DC"}}},
      {"AppliedParts", {{eap_open, "open"}, {eap_ground, "ground"}, {eap_both, "both"}}},
      {"WaveformType",
       {{ewt_Complex30BPM, "complex 30 BPM"},
        {ewt_Complex60BPM, "complex 60 BPM"},
        {ewt_Complex120BPM, "complex 120 BPM"},
        {ewt_Complex180BPM, "complex 180 BPM"},
        {ewt_Complex240BPM, "complex 240 BPM"},
        {ewt_Pulse30BPM, "pulse 30 BPM"},
        {ewt_Pulse60BPM, "pulse 60 BPM"},
        {ewt_Square0125, "square 0.125 Hz"},
        {ewt_Square2, "square 2 Hz"},
        {ewt_Sine10, "sine 10 Hz"},
        {ewt_Sine40, "sine 40 Hz"},
        {ewt_Sine50, "sine 50 Hz"},
        {ewt_Sine60, "sine 60 Hz"},
        {ewt_Sine100, "sine 100 Hz"},
        {ewt_Triangle2, "triangle 2 Hz"},
        {ewt_Vfib, "ventricular fibrillation"}}},
      {"MAPVoltage", {{eemv_100, "100 % of mains"}, {eemv_110, "110 % of mains"}}},
      {"MAPPolarity", {{eemp_Normal, "normal"}, {eemp_Reverse, "reversed"}}},
      {"MAPCurrent", {{eemc_1mA, "1 mA"}, {eemc_3_5mA, "3.5 mA"}, {eemc_7_5mA, "7.5 mA"}}},
      {"PowerOFFScreen", {{eepo_After, "after"}, {eepo_before, "before"}}},
  };
  return table;
}

}  // namespace

const std::vector<SOptionMember>& OptionMembers(const std::string& sProperty) {
  static const std::vector<SOptionMember> vNone;
  auto it = Table().find(sProperty);
  return it == Table().end() ? vNone : it->second;
}

std::string OptionMemberName(const std::string& sProperty, int32_t lValue) {
  const std::vector<SOptionMember>& vValues = OptionMembers(sProperty);
  auto it = std::find_if(vValues.begin(), vValues.end(),
                         [lValue](const SOptionMember& value) { return value.lValue == lValue; });
  return it == vValues.end() ? std::string() : it->szName;
}

std::string OptionMemberProblem(const std::string& sProperty, int32_t lValue) {
  const std::vector<SOptionMember>& vValues = OptionMembers(sProperty);
  if (vValues.empty() || !OptionMemberName(sProperty, lValue).empty()) {
    return {};
  }
  std::string sList;
  for (size_t i = 0; i < vValues.size(); ++i) {
    sList += (i == 0                    ? ""
              : i + 1 == vValues.size() ? " or "
                                        : ", ") +
             std::to_string(vValues[i].lValue) + " (" + vValues[i].szName + ")";
  }
  return sProperty + " must be " + sList + ", not " + std::to_string(lValue);
}

}  // namespace ksv940
