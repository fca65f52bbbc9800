#include <iostream>

#include "platform/forms/CAutomaticView.h"
#include "platform/forms/IFormView.h"

namespace ksv940 {

// Without a window system a library cannot know whether a person sits at the terminal; the host
// (the command line) chooses the terminal view when one does. Until then forms are answered as an
// unattended run answers them, and shown on standard error.
std::shared_ptr<IFormView> IFormView::CreateDefault() {
  return std::make_shared<CAutomaticView>(eoaNone, 0, std::cerr, std::cerr);
}

}  // namespace ksv940
