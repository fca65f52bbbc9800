#include "host/default/CMtiData.h"

#include "platform/CClassRegistry.h"

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

// The thread's registry starts as the host installs it: with the host's own classes.
std::shared_ptr<CClassRegistry> CClassRegistry::CreateDefault() {
  auto pRegistry = std::make_shared<CClassRegistry>();
  CMtiData::RegisterClass(*pRegistry);
  return pRegistry;
}

}  // namespace ksv940
