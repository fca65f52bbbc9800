#pragma once

#include <cstdint>
#include <string>

#include "platform/automation/IAutomationObject.h"

namespace ksv940 {

/// The host's description of a connected instrument. The component creates it by the host's class
/// id at every identity read and hands it to the host, which may keep it.
class IOrvexMtiData : public IAutomationObject {
 public:
  static constexpr const char* kClassId = "17EF47B1-647E-11D4-BF79-0050DA3393D8";

  virtual void SetInstrumentType(const std::string& sType, int32_t lFlags) = 0;
  virtual void SetIdentity(const std::string& sModel, const std::string& sSerialNumber,
                           const std::string& sFirmwareVersion) = 0;
  virtual std::string InstrumentType() const = 0;
  virtual std::string Model() const = 0;
  virtual std::string SerialNumber() const = 0;
  virtual std::string FirmwareVersion() const = 0;
};

}  // namespace ksv940
