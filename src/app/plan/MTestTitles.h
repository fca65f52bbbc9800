#pragma once

#include <cstdint>
#include <string>

namespace ksv940 {

/// What a test measures, as a test lab names it ("Earth leakage"); "Test N" for a code outside
/// the test codes.
std::string TestTitle(int32_t etc);

/// The equipment outlet's power configuration in words ("normal condition", "open neutral,
/// reversed mains"); "power configuration N" for a value outside the enumeration.
std::string PowerConfigTitle(int32_t epc);

/// The name a test step gets when the plan gives none: "Earth leakage, normal condition".
std::string DefaultStepName(int32_t etc, int32_t epc);

}  // namespace ksv940
