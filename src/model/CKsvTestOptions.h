#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "declares/GDeclares.h"
#include "platform/automation/CServerLock.h"
#include "platform/automation/CVariant.h"
#include "platform/automation/IAutomationObject.h"

namespace ksv940 {

/// How a property of the options is typed on the automation interface.
enum EOptionKind : int32_t {
  eokBoolean = 0,      ///< 16-bit boolean, true is -1
  eokInteger16 = 1,    ///< 16-bit signed
  eokInteger32 = 2,    ///< 32-bit signed
  eokEnumeration = 3,  ///< 32-bit signed, values outside the member list allowed
};

class CKsvTestOptions;

/// One property of the options, for access by name.
struct SOptionProperty {
  const char* sName;
  EOptionKind eok;
  int32_t (*fnGet)(const CKsvTestOptions&);  ///< booleans answer -1 or 0
  void (*fnSet)(CKsvTestOptions&, int32_t);  ///< the value already fits the property's type
};

/// The settings that shape a test. The host sets them before each test; every property stores
/// any value of its type unchecked and keeps it until the host changes it.
class CKsvTestOptions : public IAutomationObject {
 public:
  std::string ClassName() const override { return "CKsvTestOptions"; }

  bool StopBeforeNewPC() const { return mfStopBeforeNewPC; }
  void SetStopBeforeNewPC(bool fValue) { mfStopBeforeNewPC = fValue; }
  bool StopAfterNewPC() const { return mfStopAfterNewPC; }
  void SetStopAfterNewPC(bool fValue) { mfStopAfterNewPC = fValue; }
  int16_t DelayTimePowerOn() const { return miDelayTimePowerOn; }
  void SetDelayTimePowerOn(int16_t iValue) { miDelayTimePowerOn = iValue; }
  int16_t DelayTimePowerOff() const { return miDelayTimePowerOff; }
  void SetDelayTimePowerOff(int16_t iValue) { miDelayTimePowerOff = iValue; }
  EKsvTestStd TestStandard() const { return meTestStandard; }
  void SetTestStandard(EKsvTestStd ets) { meTestStandard = ets; }
  EPECurrent PECurrent() const { return mePECurrent; }
  void SetPECurrent(EPECurrent epec) { mePECurrent = epec; }
  EResWires ResWires() const { return meResWires; }
  void SetResWires(EResWires erw) { meResWires = erw; }
  ETestVoltage TestVoltage() const { return meTestVoltage; }
  void SetTestVoltage(ETestVoltage etv) { meTestVoltage = etv; }
  EMeasType measType() const { return meMeasType; }
  void SetMeasType(EMeasType emt) { meMeasType = emt; }
  EAppliedParts AppliedParts() const { return meAppliedParts; }
  void SetAppliedParts(EAppliedParts eap) { meAppliedParts = eap; }
  int16_t MapLevel() const { return miMapLevel; }
  void SetMapLevel(int16_t iValue) { miMapLevel = iValue; }
  int16_t MapLimit() const { return miMapLimit; }
  void SetMapLimit(int16_t iValue) { miMapLimit = iValue; }
  EWaveformType WaveformType() const { return meWaveformType; }
  void SetWaveformType(EWaveformType ewt) { meWaveformType = ewt; }
  int16_t ECGDuration() const { return miECGDuration; }
  void SetECGDuration(int16_t iValue) { miECGDuration = iValue; }
  bool TotalLeakage() const { return mfTotalLeakage; }
  void SetTotalLeakage(bool fValue) { mfTotalLeakage = fValue; }
  int32_t Duration() const { return mlDuration; }
  void SetDuration(int32_t lValue) { mlDuration = lValue; }
  int16_t PolaritySwitchingDelay() const { return miPolaritySwitchingDelay; }
  void SetPolaritySwitchingDelay(int16_t iValue) { miPolaritySwitchingDelay = iValue; }
  EKsvMAPVoltage MAPVoltage() const { return meMAPVoltage; }
  void SetMAPVoltage(EKsvMAPVoltage eemv) { meMAPVoltage = eemv; }
  EKsvMAPPolarity MAPPolarity() const { return meMAPPolarity; }
  void SetMAPPolarity(EKsvMAPPolarity eemp) { meMAPPolarity = eemp; }
  EKsvMAPCurrent MAPCurrent() const { return meMAPCurrent; }
  void SetMAPCurrent(EKsvMAPCurrent eemc) { meMAPCurrent = eemc; }
  EKsvPowerOFFScreen PowerOFFScreen() const { return mePowerOFFScreen; }
  void SetPowerOFFScreen(EKsvPowerOFFScreen eepo) { mePowerOFFScreen = eepo; }

  /// The instrument's command for WaveformType ("CPL30" for ewt_Complex30BPM ... "VFIB" for
  /// ewt_Vfib) as a text value; an empty value for a waveform outside 0 to 15. Changes nothing.
  CVariant SetWaveformCmd() const;

  /// Every property in the order of the interface.
  static const std::vector<SOptionProperty>& Properties();
  /// The property named sName (compared without regard to case); nullptr when there is none.
  static const SOptionProperty* FindProperty(const std::string& sName);

  /// Reads a property by its name as a dispatch interface does: numbers and enumerations as
  /// integers, booleans as -1 or 0. An unknown name raises "Object doesn't support this property
  /// or method" (438).
  CVariant GetProperty(const std::string& sName) const;

  /// Writes a property by its name as a dispatch interface coerces a value: an integer for numbers
  /// and enumerations, "true"/"false" (any case) or an integer (non-zero is true) for booleans. An
  /// unknown name raises 438, a value that is not a number Type mismatch (13), a number that does
  /// not fit the property Overflow (6); the property is then unchanged.
  void SetProperty(const std::string& sName, const CVariant& vValue);

 private:
  bool mfStopBeforeNewPC = false;
  bool mfStopAfterNewPC = false;
  int16_t miDelayTimePowerOn = 2;
  int16_t miDelayTimePowerOff = 0;
  EKsvTestStd meTestStandard = etsNONE;
  EPECurrent mePECurrent = epec_200mA;
  EResWires meResWires = erw_2wire;
  ETestVoltage meTestVoltage = etv_500;
  EMeasType meMeasType = emt_ACDC;
  EAppliedParts meAppliedParts = eap_open;
  int16_t miMapLevel = 0;
  int16_t miMapLimit = 0;
  EWaveformType meWaveformType = ewt_Complex30BPM;
  int16_t miECGDuration = 0;
  bool mfTotalLeakage = false;
  int32_t mlDuration = 2;
  int16_t miPolaritySwitchingDelay = 2;
  EKsvMAPVoltage meMAPVoltage = eemv_100;
  EKsvMAPPolarity meMAPPolarity = eemp_Normal;
  EKsvMAPCurrent meMAPCurrent = eemc_1mA;
  EKsvPowerOFFScreen mePowerOFFScreen = eepo_After;
  CServerLock mServerLock;
};

}  // namespace ksv940
