#include "com/CComTestOptions.h"

#include <string>

#include "model/CKsvTestOptions.h"

namespace ksv940 {

CComTestOptions::CComTestOptions(std::shared_ptr<CKsvTestOptions> pOptions)
    : CDispatchObject(std::move(pOptions)) {}

CKsvTestOptions& CComTestOptions::Options() const {
  return static_cast<CKsvTestOptions&>(*mpNative);
}

// The options read and write by name, as the native object coerces values: numbers and
// enumerations as integers, Booleans as -1 and 0.
template <class T>
HRESULT CComTestOptions::Get(T* pValue, const char* szName) {
  if (pValue == nullptr) {
    return E_POINTER;
  }
  return Call(
      [&] { *pValue = static_cast<T>(std::stoll(Options().GetProperty(szName).ToText())); });
}

HRESULT CComTestOptions::Put(const char* szName, int64_t lValue) {
  return Call([&] { Options().SetProperty(szName, CVariant(lValue)); });
}

STDMETHODIMP CComTestOptions::get_StopBeforeNewPC(VARIANT_BOOL* pValue) {
  return Get(pValue, "StopBeforeNewPC");
}

STDMETHODIMP CComTestOptions::put_StopBeforeNewPC(VARIANT_BOOL value) {
  return Put("StopBeforeNewPC", value);
}

STDMETHODIMP CComTestOptions::get_StopAfterNewPC(VARIANT_BOOL* pValue) {
  return Get(pValue, "StopAfterNewPC");
}

STDMETHODIMP CComTestOptions::put_StopAfterNewPC(VARIANT_BOOL value) {
  return Put("StopAfterNewPC", value);
}

STDMETHODIMP CComTestOptions::get_DelayTimePowerOn(short* pValue) {
  return Get(pValue, "DelayTimePowerOn");
}

STDMETHODIMP CComTestOptions::put_DelayTimePowerOn(short value) {
  return Put("DelayTimePowerOn", value);
}

STDMETHODIMP CComTestOptions::get_DelayTimePowerOff(short* pValue) {
  return Get(pValue, "DelayTimePowerOff");
}

STDMETHODIMP CComTestOptions::put_DelayTimePowerOff(short value) {
  return Put("DelayTimePowerOff", value);
}

STDMETHODIMP CComTestOptions::get_TestStandard(::EKsvTestStd* pValue) {
  return Get(pValue, "TestStandard");
}

STDMETHODIMP CComTestOptions::put_TestStandard(::EKsvTestStd value) {
  return Put("TestStandard", value);
}

STDMETHODIMP CComTestOptions::get_PECurrent(::EPECurrent* pValue) {
  return Get(pValue, "PECurrent");
}

STDMETHODIMP CComTestOptions::put_PECurrent(::EPECurrent value) {
  return Put("PECurrent", value);
}

STDMETHODIMP CComTestOptions::get_ResWires(::EResWires* pValue) {
  return Get(pValue, "ResWires");
}

STDMETHODIMP CComTestOptions::put_ResWires(::EResWires value) {
  return Put("ResWires", value);
}

STDMETHODIMP CComTestOptions::get_TestVoltage(::ETestVoltage* pValue) {
  return Get(pValue, "TestVoltage");
}

STDMETHODIMP CComTestOptions::put_TestVoltage(::ETestVoltage value) {
  return Put("TestVoltage", value);
}

STDMETHODIMP CComTestOptions::get_measType(::EMeasType* pValue) {
  return Get(pValue, "measType");
}

STDMETHODIMP CComTestOptions::put_measType(::EMeasType value) {
  return Put("measType", value);
}

STDMETHODIMP CComTestOptions::get_AppliedParts(::EAppliedParts* pValue) {
  return Get(pValue, "AppliedParts");
}

STDMETHODIMP CComTestOptions::put_AppliedParts(::EAppliedParts value) {
  return Put("AppliedParts", value);
}

STDMETHODIMP CComTestOptions::get_MapLevel(short* pValue) {
  return Get(pValue, "MapLevel");
}

STDMETHODIMP CComTestOptions::put_MapLevel(short value) {
  return Put("MapLevel", value);
}

STDMETHODIMP CComTestOptions::get_MapLimit(short* pValue) {
  return Get(pValue, "MapLimit");
}

STDMETHODIMP CComTestOptions::put_MapLimit(short value) {
  return Put("MapLimit", value);
}

STDMETHODIMP CComTestOptions::get_WaveformType(::EWaveformType* pValue) {
  return Get(pValue, "WaveformType");
}

STDMETHODIMP CComTestOptions::put_WaveformType(::EWaveformType value) {
  return Put("WaveformType", value);
}

STDMETHODIMP CComTestOptions::get_ECGDuration(short* pValue) {
  return Get(pValue, "ECGDuration");
}

STDMETHODIMP CComTestOptions::put_ECGDuration(short value) {
  return Put("ECGDuration", value);
}

STDMETHODIMP CComTestOptions::get_TotalLeakage(VARIANT_BOOL* pValue) {
  return Get(pValue, "TotalLeakage");
}

STDMETHODIMP CComTestOptions::put_TotalLeakage(VARIANT_BOOL value) {
  return Put("TotalLeakage", value);
}

STDMETHODIMP CComTestOptions::get_Duration(LONG* pValue) {
  return Get(pValue, "Duration");
}

STDMETHODIMP CComTestOptions::put_Duration(LONG value) {
  return Put("Duration", value);
}

STDMETHODIMP CComTestOptions::get_PolaritySwitchingDelay(short* pValue) {
  return Get(pValue, "PolaritySwitchingDelay");
}

STDMETHODIMP CComTestOptions::put_PolaritySwitchingDelay(short value) {
  return Put("PolaritySwitchingDelay", value);
}

STDMETHODIMP CComTestOptions::get_MAPVoltage(::EKsvMAPVoltage* pValue) {
  return Get(pValue, "MAPVoltage");
}

STDMETHODIMP CComTestOptions::put_MAPVoltage(::EKsvMAPVoltage value) {
  return Put("MAPVoltage", value);
}

STDMETHODIMP CComTestOptions::get_MAPPolarity(::EKsvMAPPolarity* pValue) {
  return Get(pValue, "MAPPolarity");
}

STDMETHODIMP CComTestOptions::put_MAPPolarity(::EKsvMAPPolarity value) {
  return Put("MAPPolarity", value);
}

STDMETHODIMP CComTestOptions::get_MAPCurrent(::EKsvMAPCurrent* pValue) {
  return Get(pValue, "MAPCurrent");
}

STDMETHODIMP CComTestOptions::put_MAPCurrent(::EKsvMAPCurrent value) {
  return Put("MAPCurrent", value);
}

STDMETHODIMP CComTestOptions::get_PowerOFFScreen(::EKsvPowerOFFScreen* pValue) {
  return Get(pValue, "PowerOFFScreen");
}

STDMETHODIMP CComTestOptions::put_PowerOFFScreen(::EKsvPowerOFFScreen value) {
  return Put("PowerOFFScreen", value);
}

STDMETHODIMP CComTestOptions::SetWaveformCmd(VARIANT* pCommand) {
  if (pCommand == nullptr) {
    return E_POINTER;
  }
  return Call([&] { ToVariant(Options().SetWaveformCmd(), pCommand); });
}

}  // namespace ksv940
