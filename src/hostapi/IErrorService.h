#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/automation/CVariant.h"
#include "platform/core/CAutomationError.h"

namespace ksv940 {

/// The host's error service, used by the persistence of a test in the host's test plan.
class IErrorService {
 public:
  virtual ~IErrorService() = default;

  /// Raises error lNumber with the host's text for it (up to five parameters).
  [[noreturn]] virtual void RaiseHostError(const std::string& sModule, int32_t lNumber,
                                           const std::string& sSource, int32_t lFlags,
                                           const CVariantList& vParams) = 0;

  /// Raises errFailure again on behalf of sSource.
  [[noreturn]] virtual void ForwardError(const CAutomationError& errFailure,
                                         const std::string& sSource) = 0;
};

}  // namespace ksv940
