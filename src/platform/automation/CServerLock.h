#pragma once

#include <cstdint>

namespace ksv940 {

/// Keeps the component's library loaded while an object of it lives: every automation object the
/// component makes holds one as a member. Copies count as well, so a copied object holds its own.
class CServerLock {
 public:
  CServerLock();
  CServerLock(const CServerLock& other);
  CServerLock& operator=(const CServerLock& other) = default;
  ~CServerLock();

  /// The number of the component's objects alive on any thread.
  static int32_t Count();
};

}  // namespace ksv940
