#pragma once

#include <oaidl.h>
#include <windows.h>

#include <string>

#include "platform/core/Win32Module.h"

namespace ksv940 {

/// The path of the library's own module (ThisLibrary).
std::wstring ThisLibraryPath();

/// The type library embedded in this library (resource 1), loaded once per process without
/// registering it; nullptr when it cannot be loaded. Not counted: the caller does not release it.
ITypeLib* ComponentTypeLib();
/// The type information of an interface of the library; nullptr when it has none.
ITypeInfo* ComponentTypeInfo(const IID& iid);

}  // namespace ksv940
