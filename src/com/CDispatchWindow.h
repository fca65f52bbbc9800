#pragma once

#include "com/CDispatchCaller.h"
#include "platform/forms/IWin32Window.h"
#include "platform/forms/IWindow.h"

namespace ksv940 {

/// The host's test-guide window as the host hands it over: an untyped dispatch object. Its title
/// is its Caption and its window handle its hWnd, read by name when the object has them.
class CDispatchWindow : public IWindow, public IWin32Window {
 public:
  explicit CDispatchWindow(IDispatch* pWindow) : mWindow(pWindow) {}

  std::string WindowTitle() const override;
  HWND WindowHandle() const override;

 private:
  CDispatchCaller mWindow;
};

}  // namespace ksv940
