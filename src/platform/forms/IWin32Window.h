#pragma once

#include <windows.h>

namespace ksv940 {

/// A window that has a Windows window handle: the host's test-guide window as the automation
/// layer hands it over. The forms' view makes it the owner of the dialogs it shows.
class IWin32Window {
 public:
  virtual ~IWin32Window() = default;
  /// The window's handle; nullptr when it has none.
  virtual HWND WindowHandle() const = 0;
};

}  // namespace ksv940
