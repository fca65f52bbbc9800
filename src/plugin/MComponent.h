#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/automation/IAutomationObject.h"

namespace ksv940 {

/// One public class of the component's type library.
struct SComponentClass {
  const char* sName;         ///< "CKsvSafetyTest"; the ProgID is the library name, ".", sName
  const char* sClassId;      ///< its class id
  const char* sInterfaceId;  ///< its default dual interface "_" + sName
  /// Makes a new object for the host; nullptr for classes the host may not create.
  std::shared_ptr<IAutomationObject> (*fnCreate)();
};

/// The component's public classes in the order of its type library.
const std::vector<SComponentClass>& ComponentClasses();

/// The ProgID of a class of the component: "OrvexKSV940vti.CKsvVti".
std::string ComponentProgId(const SComponentClass& cls);

/// Installs every class of the component in the thread's class registry (CContext), with its
/// class id, default interface id, ProgID and whether the host may create it.
void DllRegisterServer();

/// Removes the component's classes from the thread's class registry.
void DllUnregisterServer();

/// A new object of the class with the id sClassId (compared without regard to case, braces
/// allowed), or nullptr when the component has no such class or the host may not create it.
std::shared_ptr<IAutomationObject> DllGetClassObject(const std::string& sClassId);

/// True when no object of the component is alive, so its library could be unloaded.
bool DllCanUnloadNow();

}  // namespace ksv940
