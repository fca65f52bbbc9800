#include "platform/automation/CVariant.h"

#include <cstdio>

namespace ksv940 {

std::string CVariant::ToText() const {
  if (const auto* plValue = std::get_if<int64_t>(&mValue)) {
    return std::to_string(*plValue);
  }
  if (const auto* pdValue = std::get_if<double>(&mValue)) {
    // Fifteen significant digits, the precision an operator reads a double with.
    char szBuffer[64];
    std::snprintf(szBuffer, sizeof szBuffer, "%.15g", *pdValue);
    return szBuffer;
  }
  if (const auto* psValue = std::get_if<std::string>(&mValue)) {
    return *psValue;
  }
  return {};
}

}  // namespace ksv940
