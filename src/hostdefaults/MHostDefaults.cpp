#include "hostdefaults/MHostDefaults.h"

#include "hostdefaults/CErrorService.h"
#include "hostdefaults/CLanguageService.h"
#include "hostdefaults/CMtiData.h"
#include "hostdefaults/CMtiPortLookup.h"
#include "platform/automation/CClassRegistry.h"
#include "platform/core/CContext.h"

namespace ksv940 {

std::shared_ptr<CClassRegistry> MakeHostRegistry() {
  auto pRegistry = std::make_shared<CClassRegistry>();
  CMtiData::RegisterClass(*pRegistry);
  return pRegistry;
}

void InstallHostDefaults() {
  CContext::SetDefault<ILanguageService>([] { return std::make_shared<CLanguageService>(); });
  CContext::SetDefault<IErrorService>([] { return std::make_shared<CErrorService>(); });
  CContext::SetDefault<IMtiPortLookup>([] { return std::make_shared<CMtiPortLookup>(); });
  CContext::SetDefault<CClassRegistry>(&MakeHostRegistry);
}

}  // namespace ksv940
