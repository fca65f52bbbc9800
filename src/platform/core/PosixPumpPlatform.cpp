#include "platform/core/PosixPumpPlatform.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <vector>

namespace ksv940 {

std::unique_ptr<IPumpPlatform> IPumpPlatform::Create(CMessagePump& /*pump*/) {
  return std::make_unique<CPosixPumpPlatform>();
}

CPosixPumpPlatform::CPosixPumpPlatform() : miWakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CPosixPumpPlatform::~CPosixPumpPlatform() {
  if (miWakeFd >= 0) {
    close(miWakeFd);
  }
}

CMessagePump::Id CPosixPumpPlatform::WatchReadable(int iFd, CMessagePump::Callback fnReadable) {
  CMessagePump::Id id = mNextId++;
  mWatches.emplace(
      id, SWatch{iFd, POLLIN, std::make_shared<CMessagePump::Callback>(std::move(fnReadable))});
  return id;
}

CMessagePump::Id CPosixPumpPlatform::WatchWritable(int iFd, CMessagePump::Callback fnWritable) {
  CMessagePump::Id id = mNextId++;
  mWatches.emplace(
      id, SWatch{iFd, POLLOUT, std::make_shared<CMessagePump::Callback>(std::move(fnWritable))});
  return id;
}

void CPosixPumpPlatform::Unwatch(CMessagePump::Id id) {
  mWatches.erase(id);
}

void CPosixPumpPlatform::Wake() {
  if (miWakeFd >= 0) {
    uint64_t uOne = 1;
    ssize_t nWritten = write(miWakeFd, &uOne, sizeof uOne);
    (void)nWritten;  // a full counter already means "wake up"
  }
}

bool CPosixPumpPlatform::Wait(int64_t lTimeoutUs) {
  // Without watched descriptors a look that may not wait has nothing to find: posted tasks are run
  // from their queue either way, and the wake-up descriptor only matters to a blocking wait (which
  // drains it). On virtual time the pump turns thousands of times a test.
  if (lTimeoutUs == 0 && mWatches.empty()) {
    return false;
  }
  std::vector<pollfd> fds;
  std::vector<CMessagePump::Id> ids;
  fds.reserve(mWatches.size() + 1);
  if (miWakeFd >= 0) {
    fds.push_back(pollfd{miWakeFd, POLLIN, 0});
    ids.push_back(0);
  }
  for (const auto& [id, watch] : mWatches) {
    fds.push_back(pollfd{watch.iFd, watch.nEvents, 0});
    ids.push_back(id);
  }
  timespec timeout{};
  timespec* pTimeout = nullptr;
  if (lTimeoutUs >= 0) {
    timeout.tv_sec = static_cast<time_t>(lTimeoutUs / 1'000'000);
    timeout.tv_nsec = static_cast<long>((lTimeoutUs % 1'000'000) * 1000);
    pTimeout = &timeout;
  }
  int nReady = ppoll(fds.data(), fds.size(), pTimeout, nullptr);
  if (nReady <= 0) {
    return false;
  }
  bool fRan = false;
  for (size_t i = 0; i < fds.size(); ++i) {
    if (fds[i].revents == 0) {
      continue;
    }
    if (ids[i] == 0) {
      uint64_t uCount = 0;
      ssize_t nRead = read(miWakeFd, &uCount, sizeof uCount);
      (void)nRead;
      continue;
    }
    auto it = mWatches.find(ids[i]);
    if (it == mWatches.end()) {
      continue;  // unwatched by an earlier handler of this turn
    }
    std::shared_ptr<CMessagePump::Callback> pReady = it->second.pReady;
    (*pReady)();
    fRan = true;
  }
  return fRan;
}

}  // namespace ksv940
