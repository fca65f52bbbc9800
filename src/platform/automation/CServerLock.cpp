#include "platform/automation/CServerLock.h"

#include <atomic>

namespace ksv940 {

namespace {

std::atomic<int32_t> glObjects{0};

}  // namespace

CServerLock::CServerLock() {
  ++glObjects;
}

CServerLock::CServerLock(const CServerLock& /*other*/) {
  ++glObjects;
}

CServerLock::~CServerLock() {
  --glObjects;
}

int32_t CServerLock::Count() {
  return glObjects.load();
}

}  // namespace ksv940
