#include "platform/automation/CClassRegistry.h"

#include <algorithm>
#include <cctype>

#include "platform/core/MRuntime.h"
#include "platform/core/MText.h"

namespace ksv940 {

namespace {

// Class ids are written "{3407950B-...}" by some and "3407950b-..." by others.
std::string NormalClassId(const std::string& sClassId) {
  std::string sId = LowerAscii(sClassId);
  if (sId.size() >= 2 && sId.front() == '{' && sId.back() == '}') {
    sId = sId.substr(1, sId.size() - 2);
  }
  return sId;
}

}  // namespace

bool CClassRegistry::SameClassId(const std::string& sA, const std::string& sB) {
  return NormalClassId(sA) == NormalClassId(sB);
}

void CClassRegistry::Register(SClassRegistration registration) {
  std::string sKey = NormalClassId(registration.sClassId);
  mClasses[sKey] = std::move(registration);
}

bool CClassRegistry::Unregister(const std::string& sClassId) {
  return mClasses.erase(NormalClassId(sClassId)) > 0;
}

const SClassRegistration* CClassRegistry::FindByClassId(const std::string& sClassId) const {
  auto it = mClasses.find(NormalClassId(sClassId));
  return it == mClasses.end() ? nullptr : &it->second;
}

const SClassRegistration* CClassRegistry::FindByProgId(const std::string& sProgId) const {
  std::string sWanted = LowerAscii(sProgId);
  for (const auto& [sKey, registration] : mClasses) {
    if (!registration.sProgId.empty() && LowerAscii(registration.sProgId) == sWanted) {
      return &registration;
    }
  }
  return nullptr;
}

std::shared_ptr<IAutomationObject> CClassRegistry::CreateObject(const std::string& sProgId) const {
  return Create(FindByProgId(sProgId));
}

std::shared_ptr<IAutomationObject> CClassRegistry::CreateInstance(
    const std::string& sClassId) const {
  return Create(FindByClassId(sClassId));
}

std::shared_ptr<IAutomationObject> CClassRegistry::Create(
    const SClassRegistration* pRegistration) const {
  if (pRegistration == nullptr || !pRegistration->fCreatable || !pRegistration->fnServer) {
    RaiseRuntimeError(erCannotCreateObject);
  }
  auto pObject = pRegistration->fnServer(pRegistration->sClassId);
  if (!pObject) {
    RaiseRuntimeError(erCannotCreateObject);
  }
  return pObject;
}

std::shared_ptr<CClassRegistry> CClassRegistry::CreateDefault() {
  return std::make_shared<CClassRegistry>();
}

}  // namespace ksv940
