#include "platform/core/IClock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace ksv940 {

namespace {
constexpr int64_t kDayUs = 86400LL * 1'000'000LL;
}

std::shared_ptr<IClock> IClock::CreateDefault() {
  return std::make_shared<CRealClock>();
}

int64_t CRealClock::NowUs() const {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int32_t CRealClock::TimeOfDaySeconds() const {
  std::time_t tNow = std::time(nullptr);
  std::tm tmLocal{};
  localtime_r(&tNow, &tmLocal);
  return tmLocal.tm_hour * 3600 + tmLocal.tm_min * 60 + tmLocal.tm_sec;
}

void CRealClock::SleepBlocking(int32_t lMs) {
  if (lMs > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(lMs));
  }
}

CSimulatedClock::CSimulatedClock(int64_t lTimeOfDayUs) : mlTimeOfDayAtZeroUs(lTimeOfDayUs) {}

int32_t CSimulatedClock::TimeOfDaySeconds() const {
  int64_t lOfDay = (mlTimeOfDayAtZeroUs + mlNowUs) % kDayUs;
  if (lOfDay < 0) {
    lOfDay += kDayUs;
  }
  return static_cast<int32_t>(lOfDay / 1'000'000LL);
}

void CSimulatedClock::SleepBlocking(int32_t lMs) {
  if (lMs > 0) {
    Advance(static_cast<int64_t>(lMs) * 1000);
  }
}

void CSimulatedClock::AdvanceTo(int64_t lUs) {
  if (lUs > mlNowUs) {
    mlNowUs = lUs;
  }
}

void CSimulatedClock::SetTimeOfDay(int64_t lTimeOfDayUs) {
  mlTimeOfDayAtZeroUs = lTimeOfDayUs - mlNowUs;
}

}  // namespace ksv940
