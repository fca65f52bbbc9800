#include "model/CKsvTestOptions.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <type_traits>

#include "platform/core/MRuntime.h"

namespace ksv940 {

namespace {

using C = CKsvTestOptions;

template <auto fnGet, auto fnSet>
SOptionProperty Boolean(const char* sName) {
  return {sName, eokBoolean, [](const C& o) -> int32_t { return (o.*fnGet)() ? -1 : 0; },
          [](C& o, int32_t lValue) { (o.*fnSet)(lValue != 0); }};
}

// 16-bit, 32-bit and enumeration properties differ only in the type the setter casts to.
template <EOptionKind eok, auto fnGet, auto fnSet>
SOptionProperty Number(const char* sName) {
  using T = std::invoke_result_t<decltype(fnGet), const C&>;
  return {sName, eok, [](const C& o) -> int32_t { return static_cast<int32_t>((o.*fnGet)()); },
          [](C& o, int32_t lValue) { (o.*fnSet)(static_cast<T>(lValue)); }};
}

template <auto fnGet, auto fnSet>
SOptionProperty Int16(const char* sName) {
  return Number<eokInteger16, fnGet, fnSet>(sName);
}

template <auto fnGet, auto fnSet>
SOptionProperty Int32(const char* sName) {
  return Number<eokInteger32, fnGet, fnSet>(sName);
}

template <auto fnGet, auto fnSet>
SOptionProperty Enum(const char* sName) {
  return Number<eokEnumeration, fnGet, fnSet>(sName);
}

bool SameName(const std::string& sA, const char* szB) {
  std::string sB(szB);
  return sA.size() == sB.size() &&
         std::equal(sA.begin(), sA.end(), sB.begin(), [](unsigned char a, unsigned char b) {
           return std::tolower(a) == std::tolower(b);
         });
}

// A boolean takes the words True and False, or any number (non-zero is true).
int32_t BooleanValue(const std::string& sText) {
  std::string sTrimmed = sText;
  sTrimmed.erase(0, sTrimmed.find_first_not_of(" \t"));
  sTrimmed.erase(sTrimmed.find_last_not_of(" \t") + 1);
  if (SameName(sTrimmed, "true")) {
    return -1;
  }
  if (SameName(sTrimmed, "false")) {
    return 0;
  }
  return TextToInt32(sTrimmed) != 0 ? -1 : 0;
}

}  // namespace

CVariant CKsvTestOptions::SetWaveformCmd() const {
  static const char* const kCommands[] = {"CPL30", "CPL60", "CPL120", "CPL180", "CPL240", "PLS30",
                                          "PLS60", "SQ125", "SQ2",    "SN10",   "SN40",   "SN50",
                                          "SN60",  "SN100", "TR2",    "VFIB"};
  int32_t lIndex = meWaveformType;
  if (lIndex < 0 || lIndex >= static_cast<int32_t>(std::size(kCommands))) {
    return {};
  }
  return CVariant(kCommands[lIndex]);
}

const std::vector<SOptionProperty>& CKsvTestOptions::Properties() {
  static const std::vector<SOptionProperty> properties = {
      Boolean<&C::StopBeforeNewPC, &C::SetStopBeforeNewPC>("StopBeforeNewPC"),
      Boolean<&C::StopAfterNewPC, &C::SetStopAfterNewPC>("StopAfterNewPC"),
      Int16<&C::DelayTimePowerOn, &C::SetDelayTimePowerOn>("DelayTimePowerOn"),
      Int16<&C::DelayTimePowerOff, &C::SetDelayTimePowerOff>("DelayTimePowerOff"),
      Enum<&C::TestStandard, &C::SetTestStandard>("TestStandard"),
      Enum<&C::PECurrent, &C::SetPECurrent>("PECurrent"),
      Enum<&C::ResWires, &C::SetResWires>("ResWires"),
      Enum<&C::TestVoltage, &C::SetTestVoltage>("TestVoltage"),
      Enum<&C::measType, &C::SetMeasType>("measType"),
      Enum<&C::AppliedParts, &C::SetAppliedParts>("AppliedParts"),
      Int16<&C::MapLevel, &C::SetMapLevel>("MapLevel"),
      Int16<&C::MapLimit, &C::SetMapLimit>("MapLimit"),
      Enum<&C::WaveformType, &C::SetWaveformType>("WaveformType"),
      Int16<&C::ECGDuration, &C::SetECGDuration>("ECGDuration"),
      Boolean<&C::TotalLeakage, &C::SetTotalLeakage>("TotalLeakage"),
      Int32<&C::Duration, &C::SetDuration>("Duration"),
      Int16<&C::PolaritySwitchingDelay, &C::SetPolaritySwitchingDelay>("PolaritySwitchingDelay"),
      Enum<&C::MAPVoltage, &C::SetMAPVoltage>("MAPVoltage"),
      Enum<&C::MAPPolarity, &C::SetMAPPolarity>("MAPPolarity"),
      Enum<&C::MAPCurrent, &C::SetMAPCurrent>("MAPCurrent"),
      Enum<&C::PowerOFFScreen, &C::SetPowerOFFScreen>("PowerOFFScreen"),
  };
  return properties;
}

const SOptionProperty* CKsvTestOptions::FindProperty(const std::string& sName) {
  for (const SOptionProperty& property : Properties()) {
    if (SameName(sName, property.sName)) {
      return &property;
    }
  }
  return nullptr;
}

CVariant CKsvTestOptions::GetProperty(const std::string& sName) const {
  const SOptionProperty* pProperty = FindProperty(sName);
  if (pProperty == nullptr) {
    RaiseRuntimeError(erNoSuchMember);
  }
  return CVariant(pProperty->fnGet(*this));
}

void CKsvTestOptions::SetProperty(const std::string& sName, const CVariant& vValue) {
  const SOptionProperty* pProperty = FindProperty(sName);
  if (pProperty == nullptr) {
    RaiseRuntimeError(erNoSuchMember);
  }
  std::string sText = vValue.ToText();
  int32_t lValue = 0;
  switch (pProperty->eok) {
    case eokBoolean:
      lValue = BooleanValue(sText);
      break;
    case eokInteger16:
      lValue = TextToInt16(sText);
      break;
    case eokInteger32:
    case eokEnumeration:
      lValue = TextToInt32(sText);
      break;
  }
  pProperty->fnSet(*this, lValue);
}

}  // namespace ksv940
