#include "com/CDispatchWindow.h"

namespace ksv940 {

std::string CDispatchWindow::WindowTitle() const {
  try {
    return mWindow.Has(L"Caption") ? CDispatchCaller::Text(mWindow.Get(L"Caption")) : "";
  } catch (const CAutomationError&) {
    return {};
  }
}

HWND CDispatchWindow::WindowHandle() const {
  try {
    if (!mWindow.Has(L"hWnd")) {
      return nullptr;
    }
    VARIANT vHandle = mWindow.Get(L"hWnd");
    VARIANT vNumber;
    VariantInit(&vNumber);
    HWND hWnd = nullptr;
    if (SUCCEEDED(VariantChangeType(&vNumber, &vHandle, 0, VT_I8))) {
      hWnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(V_I8(&vNumber)));
    }
    VariantClear(&vHandle);
    return hWnd;
  } catch (const CAutomationError&) {
    return nullptr;
  }
}

}  // namespace ksv940
