#include <unistd.h>

#include <iostream>

#include "platform/CAutomaticView.h"
#include "platform/CTerminalView.h"
#include "platform/IFormView.h"

namespace ksv940 {

std::shared_ptr<IFormView> IFormView::CreateDefault() {
  if (isatty(STDIN_FILENO) == 1) {
    return std::make_shared<CTerminalView>(STDIN_FILENO, STDOUT_FILENO);
  }
  return std::make_shared<CAutomaticView>(eoaNone, 0, std::cerr, std::cerr);
}

}  // namespace ksv940
