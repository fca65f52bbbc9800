#pragma once

#include <cstdint>
#include <string>

namespace ksv940 {

/// A test option's name as a test lab reads it ("Test standard" for TestStandard); the property's
/// own name for one it does not know.
std::string OptionTitle(const std::string& sProperty);

/// A test option's value as a test lab reads it: "IEC 62353 (353)", "AC+DC", "yes"/"no" for a
/// Boolean, "2 s"; a value outside the option's list as its number with "(not a listed value)".
std::string OptionValueTitle(const std::string& sProperty, int32_t lValue, bool fBoolean);

}  // namespace ksv940
