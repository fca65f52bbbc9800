#include "hostdefaults/CMtiData.h"

#include "platform/automation/CClassRegistry.h"

namespace ksv940 {

void CMtiData::SetInstrumentType(const std::string& sType, int32_t lFlags) {
  msInstrumentType = sType;
  mlFlags = lFlags;
}

void CMtiData::SetIdentity(const std::string& sModel, const std::string& sSerialNumber,
                           const std::string& sFirmwareVersion) {
  msModel = sModel;
  msSerialNumber = sSerialNumber;
  msFirmwareVersion = sFirmwareVersion;
}

void CMtiData::RegisterClass(CClassRegistry& registry) {
  SClassRegistration registration;
  registration.sClassName = "MtiData";
  registration.sClassId = kClassId;
  registration.sServer = "Orvex";
  registration.fCreatable = true;
  registration.fnServer = [](const std::string&) -> std::shared_ptr<IAutomationObject> {
    return std::make_shared<CMtiData>();
  };
  registry.Register(std::move(registration));
}

}  // namespace ksv940
