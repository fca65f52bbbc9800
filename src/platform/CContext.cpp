#include "platform/CContext.h"

namespace ksv940 {

namespace {

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
    // The factory may itself ask for other services; insert only after it has returned.
    std::shared_ptr<void> pService = factory();
    it = defaults.emplace(type, std::move(pService)).first;
  }
  return it->second;
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
