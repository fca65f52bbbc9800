#include "platform/forms/IMessageBox.h"

#include "platform/core/CAutomationError.h"

namespace ksv940 {

std::string MessageBoxTitle(const std::string& sTitle) {
  return sTitle.empty() ? std::string(kComponentName) : sTitle;
}

}  // namespace ksv940
