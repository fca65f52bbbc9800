#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ksv940 {

/// One member of an option's enumeration: its value and how a person names it ("AC+DC").
struct SOptionMember {
  int32_t lValue;
  const char* szName;
};

/// The members of the enumeration that option sProperty (a property of the test options, exact
/// name) takes, in the order of their values; empty for an option that is not an enumeration.
const std::vector<SOptionMember>& OptionMembers(const std::string& sProperty);

/// What a person reads for lValue of option sProperty: its member's name ("IEC 62353"); empty for
/// a value outside the enumeration or an option that is not one.
std::string OptionMemberName(const std::string& sProperty, int32_t lValue);

/// Why lValue is no member of sProperty's enumeration, as "measType must be 0 (AC+DC), 1 (AC) or
/// 2 (DC), not 7"; empty when it is one, or when the option is not an enumeration.
std::string OptionMemberProblem(const std::string& sProperty, int32_t lValue);

}  // namespace ksv940
