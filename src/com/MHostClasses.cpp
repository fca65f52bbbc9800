#include "com/MHostClasses.h"

#include <objbase.h>

#include <windows.h>
#include <mutex>

#include "com/CDispatchMtiData.h"
#include "com/CDispatchWifiConnector.h"
#include "hostapi/IOrvexMtiData.h"
#include "hostdefaults/MHostDefaults.h"
#include "link/IWifiConnector.h"
#include "platform/automation/CClassRegistry.h"
#include "platform/core/CContext.h"
#include "platform/core/MRuntime.h"
#include "platform/core/Win32Text.h"
#include "plugin/MComponent.h"

namespace ksv940 {

namespace {

// The machine's class of that id as a dispatch object; nullptr when no such class is registered.
IDispatch* CreateRegistered(const std::string& sClassId) {
  CLSID clsid{};
  std::wstring sBraced = WideText("{" + sClassId + "}");
  if (FAILED(CLSIDFromString(sBraced.c_str(), &clsid))) {
    return nullptr;
  }
  IDispatch* pObject = nullptr;
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IDispatch, reinterpret_cast<void**>(&pObject));
  if (hr == REGDB_E_CLASSNOTREG || hr == CO_E_CLASSSTRING) {
    return nullptr;
  }
  if (FAILED(hr) || pObject == nullptr) {
    // Installed but not working: the host must learn that, not get a stand-in.
    RaiseRuntimeError(erCannotCreateObject);
  }
  return pObject;
}

template <class TAdapter>
void PreferRegistered(CClassRegistry& registry, const std::string& sClassId) {
  const SClassRegistration* pBuiltIn = registry.FindByClassId(sClassId);
  if (pBuiltIn == nullptr) {
    return;
  }
  SClassRegistration registration = *pBuiltIn;
  FClassServer fnBuiltIn = registration.fnServer;
  registration.fnServer = [fnBuiltIn,
                           sClassId](const std::string& sId) -> std::shared_ptr<IAutomationObject> {
    if (IDispatch* pObject = CreateRegistered(sClassId); pObject != nullptr) {
      auto pAdapter = std::make_shared<TAdapter>(pObject);
      pObject->Release();
      return pAdapter;
    }
    return fnBuiltIn ? fnBuiltIn(sId) : nullptr;
  };
  registry.Register(std::move(registration));
}

}  // namespace

void InstallHostClasses() {
  // The host's services are ours (the command line's) unless a host installs its own.
  static std::once_flag installDefaults;
  std::call_once(installDefaults, [] { InstallHostDefaults(); });
  thread_local bool fInstalled = false;
  if (fInstalled) {
    return;
  }
  fInstalled = true;
  ksv940::DllRegisterServer();
  CClassRegistry& registry = CContext::Get<CClassRegistry>();
  PreferRegistered<CDispatchMtiData>(registry, IOrvexMtiData::kClassId);
  PreferRegistered<CDispatchWifiConnector>(registry, IWifiConnector::kClassId);
}

}  // namespace ksv940
