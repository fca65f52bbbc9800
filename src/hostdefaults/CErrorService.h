#pragma once

#include "hostapi/IErrorService.h"

namespace ksv940 {

/// Our error service: raises the host's two test-plan errors with our own wording, the
/// component's own numbers with the component's text, and forwards other failures unchanged but
/// for their source.
class CErrorService : public IErrorService {
 public:
  [[noreturn]] void RaiseHostError(const std::string& sModule, int32_t lNumber,
                                   const std::string& sSource, int32_t lFlags,
                                   const CVariantList& vParams) override;
  [[noreturn]] void ForwardError(const CAutomationError& errFailure,
                                 const std::string& sSource) override;
};

}  // namespace ksv940
