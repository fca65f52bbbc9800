#include "platform/serial/CReceiveBuffer.h"

#include <algorithm>

#include "platform/core/MRuntime.h"

namespace ksv940 {

void CReceiveBuffer::Append(const char* pData, size_t nLength) {
  // Characters handed over are dropped from the front only when more arrive, so that a reply read
  // a character at a time does not move the rest at every character.
  if (mnTaken > 0) {
    msData.erase(0, mnTaken);
    mnTaken = 0;
  }
  msData.append(pData, std::min(nLength, Room()));
}

void CReceiveBuffer::Clear() {
  msData.clear();
  mnTaken = 0;
}

void CReceiveBuffer::SetInputLen(int32_t lLength) {
  if (lLength < 0) {
    RaiseRuntimeError(erInvalidCall);
  }
  mlInputLen = lLength;
}

std::string CReceiveBuffer::Take() {
  size_t nTake = mlInputLen == 0 ? Size() : std::min(Size(), static_cast<size_t>(mlInputLen));
  std::string sTaken = msData.substr(mnTaken, nTake);
  mnTaken += nTake;
  if (mnTaken == msData.size()) {
    Clear();
  }
  return sTaken;
}

}  // namespace ksv940
