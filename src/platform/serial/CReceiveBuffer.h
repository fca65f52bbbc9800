#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace ksv940 {

/// What a serial control has received and not yet handed over, and how much of it each Input
/// hands over (InputLen). It holds at most its limit, kLimit unless told otherwise: a control takes
/// from its device only as much as Room() says and leaves the rest there, so a far side that floods
/// the line can neither grow the process nor make the control drop characters in the middle of a
/// reply.
class CReceiveBuffer {
 public:
  static constexpr size_t kLimit = 4096;

  explicit CReceiveBuffer(size_t nLimit = kLimit) : mnLimit(nLimit) {}

  size_t Size() const { return msData.size() - mnTaken; }
  size_t Room() const { return mnLimit - Size(); }
  /// The count a control reports (InBufferCount).
  int32_t Count() const { return static_cast<int32_t>(std::min<size_t>(Size(), INT32_MAX)); }

  /// Appends what arrived; at most Room() characters are kept.
  void Append(const char* pData, size_t nLength);
  void Clear();

  /// 0 hands everything over; a negative length raises run-time error 5 (invalid procedure call or
  /// argument).
  void SetInputLen(int32_t lLength);
  bool TakesAll() const { return mlInputLen == 0; }
  /// Hands over the next InputLen characters, or all with InputLen 0.
  std::string Take();

 private:
  size_t mnLimit;
  std::string msData;
  size_t mnTaken = 0;  // characters at the front already handed over
  int32_t mlInputLen = 0;
};

}  // namespace ksv940
