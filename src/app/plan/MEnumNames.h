#pragma once

#include <cstdint>
#include <string>

namespace ksv940 {

/// The member name of a test code ("etcEarthLeak"); the number in decimal for a value outside the
/// enumeration.
std::string TestCodeName(int32_t etc);

/// The member name of a power configuration ("epcONRM"); the number in decimal for a value
/// outside the enumeration.
std::string PowerConfigName(int32_t epc);

}  // namespace ksv940
