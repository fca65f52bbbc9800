#include <unistd.h>

#include "app/console/COperatorOption.h"
#include "platform/forms/CAutomaticView.h"
#include "platform/forms/CTerminalView.h"

namespace ksv940 {

COperatorOption COperatorOption::Default() {
  return {isatty(STDIN_FILENO) == 1 ? eovTerminal : eovAutomatic, eoaNone, 0};
}

std::shared_ptr<IFormView> COperatorOption::MakeView(std::ostream& out, std::ostream& err) const {
  if (meovView == eovTerminal) {
    return std::make_shared<CTerminalView>(STDIN_FILENO, STDOUT_FILENO);
  }
  return std::make_shared<CAutomaticView>(meoaAnswer, mlAfterMs, out, err);
}

}  // namespace ksv940
