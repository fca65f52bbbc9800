#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>

#include "platform/core/CMessagePump.h"

namespace ksv940 {

/// The message pump's event sources on Windows: the thread's window messages (dispatched, so the
/// host's windows stay responsive and the host's timers and calls arrive while the component
/// waits), waitable handles (overlapped I/O of the serial control), and an event that wakes the
/// pump for posted tasks. Blocks in MsgWaitForMultipleObjectsEx.
class CWin32PumpPlatform : public IPumpPlatform {
 public:
  /// Answers true when it has handled the message itself (a dialog's keyboard navigation).
  using MessageFilter = std::function<bool(MSG&)>;

  CWin32PumpPlatform();
  ~CWin32PumpPlatform() override;
  CWin32PumpPlatform(const CWin32PumpPlatform&) = delete;
  CWin32PumpPlatform& operator=(const CWin32PumpPlatform&) = delete;

  /// The Windows sources of pump.
  static CWin32PumpPlatform& Of(CMessagePump& pump) {
    return static_cast<CWin32PumpPlatform&>(pump.Platform());
  }

  /// Calls fnSignaled from the pump whenever hObject is signaled (level-triggered: a manual-reset
  /// event must be reset or its cause taken away by the handler).
  CMessagePump::Id WatchHandle(HANDLE hObject, CMessagePump::Callback fnSignaled);
  void Unwatch(CMessagePump::Id id);

  /// Offers every message to fnFilter before it is dispatched.
  CMessagePump::Id AddMessageFilter(MessageFilter fnFilter);
  void RemoveMessageFilter(CMessagePump::Id id);

  /// A WM_QUIT the host posted while the component waited: it is taken from the queue so that the
  /// wait goes on, and posted again by RepostQuit when the component returns to the host.
  void RepostQuit();

  bool Wait(int64_t lTimeoutUs) override;
  void Wake() override;
  bool HasSources() const override { return true; }

 private:
  bool DispatchMessages();

  CMessagePump::Id mNextId = 1;
  std::map<CMessagePump::Id, std::pair<HANDLE, std::shared_ptr<CMessagePump::Callback>>> mWatches;
  std::map<CMessagePump::Id, std::shared_ptr<MessageFilter>> mFilters;
  HANDLE mhWake;
  bool mfQuitPending = false;
  WPARAM mwQuitCode = 0;
};

}  // namespace ksv940
