#include "host/default/CErrorService.h"

#include "model/GDeclares.h"
#include "platform/MRuntime.h"
#include "support/MError.h"

namespace ksv940 {

std::shared_ptr<IErrorService> IErrorService::CreateDefault() {
  return std::make_shared<CErrorService>();
}

void CErrorService::RaiseHostError(const std::string& /*sModule*/, int32_t lNumber,
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
  if (lNumber >= errVTI_Error && lNumber <= errVTI_WrongFWVer) {
    RaiseError(lNumber, sSource, "", vParams);
  }
  throw CAutomationError(lNumber, sSource, RuntimeErrorText(lNumber));
}

void CErrorService::ForwardError(const CAutomationError& errFailure, const std::string& sSource) {
  throw CAutomationError(errFailure.Number(), sSource, errFailure.Description());
}

}  // namespace ksv940
