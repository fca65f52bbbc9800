#pragma once

#include "platform/forms/CPicture.h"

namespace ksv940 {

/// The stop dialog's symbol: a warning triangle, 48 x 48 pixels ("/!\" in text).
const CPicture& StopIconPicture();
/// Shown in its place when no resistance could be measured: a red cross, 50 x 49 pixels ("(X)").
const CPicture& NoResistancePicture();
/// The wait dialog's symbol: an hourglass, 48 x 48 pixels ("(:)").
const CPicture& WaitIconPicture();

}  // namespace ksv940
