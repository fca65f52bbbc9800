#include "platform/core/CContext.h"

#include <mutex>
#include <string>

#include "platform/core/CAutomationError.h"
#include "platform/core/MRuntime.h"

namespace ksv940 {

namespace {

// The factories the process installed; read by every thread, written at start-up.
std::mutex gInstalledLock;
std::unordered_map<std::type_index, std::function<std::shared_ptr<void>()>>& InstalledDefaults() {
  static std::unordered_map<std::type_index, std::function<std::shared_ptr<void>()>> installed;
  return installed;
}

thread_local CContextScope* gpInnermostScope = nullptr;

// The thread's defaults, made on first use. Released when the thread ends.
std::unordered_map<std::type_index, std::shared_ptr<void>>& ThreadDefaults() {
  thread_local std::unordered_map<std::type_index, std::shared_ptr<void>> defaults;
  return defaults;
}

}  // namespace

CContextScope::CContextScope() : mpOuter(gpInnermostScope) {
  gpInnermostScope = this;
}

CContextScope::~CContextScope() {
  gpInnermostScope = mpOuter;
}

std::shared_ptr<void> CContext::LookupShared(std::type_index type, const Factory& factory) {
  for (CContextScope* pScope = gpInnermostScope; pScope != nullptr; pScope = pScope->mpOuter) {
    auto it = pScope->mServices.find(type);
    if (it != pScope->mServices.end()) {
      return it->second;
    }
  }
  auto& defaults = ThreadDefaults();
  auto it = defaults.find(type);
  if (it == defaults.end()) {
    Factory make = factory;
    {
      std::lock_guard<std::mutex> lock(gInstalledLock);
      auto installed = InstalledDefaults().find(type);
      if (installed != InstalledDefaults().end()) {
        make = installed->second;
      }
    }
    // The factory may itself ask for other services; insert only after it has returned.
    std::shared_ptr<void> pService = make();
    it = defaults.emplace(type, std::move(pService)).first;
  }
  return it->second;
}

void CContext::InstallDefault(std::type_index type, Factory factory) {
  std::lock_guard<std::mutex> lock(gInstalledLock);
  InstalledDefaults()[type] = std::move(factory);
}

void CContext::NoDefault(const char* szType) {
  // A host service nobody installed: the host (or the command line) provides it at start-up.
  std::string sDescription = RuntimeErrorText(erCannotCreateObject);
  sDescription += ": no service ";
  sDescription += szType;
  sDescription += " is installed";
  throw CAutomationError(erCannotCreateObject, kComponentName, sDescription);
}

void* CContext::Lookup(std::type_index type, const Factory& factory) {
  for (CContextScope* pScope = gpInnermostScope; pScope != nullptr; pScope = pScope->mpOuter) {
    auto it = pScope->mServices.find(type);
    if (it != pScope->mServices.end()) {
      return it->second.get();
    }
  }
  return LookupShared(type, factory).get();
}

}  // namespace ksv940
