#include "platform/core/Win32Module.h"

namespace ksv940 {

HMODULE ThisLibrary() {
  // The module that holds this function's code, without taking a reference on it (a DLL must not
  // keep itself loaded).
  HMODULE hModule = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisLibrary), &hModule);
  return hModule;
}

}  // namespace ksv940
