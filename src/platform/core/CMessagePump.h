#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/core/IClock.h"

namespace ksv940 {

/// The thread's message pump: timers, readable descriptors and posted tasks, all delivered on the
/// thread that calls ProcessMessages. Every wait of the component is a loop around
/// ProcessMessages; a modal dialog is a nested loop. Handlers may call back into anything,
/// including ProcessMessages itself.
///
/// On a CSimulatedClock the pump runs on virtual time: when nothing is due it advances the clock
/// straight to the next deadline, so long waits cost nothing and every run is deterministic.
///
/// What the thread blocks on between events is the platform's (IPumpPlatform): readable and
/// writable descriptors on Linux (PosixPumpPlatform.h), waitable handles and the thread's window
/// messages on Windows (Win32PumpPlatform.h).
class IPumpPlatform;

class CMessagePump {
 public:
  using Callback = std::function<void()>;
  using Id = uint64_t;

  explicit CMessagePump(std::shared_ptr<IClock> pClock);
  ~CMessagePump();
  CMessagePump(const CMessagePump&) = delete;
  CMessagePump& operator=(const CMessagePump&) = delete;

  /// A real pump on the thread's clock; a virtual one when that clock is simulated.
  static std::shared_ptr<CMessagePump> CreateDefault();

  IClock& Clock() const { return *mpClock; }
  bool IsVirtual() const { return mpSimulatedClock != nullptr; }

  /// A timer due at lDueUs (clock microseconds). With lPeriodUs > 0 it fires again every period
  /// until removed; otherwise once.
  Id AddTimer(int64_t lDueUs, int64_t lPeriodUs, Callback fnFire);
  void RemoveTimer(Id id);
  bool HasTimer(Id id) const { return mTimers.count(id) != 0; }
  /// How many timers the pump holds: what a long run must not grow.
  size_t TimerCount() const { return mTimers.size(); }

  /// Queues a task to run from ProcessMessages. The only member that may be called from any
  /// thread.
  void Post(Callback fnTask);

  /// Makes an idle ProcessMessages return no later than lUs, although nothing else is due then.
  /// For conditions that no event announces (an output queue draining).
  void WakeAt(int64_t lUs);

  /// Runs everything that is due: posted tasks, expired timers, readable descriptors. When nothing
  /// is due, blocks in the OS (or advances virtual time) until the next event or deadline, runs
  /// it, and returns. Never spins.
  void ProcessMessages();

  /// The platform's event sources of this pump; platform code reaches its own members through
  /// its platform header.
  IPumpPlatform& Platform() { return *mpPlatform; }

  /// Runs what is due now without blocking; answers whether anything ran.
  bool ProcessPending();

  /// Processes messages until fnDone holds or the clock reaches lDeadlineUs, whichever comes
  /// first; answers whether fnDone held. fnDone is asked before every turn of the pump. The
  /// deadline leaves nothing behind, also when a handler raises.
  bool RunUntil(int64_t lDeadlineUs, const std::function<bool()>& fnDone);

 private:
  struct STimer {
    int64_t lDueUs;
    int64_t lPeriodUs;
    std::shared_ptr<Callback> pFire;
  };

  bool RunPosted();
  bool RunDueTimers();
  int64_t NextDeadlineUs() const;

  std::shared_ptr<IClock> mpClock;
  CSimulatedClock* mpSimulatedClock;
  Id mNextId = 1;
  std::map<Id, STimer> mTimers;
  std::mutex mPostedLock;
  std::vector<Callback> mPosted;
  std::unique_ptr<IPumpPlatform> mpPlatform;
};

/// What a pump blocks on between events: the platform's event sources.
class IPumpPlatform {
 public:
  virtual ~IPumpPlatform() = default;
  /// Blocks until a source is ready or lTimeoutUs has passed (-1: no limit; 0: only looks), runs
  /// the handlers of the sources that are ready, and answers whether any ran.
  virtual bool Wait(int64_t lTimeoutUs) = 0;
  /// Makes a Wait return soon; the only member that may be called from any thread.
  virtual void Wake() = 0;
  /// Whether a source could end a Wait that has no time-out.
  virtual bool HasSources() const = 0;

  /// The platform's sources for pump (defined in the platform's file).
  static std::unique_ptr<IPumpPlatform> Create(CMessagePump& pump);
};

/// A timer that fires through the thread's message pump every interval while it is enabled, like
/// a form's timer control. Starting it again restarts the count.
class CPumpTimer {
 public:
  explicit CPumpTimer(std::function<void()> fnTick);
  ~CPumpTimer();
  CPumpTimer(const CPumpTimer&) = delete;
  CPumpTimer& operator=(const CPumpTimer&) = delete;

  /// Disables the timer, sets its interval to lIntervalMs and enables it. An interval of 0 or less
  /// fires at the next turn of the pump.
  void Start(int64_t lIntervalMs);
  void Stop();
  bool Enabled() const;
  int64_t Interval() const { return mlIntervalMs; }

 private:
  std::shared_ptr<CMessagePump> mpPump;
  std::function<void()> mfnTick;
  CMessagePump::Id mId = 0;
  int64_t mlIntervalMs = 0;
};

}  // namespace ksv940
