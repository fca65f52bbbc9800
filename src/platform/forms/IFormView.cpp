#include "platform/forms/IFormView.h"

namespace ksv940 {

void InstallView(CContextScope& scope, const std::shared_ptr<IFormView>& pView) {
  scope.Set<IFormView>(pView).Set<IMessageBox>(pView);
}

}  // namespace ksv940
