#pragma once

#include <string>

#include "hostapi/IOrvexMtiData.h"

namespace ksv940 {

class CClassRegistry;

/// Our description of a connected instrument: its type and identity as the component records
/// them after reading the instrument's identity.
class CMtiData : public IOrvexMtiData {
 public:
  std::string ClassName() const override { return "MtiData"; }

  void SetInstrumentType(const std::string& sType, int32_t lFlags) override;
  void SetIdentity(const std::string& sModel, const std::string& sSerialNumber,
                   const std::string& sFirmwareVersion) override;
  std::string InstrumentType() const override { return msInstrumentType; }
  std::string Model() const override { return msModel; }
  std::string SerialNumber() const override { return msSerialNumber; }
  std::string FirmwareVersion() const override { return msFirmwareVersion; }
  int32_t InstrumentFlags() const { return mlFlags; }

  /// Installs the class in the registry under the host's class id (no ProgID), creatable.
  static void RegisterClass(CClassRegistry& registry);

 private:
  std::string msInstrumentType;
  int32_t mlFlags = 0;
  std::string msModel;
  std::string msSerialNumber;
  std::string msFirmwareVersion;
};

}  // namespace ksv940
