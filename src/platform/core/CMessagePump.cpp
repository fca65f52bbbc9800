#include "platform/core/CMessagePump.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <stdexcept>

#include "platform/core/CContext.h"

namespace ksv940 {

namespace {
// A real pump never sleeps longer than this, so that a condition nobody announces is looked at
// again within a second.
constexpr int64_t kLongestBlockUs = 1'000'000;
}  // namespace

CMessagePump::CMessagePump(std::shared_ptr<IClock> pClock)
    : mpClock(std::move(pClock)),
      mpSimulatedClock(dynamic_cast<CSimulatedClock*>(mpClock.get())),
      mpPlatform(IPumpPlatform::Create(*this)) {}

CMessagePump::~CMessagePump() = default;

std::shared_ptr<CMessagePump> CMessagePump::CreateDefault() {
  return std::make_shared<CMessagePump>(CContext::Share<IClock>());
}

CMessagePump::Id CMessagePump::AddTimer(int64_t lDueUs, int64_t lPeriodUs, Callback fnFire) {
  Id id = mNextId++;
  mTimers.emplace(id, STimer{lDueUs, lPeriodUs, std::make_shared<Callback>(std::move(fnFire))});
  return id;
}

void CMessagePump::RemoveTimer(Id id) {
  mTimers.erase(id);
}

void CMessagePump::Post(Callback fnTask) {
  {
    std::lock_guard<std::mutex> lock(mPostedLock);
    mPosted.push_back(std::move(fnTask));
  }
  mpPlatform->Wake();
}

void CMessagePump::WakeAt(int64_t lUs) {
  AddTimer(lUs, 0, [] {});
}

bool CMessagePump::RunPosted() {
  std::vector<Callback> tasks;
  {
    std::lock_guard<std::mutex> lock(mPostedLock);
    tasks.swap(mPosted);
  }
  for (auto& fnTask : tasks) {
    fnTask();
  }
  return !tasks.empty();
}

bool CMessagePump::RunDueTimers() {
  int64_t lNowUs = mpClock->NowUs();
  std::vector<std::pair<int64_t, Id>> due;
  for (const auto& [id, timer] : mTimers) {
    if (timer.lDueUs <= lNowUs) {
      due.emplace_back(timer.lDueUs, id);
    }
  }
  std::sort(due.begin(), due.end());
  for (const auto& [lDueUs, id] : due) {
    // An earlier handler may have removed or restarted this timer.
    auto it = mTimers.find(id);
    if (it == mTimers.end() || it->second.lDueUs > lNowUs) {
      continue;
    }
    std::shared_ptr<Callback> pFire = it->second.pFire;
    if (it->second.lPeriodUs > 0) {
      // A periodic timer does not catch up on ticks it missed while the thread was blocked.
      it->second.lDueUs = std::max(it->second.lDueUs + it->second.lPeriodUs, lNowUs + 1);
    } else {
      mTimers.erase(it);
    }
    (*pFire)();
  }
  return !due.empty();
}

int64_t CMessagePump::NextDeadlineUs() const {
  int64_t lNext = LLONG_MAX;
  for (const auto& [id, timer] : mTimers) {
    lNext = std::min(lNext, timer.lDueUs);
  }
  return lNext;
}

bool CMessagePump::ProcessPending() {
  bool fRan = RunPosted();
  fRan = RunDueTimers() || fRan;
  fRan = mpPlatform->Wait(0) || fRan;
  fRan = RunPosted() || fRan;
  return fRan;
}

bool CMessagePump::RunUntil(int64_t lDeadlineUs, const std::function<bool()>& fnDone) {
  bool fReached = false;
  Id timer = AddTimer(lDeadlineUs, 0, [&fReached] { fReached = true; });
  // The timer refers to this frame: it must go however the loop ends, or a later turn of the pump
  // would write to a frame that no longer exists.
  struct SRemove {
    CMessagePump& pump;
    Id id;
    ~SRemove() { pump.RemoveTimer(id); }
  } remove{*this, timer};
  while (!fnDone()) {
    if (fReached) {
      return false;
    }
    ProcessMessages();
  }
  return true;
}

void CMessagePump::ProcessMessages() {
  if (ProcessPending()) {
    return;
  }
  int64_t lDeadlineUs = NextDeadlineUs();
  if (IsVirtual()) {
    if (lDeadlineUs == LLONG_MAX) {
      if (!mpPlatform->HasSources()) {
        throw std::logic_error("virtual-time message pump has nothing to wait for");
      }
      mpPlatform->Wait(-1);
    } else {
      mpSimulatedClock->AdvanceTo(lDeadlineUs);
    }
    ProcessPending();
    return;
  }
  int64_t lWaitUs = kLongestBlockUs;
  if (lDeadlineUs != LLONG_MAX) {
    lWaitUs = std::clamp<int64_t>(lDeadlineUs - mpClock->NowUs(), 0, kLongestBlockUs);
  }
  mpPlatform->Wait(lWaitUs);
  ProcessPending();
}

CPumpTimer::CPumpTimer(std::function<void()> fnTick)
    : mpPump(CContext::Share<CMessagePump>()), mfnTick(std::move(fnTick)) {}

CPumpTimer::~CPumpTimer() {
  Stop();
}

void CPumpTimer::Start(int64_t lIntervalMs) {
  Stop();
  mlIntervalMs = lIntervalMs;
  int64_t lPeriodUs = std::max<int64_t>(lIntervalMs, 0) * 1000;
  mId = mpPump->AddTimer(mpPump->Clock().NowUs() + lPeriodUs, std::max<int64_t>(lPeriodUs, 1),
                         [this] { mfnTick(); });
}

void CPumpTimer::Stop() {
  if (mId != 0) {
    mpPump->RemoveTimer(mId);
    mId = 0;
  }
}

bool CPumpTimer::Enabled() const {
  return mId != 0 && mpPump->HasTimer(mId);
}

}  // namespace ksv940
