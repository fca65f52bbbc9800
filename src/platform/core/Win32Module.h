#pragma once

#include <windows.h>

namespace ksv940 {

/// The module this code is linked into: the server's DLL when a host loaded it, the program
/// otherwise. Window classes, dialogs and the embedded type library belong to it.
HMODULE ThisLibrary();

}  // namespace ksv940
