#pragma once

#include <memory>

#include <OrvexKSV940vti.h>  // generated from OrvexKSV940vti.idl
#include "com/CDispatchObject.h"

namespace ksv940 {

class CKsvTestOptions;

/// The host's view of a plug-in object's options (_CKsvTestOptions): every property reads and
/// writes the very options object the plug-in's operations read.
class CComTestOptions : public CDispatchObject<_CKsvTestOptions, &IID__CKsvTestOptions> {
 public:
  explicit CComTestOptions(std::shared_ptr<CKsvTestOptions> pOptions);

  STDMETHODIMP get_StopBeforeNewPC(VARIANT_BOOL* pValue) override;
  STDMETHODIMP put_StopBeforeNewPC(VARIANT_BOOL value) override;
  STDMETHODIMP get_StopAfterNewPC(VARIANT_BOOL* pValue) override;
  STDMETHODIMP put_StopAfterNewPC(VARIANT_BOOL value) override;
  STDMETHODIMP get_DelayTimePowerOn(short* pValue) override;
  STDMETHODIMP put_DelayTimePowerOn(short value) override;
  STDMETHODIMP get_DelayTimePowerOff(short* pValue) override;
  STDMETHODIMP put_DelayTimePowerOff(short value) override;
  STDMETHODIMP get_TestStandard(::EKsvTestStd* pValue) override;
  STDMETHODIMP put_TestStandard(::EKsvTestStd value) override;
  STDMETHODIMP get_PECurrent(::EPECurrent* pValue) override;
  STDMETHODIMP put_PECurrent(::EPECurrent value) override;
  STDMETHODIMP get_ResWires(::EResWires* pValue) override;
  STDMETHODIMP put_ResWires(::EResWires value) override;
  STDMETHODIMP get_TestVoltage(::ETestVoltage* pValue) override;
  STDMETHODIMP put_TestVoltage(::ETestVoltage value) override;
  STDMETHODIMP get_measType(::EMeasType* pValue) override;
  STDMETHODIMP put_measType(::EMeasType value) override;
  STDMETHODIMP get_AppliedParts(::EAppliedParts* pValue) override;
  STDMETHODIMP put_AppliedParts(::EAppliedParts value) override;
  STDMETHODIMP get_MapLevel(short* pValue) override;
  STDMETHODIMP put_MapLevel(short value) override;
  STDMETHODIMP get_MapLimit(short* pValue) override;
  STDMETHODIMP put_MapLimit(short value) override;
  STDMETHODIMP get_WaveformType(::EWaveformType* pValue) override;
  STDMETHODIMP put_WaveformType(::EWaveformType value) override;
  STDMETHODIMP get_ECGDuration(short* pValue) override;
  STDMETHODIMP put_ECGDuration(short value) override;
  STDMETHODIMP get_TotalLeakage(VARIANT_BOOL* pValue) override;
  STDMETHODIMP put_TotalLeakage(VARIANT_BOOL value) override;
  STDMETHODIMP get_Duration(LONG* pValue) override;
  STDMETHODIMP put_Duration(LONG value) override;
  STDMETHODIMP get_PolaritySwitchingDelay(short* pValue) override;
  STDMETHODIMP put_PolaritySwitchingDelay(short value) override;
  STDMETHODIMP get_MAPVoltage(::EKsvMAPVoltage* pValue) override;
  STDMETHODIMP put_MAPVoltage(::EKsvMAPVoltage value) override;
  STDMETHODIMP get_MAPPolarity(::EKsvMAPPolarity* pValue) override;
  STDMETHODIMP put_MAPPolarity(::EKsvMAPPolarity value) override;
  STDMETHODIMP get_MAPCurrent(::EKsvMAPCurrent* pValue) override;
  STDMETHODIMP put_MAPCurrent(::EKsvMAPCurrent value) override;
  STDMETHODIMP get_PowerOFFScreen(::EKsvPowerOFFScreen* pValue) override;
  STDMETHODIMP put_PowerOFFScreen(::EKsvPowerOFFScreen value) override;
  STDMETHODIMP SetWaveformCmd(VARIANT* pCommand) override;

 private:
  CKsvTestOptions& Options() const;
  template <class T>
  HRESULT Get(T* pValue, const char* szName);
  HRESULT Put(const char* szName, int64_t lValue);
};

}  // namespace ksv940
