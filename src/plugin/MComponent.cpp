#include "plugin/MComponent.h"

#include "link/CKsvMlcQuery.h"
#include "link/CWifiBridgeConnector.h"
#include "model/CKsvSafetyTest.h"
#include "platform/automation/CClassRegistry.h"
#include "platform/automation/CServerLock.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "plugin/CKsvVti.h"

namespace ksv940 {

namespace {

template <class T>
std::shared_ptr<IAutomationObject> Create() {
  return std::make_shared<T>();
}

}  // namespace

const std::vector<SComponentClass>& ComponentClasses() {
  // One line per class: a creatable class names its factory, the others nullptr.
  static const std::vector<SComponentClass> classes = {
      {"CKsvVti", "3407950b-0137-4f81-b129-e0cf619ff7e3", "3fc9ef91-1a7b-4b46-9430-cfb21aaca97a",
       &Create<CKsvVti>},
      {"CKsvSafetyTest", "dffb18ba-aa95-4ff8-848e-7ede3daff81b",
       "2d1cfbeb-2f1b-4fb4-adbb-73460ae3e1ba", &Create<CKsvSafetyTest>},
      {"CKsvTestOptions", "017717e8-6433-4926-8f48-7cc79d94e5a5",
       "942e8536-3aae-4275-a3c1-686181e6bfb3", nullptr},
      {"CKsvTestResult", "a1420244-86c1-4c8c-b154-beb0fba5ddf4",
       "a2ac4269-c466-4f29-a44e-576ef013fbcc", nullptr},
      {"CKsvMlcQuery", "a90e5f20-2091-47a9-bd61-582dc8284429",
       "2f64eea1-7540-43c4-84b4-a58a51197901", &Create<CKsvMlcQuery>},
      {"GDeclares", "a3778cb4-11db-47dc-beb3-de0945ee0773", "6f294006-11c8-45bd-9146-682d8b6c5327",
       nullptr},
  };
  return classes;
}

std::string ComponentProgId(const SComponentClass& cls) {
  return std::string(kComponentName) + "." + cls.sName;
}

void DllRegisterServer() {
  auto& registry = CContext::Get<CClassRegistry>();
  for (const SComponentClass& cls : ComponentClasses()) {
    SClassRegistration registration;
    registration.sClassName = cls.sName;
    registration.sProgId = ComponentProgId(cls);
    registration.sClassId = cls.sClassId;
    registration.sInterfaceId = cls.sInterfaceId;
    registration.sServer = kComponentName;
    registration.fCreatable = cls.fnCreate != nullptr;
    if (registration.fCreatable) {
      registration.fnServer = &DllGetClassObject;
    }
    registry.Register(std::move(registration));
  }
  // The wireless connector ships with the component; a connector already installed stays.
  if (registry.FindByClassId(IWifiConnector::kClassId) == nullptr) {
    CWifiBridgeConnector::RegisterClass(registry);
  }
}

void DllUnregisterServer() {
  auto& registry = CContext::Get<CClassRegistry>();
  for (const SComponentClass& cls : ComponentClasses()) {
    registry.Unregister(cls.sClassId);
  }
}

std::shared_ptr<IAutomationObject> DllGetClassObject(const std::string& sClassId) {
  for (const SComponentClass& cls : ComponentClasses()) {
    if (CClassRegistry::SameClassId(sClassId, cls.sClassId)) {
      return cls.fnCreate != nullptr ? cls.fnCreate() : nullptr;
    }
  }
  return nullptr;
}

bool DllCanUnloadNow() {
  return CServerLock::Count() == 0;
}

}  // namespace ksv940
