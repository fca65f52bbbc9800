#include "com/MTypeLibrary.h"

#include <map>
#include <mutex>

namespace ksv940 {

namespace {

std::mutex gTypeLock;
ITypeLib* gpTypeLib = nullptr;

struct SIidLess {
  bool operator()(const IID& a, const IID& b) const { return memcmp(&a, &b, sizeof(IID)) < 0; }
};
std::map<IID, ITypeInfo*, SIidLess> gTypeInfos;

}  // namespace

std::wstring ThisLibraryPath() {
  wchar_t szPath[MAX_PATH * 2] = {};
  DWORD nLength = GetModuleFileNameW(ThisLibrary(), szPath, MAX_PATH * 2);
  return std::wstring(szPath, nLength);
}

ITypeLib* ComponentTypeLib() {
  std::lock_guard<std::mutex> lock(gTypeLock);
  if (gpTypeLib == nullptr) {
    std::wstring sPath = ThisLibraryPath();
    if (FAILED(LoadTypeLibEx(sPath.c_str(), REGKIND_NONE, &gpTypeLib))) {
      gpTypeLib = nullptr;
    }
  }
  return gpTypeLib;
}

ITypeInfo* ComponentTypeInfo(const IID& iid) {
  ITypeLib* pLib = ComponentTypeLib();
  std::lock_guard<std::mutex> lock(gTypeLock);
  auto it = gTypeInfos.find(iid);
  if (it != gTypeInfos.end()) {
    return it->second;
  }
  ITypeInfo* pInfo = nullptr;
  if (pLib == nullptr || FAILED(pLib->GetTypeInfoOfGuid(iid, &pInfo))) {
    return nullptr;
  }
  gTypeInfos[iid] = pInfo;
  return pInfo;
}

}  // namespace ksv940
