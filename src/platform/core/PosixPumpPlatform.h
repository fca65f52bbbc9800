#pragma once

#include <map>
#include <memory>

#include "platform/core/CMessagePump.h"

namespace ksv940 {

/// The message pump's event sources on Linux: descriptors that become readable or writable, and
/// an event descriptor that wakes the pump for posted tasks. Blocks in poll.
class CPosixPumpPlatform : public IPumpPlatform {
 public:
  CPosixPumpPlatform();
  ~CPosixPumpPlatform() override;
  CPosixPumpPlatform(const CPosixPumpPlatform&) = delete;
  CPosixPumpPlatform& operator=(const CPosixPumpPlatform&) = delete;

  /// The Linux sources of pump.
  static CPosixPumpPlatform& Of(CMessagePump& pump) {
    return static_cast<CPosixPumpPlatform&>(pump.Platform());
  }

  /// Calls fnReadable from the pump whenever iFd is readable (level-triggered: the handler must
  /// consume what is waiting, or the pump will call it again at once).
  CMessagePump::Id WatchReadable(int iFd, CMessagePump::Callback fnReadable);
  /// Calls fnWritable from the pump whenever iFd can be written to (a connection that has been
  /// made); level-triggered like WatchReadable.
  CMessagePump::Id WatchWritable(int iFd, CMessagePump::Callback fnWritable);
  void Unwatch(CMessagePump::Id id);
  /// How many descriptors are watched: what a long run must not grow.
  size_t WatchCount() const { return mWatches.size(); }

  bool Wait(int64_t lTimeoutUs) override;
  void Wake() override;
  bool HasSources() const override { return !mWatches.empty(); }

 private:
  struct SWatch {
    int iFd;
    short nEvents;
    std::shared_ptr<CMessagePump::Callback> pReady;
  };

  CMessagePump::Id mNextId = 1;
  std::map<CMessagePump::Id, SWatch> mWatches;
  int miWakeFd;
};

}  // namespace ksv940
