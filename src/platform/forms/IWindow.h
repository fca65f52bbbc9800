#pragma once

#include <string>

namespace ksv940 {

/// A window as an owner of modal dialogs: the host's test-guide window, or a dialog itself. The
/// component never looks inside it; it only hands it on.
class IWindow {
 public:
  virtual ~IWindow() = default;
  virtual std::string WindowTitle() const = 0;
};

}  // namespace ksv940
