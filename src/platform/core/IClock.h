#pragma once

#include <cstdint>
#include <memory>

namespace ksv940 {

/// Where all code asks for the time. Nothing else reads the system clock or sleeps.
class IClock {
 public:
  virtual ~IClock() = default;

  /// Monotonic time in microseconds since an arbitrary start.
  virtual int64_t NowUs() const = 0;
  /// Monotonic time in milliseconds.
  int64_t NowMs() const { return NowUs() / 1000; }
  /// Local time of day in whole seconds: hours x 3600 + minutes x 60 + seconds (0 to 86399).
  virtual int32_t TimeOfDaySeconds() const = 0;
  /// Blocks the thread for lMs milliseconds without processing messages. Used once: at the start
  /// of the discovery query.
  virtual void SleepBlocking(int32_t lMs) = 0;

  static std::shared_ptr<IClock> CreateDefault();
};

/// The operating system's clocks.
class CRealClock : public IClock {
 public:
  int64_t NowUs() const override;
  int32_t TimeOfDaySeconds() const override;
  void SleepBlocking(int32_t lMs) override;
};

/// Virtual time for tests and simulations: it stands still until advanced. A pump running on it
/// advances it straight to the next deadline when nothing else is due.
class CSimulatedClock : public IClock {
 public:
  /// lTimeOfDayUs: the time of day at virtual time 0, in microseconds after midnight.
  explicit CSimulatedClock(int64_t lTimeOfDayUs = 12 * 3600 * 1'000'000LL);

  int64_t NowUs() const override { return mlNowUs; }
  int32_t TimeOfDaySeconds() const override;
  /// Advances virtual time by lMs milliseconds.
  void SleepBlocking(int32_t lMs) override;

  /// Moves virtual time forward to lUs; never backwards.
  void AdvanceTo(int64_t lUs);
  void Advance(int64_t lUs) { AdvanceTo(mlNowUs + lUs); }
  /// Sets the time of day that corresponds to the current virtual time.
  void SetTimeOfDay(int64_t lTimeOfDayUs);

 private:
  int64_t mlNowUs = 0;
  int64_t mlTimeOfDayAtZeroUs;
};

}  // namespace ksv940
