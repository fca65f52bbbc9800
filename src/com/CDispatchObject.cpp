#include "com/CDispatchObject.h"

namespace ksv940 {

// {6d1f3c52-8a4e-4f3b-9c77-2b5e0c41a9d3}: the library's own, never handed to anyone else.
const IID IID_IKsvNative = {
    0x6d1f3c52, 0x8a4e, 0x4f3b, {0x9c, 0x77, 0x2b, 0x5e, 0x0c, 0x41, 0xa9, 0xd3}};

std::shared_ptr<IAutomationObject> NativeOf(IUnknown* pObject) {
  if (pObject == nullptr) {
    return nullptr;
  }
  IKsvNative* pNative = nullptr;
  if (FAILED(pObject->QueryInterface(IID_IKsvNative, reinterpret_cast<void**>(&pNative))) ||
      pNative == nullptr) {
    return nullptr;
  }
  std::shared_ptr<IAutomationObject> pResult = pNative->Native();
  pNative->Release();
  return pResult;
}

}  // namespace ksv940
