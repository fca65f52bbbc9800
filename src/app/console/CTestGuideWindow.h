#pragma once

#include <string>

#include "platform/forms/IWindow.h"

namespace ksv940 {

/// The command's stand-in for the host's test-guide window: the owner of the dialogs it shows.
class CTestGuideWindow : public IWindow {
 public:
  std::string WindowTitle() const override { return "ksv940"; }
};

}  // namespace ksv940
