#include "host/default/MHostDefaults.h"

#include "host/default/CErrorService.h"
#include "host/default/CLanguageService.h"
#include "host/default/CMtiData.h"
#include "host/default/CMtiPortLookup.h"
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
