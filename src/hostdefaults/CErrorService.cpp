#include "hostdefaults/CErrorService.h"

#include "declares/GDeclares.h"
#include "hostapi/ILanguageService.h"
#include "platform/core/CContext.h"
#include "platform/core/MRuntime.h"
#include "resources/CStringTable.h"

namespace ksv940 {

void CErrorService::RaiseHostError(const std::string& sModule, int32_t lNumber,
                                   const std::string& sSource, int32_t /*lFlags*/,
                                   const CVariantList& vParams) {
  if (lNumber == kErrNotKsvTestElement) {
    throw CAutomationError(lNumber, sSource,
                           "The test-plan element is not a KSV940 test: a KSV940 test is stored "
                           "as an element named KSV940Test.");
  }
  if (lNumber == kErrCreateElementFailed) {
    throw CAutomationError(lNumber, sSource,
                           "The test plan could not make a KSV940Test element for the test.");
  }
  // The component's own numbers read as the component's string table words them (900 + the
  // offset from errVTI_Error), in the operator's language, as a host reads a component's strings.
  if (lNumber >= errVTI_Error && lNumber <= errVTI_WrongFWVer) {
    std::optional<std::string> sText =
        CStringTable::Load(CStringTable::kErrorTextBase + (lNumber - errVTI_Error));
    if (sText) {
      throw CAutomationError(lNumber, sSource,
                             CContext::Get<ILanguageService>().GetText(sModule, *sText, vParams));
    }
  }
  throw CAutomationError(lNumber, sSource, RuntimeErrorText(lNumber));
}

void CErrorService::ForwardError(const CAutomationError& errFailure, const std::string& sSource) {
  throw CAutomationError(errFailure.Number(), sSource, errFailure.Description());
}

}  // namespace ksv940
