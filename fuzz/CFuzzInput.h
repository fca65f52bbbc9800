#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ksv940::fuzz {

/// Takes a fuzzer's input apart: single bytes and numbers from the front, texts of a length given
/// by a byte, and whatever is left. Past the end every read answers zeros and empty texts, so a
/// short input is as valid as a long one.
class CFuzzInput {
 public:
  CFuzzInput(const uint8_t* pData, size_t nSize)
      : msData(reinterpret_cast<const char*>(pData), nSize) {}

  bool Empty() const { return mnPos >= msData.size(); }
  uint8_t Byte() { return Empty() ? 0 : static_cast<uint8_t>(msData[mnPos++]); }
  bool Flag() { return (Byte() & 1) != 0; }
  uint16_t Word() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
  /// A number from 0 to nCount - 1.
  size_t Pick(size_t nCount) { return nCount == 0 ? 0 : Word() % nCount; }
  /// A text of up to 255 characters, its length given by the first byte.
  std::string Text() { return Take(Byte()); }
  /// The next nLength characters (fewer at the end).
  std::string Take(size_t nLength) {
    std::string sTaken(msData.substr(std::min(mnPos, msData.size()), nLength));
    mnPos += sTaken.size();
    return sTaken;
  }
  /// Everything not read yet.
  std::string Rest() { return Take(msData.size()); }

 private:
  std::string_view msData;
  size_t mnPos = 0;
};

}  // namespace ksv940::fuzz
