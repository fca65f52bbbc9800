#include "platform/core/Win32PumpPlatform.h"

#include <vector>

namespace ksv940 {

std::unique_ptr<IPumpPlatform> IPumpPlatform::Create(CMessagePump& /*pump*/) {
  return std::make_unique<CWin32PumpPlatform>();
}

CWin32PumpPlatform::CWin32PumpPlatform() : mhWake(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

CWin32PumpPlatform::~CWin32PumpPlatform() {
  if (mhWake != nullptr) {
    CloseHandle(mhWake);
  }
}

CMessagePump::Id CWin32PumpPlatform::WatchHandle(HANDLE hObject,
                                                 CMessagePump::Callback fnSignaled) {
  CMessagePump::Id id = mNextId++;
  mWatches.emplace(
      id, std::make_pair(hObject, std::make_shared<CMessagePump::Callback>(std::move(fnSignaled))));
  return id;
}

void CWin32PumpPlatform::Unwatch(CMessagePump::Id id) {
  mWatches.erase(id);
}

CMessagePump::Id CWin32PumpPlatform::AddMessageFilter(MessageFilter fnFilter) {
  CMessagePump::Id id = mNextId++;
  mFilters.emplace(id, std::make_shared<MessageFilter>(std::move(fnFilter)));
  return id;
}

void CWin32PumpPlatform::RemoveMessageFilter(CMessagePump::Id id) {
  mFilters.erase(id);
}

void CWin32PumpPlatform::Wake() {
  if (mhWake != nullptr) {
    SetEvent(mhWake);
  }
}

void CWin32PumpPlatform::RepostQuit() {
  if (mfQuitPending) {
    mfQuitPending = false;
    PostQuitMessage(static_cast<int>(mwQuitCode));
  }
}

bool CWin32PumpPlatform::DispatchMessages() {
  bool fRan = false;
  MSG msg;
  // Bounded, so that a flood of messages cannot keep the component's own events from their turn.
  for (int i = 0; i < 64 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    fRan = true;
    if (msg.message == WM_QUIT) {
      mfQuitPending = true;
      mwQuitCode = msg.wParam;
      continue;
    }
    bool fFiltered = false;
    for (auto& [id, pFilter] : std::map(mFilters)) {
      if ((*pFilter)(msg)) {
        fFiltered = true;
        break;
      }
    }
    if (!fFiltered) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return fRan;
}

bool CWin32PumpPlatform::Wait(int64_t lTimeoutUs) {
  std::vector<HANDLE> handles;
  std::vector<CMessagePump::Id> ids;
  if (mhWake != nullptr) {
    handles.push_back(mhWake);
    ids.push_back(0);
  }
  for (const auto& [id, watch] : mWatches) {
    if (handles.size() + 1 >= MAXIMUM_WAIT_OBJECTS) {
      break;
    }
    handles.push_back(watch.first);
    ids.push_back(id);
  }
  DWORD dwTimeoutMs = INFINITE;
  if (lTimeoutUs >= 0) {
    // Rounded up: a timer must not be found not yet due when the wait returns.
    dwTimeoutMs = static_cast<DWORD>(std::min<int64_t>((lTimeoutUs + 999) / 1000, 0x7FFFFFFF));
  }
  // The input flag makes the wait return also for messages that an earlier look left queued.
  DWORD dwResult = MsgWaitForMultipleObjectsEx(static_cast<DWORD>(handles.size()), handles.data(),
                                               dwTimeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  bool fRan = false;
  if (dwResult < WAIT_OBJECT_0 + handles.size()) {
    // Every signaled handle gets its turn, not only the first one the wait reports.
    for (size_t i = 0; i < handles.size(); ++i) {
      if (WaitForSingleObject(handles[i], 0) != WAIT_OBJECT_0 && i != dwResult - WAIT_OBJECT_0) {
        continue;
      }
      if (ids[i] == 0) {
        continue;  // the wake event resets itself
      }
      auto it = mWatches.find(ids[i]);
      if (it == mWatches.end()) {
        continue;  // unwatched by an earlier handler of this turn
      }
      std::shared_ptr<CMessagePump::Callback> pReady = it->second.second;
      (*pReady)();
      fRan = true;
    }
  }
  return DispatchMessages() || fRan;
}

}  // namespace ksv940
