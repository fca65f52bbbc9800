#include <time.h>

#include "app/run/IWallClock.h"

namespace ksv940 {

namespace {

class CPosixWallClock : public IWallClock {
 public:
  int64_t NowEpochUs() const override {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
  }

  int32_t UtcOffsetSeconds(int64_t lEpochUs) const override {
    time_t lSeconds = static_cast<time_t>(lEpochUs / 1'000'000);
    tm local{};
    if (localtime_r(&lSeconds, &local) == nullptr) {
      return 0;
    }
    return static_cast<int32_t>(local.tm_gmtoff);
  }
};

}  // namespace

std::shared_ptr<IWallClock> IWallClock::CreateDefault() {
  return std::make_shared<CPosixWallClock>();
}

}  // namespace ksv940
