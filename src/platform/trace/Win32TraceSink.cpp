#include <windows.h>

#include "platform/core/Win32Text.h"
#include "platform/trace/ITraceSink.h"

namespace ksv940 {

namespace {

// The property that marks the trace viewer's window, written in two pieces as the viewer has it.
constexpr const char* kTraceWindowProperty =
    "vbAcceleratorVBTRACER"
    "_TRACEWIN";
constexpr UINT kSendTimeoutMs = 5000;

BOOL CALLBACK FindTraceWindowProc(HWND hWnd, LPARAM lParam) {
  if (reinterpret_cast<INT_PTR>(GetPropA(hWnd, kTraceWindowProperty)) == 1) {
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
  }
  return TRUE;
}

// The trace viewer window, searched for once, on the thread's first trace; a viewer started later
// is not seen by the thread. Each line goes as one WM_COPYDATA block in the ANSI code page, with
// no terminating zero; a viewer that does not answer in 5 s only delays the caller.
class CTraceWindowSink : public ITraceSink {
 public:
  CTraceWindowSink() { EnumWindows(&FindTraceWindowProc, reinterpret_cast<LPARAM>(&mhWindow)); }

  bool IsOpen() const override { return mhWindow != nullptr; }

  void Send(const std::string& sLine) override {
    if (mhWindow == nullptr) {
      return;
    }
    std::string sAnsi = AnsiText(sLine);
    COPYDATASTRUCT data{};
    data.dwData = 0;
    data.cbData = static_cast<DWORD>(sAnsi.size());
    data.lpData = sAnsi.data();
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutA(mhWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                        kSendTimeoutMs, &dwResult);
  }

 private:
  HWND mhWindow = nullptr;
};

}  // namespace

std::shared_ptr<ITraceSink> ITraceSink::CreateDefault() {
  return std::make_shared<CTraceWindowSink>();
}

}  // namespace ksv940
