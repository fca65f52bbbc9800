#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation/IAutomationObject.h"

namespace ksv940 {

/// A server's creation entry point: the object of the class with the given id, or nullptr when
/// the server does not make that class.
using FClassServer = std::function<std::shared_ptr<IAutomationObject>(const std::string&)>;

/// One class as the registry knows it.
struct SClassRegistration {
  std::string sClassName;    ///< "CKsvSafetyTest"
  std::string sProgId;       ///< "OrvexKSV940vti.CKsvSafetyTest"; empty when the class has none
  std::string sClassId;      ///< "dffb18ba-aa95-4ff8-848e-7ede3daff81b"
  std::string sInterfaceId;  ///< its default interface; empty when unknown
  std::string sServer;       ///< the library that serves it: "OrvexKSV940vti"
  bool fCreatable = false;   ///< whether a host may create it
  FClassServer fnServer;     ///< the server's entry point; only creatable classes need one
};

/// The classes installed for this thread, as the system's class registry holds them: class ids,
/// default interface ids, ProgIDs and which classes may be created, and creation by ProgID or by
/// class id as a host does it. Class ids and ProgIDs are compared without regard to case, and a
/// class id may be written with or without braces.
class CClassRegistry {
 public:
  /// Adds the class, or replaces the registration with the same class id.
  void Register(SClassRegistration registration);
  /// Removes the class with the id; false when it was not registered.
  bool Unregister(const std::string& sClassId);

  /// The registration, or nullptr when there is none.
  const SClassRegistration* FindByClassId(const std::string& sClassId) const;
  const SClassRegistration* FindByProgId(const std::string& sProgId) const;

  /// A new object of the class, as CreateObject("OrvexKSV940vti.CKsvVti") gives it. A ProgID or
  /// class id that is not registered, a class that may not be created and a server that answers
  /// nothing raise "ActiveX component can't create object" (429).
  std::shared_ptr<IAutomationObject> CreateObject(const std::string& sProgId) const;
  std::shared_ptr<IAutomationObject> CreateInstance(const std::string& sClassId) const;

  /// Whether two class ids name the same class (case and braces aside).
  static bool SameClassId(const std::string& sA, const std::string& sB);

  /// An empty registry. The host installs a default that holds its own classes, and a component's
  /// classes are added by its DllRegisterServer.
  static std::shared_ptr<CClassRegistry> CreateDefault();

 private:
  std::shared_ptr<IAutomationObject> Create(const SClassRegistration* pRegistration) const;

  std::map<std::string, SClassRegistration> mClasses;  // by normalized class id
};

}  // namespace ksv940
