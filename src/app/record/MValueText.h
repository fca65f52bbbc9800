#pragma once

#include <string>

namespace ksv940 {

/// fValue in the host's number-display pattern: "0" a digit that is always shown, "#" a digit
/// shown only when it is significant, "." the decimal point, any other character (a blank) shown
/// as it stands. The value is rounded half away from zero to the pattern's decimals, digits beyond
/// the pattern's integer places go before its first placeholder, and a blank before the first
/// digit shown is left out: "# ##0.0" renders 1234.5 as "1 234.5", 12345 as "12 345.0", 5 as
/// "5.0". Decimals shown by "#" are dropped from the right while they are zero. The value is read
/// as the reading it came from (230.1F is 230.1, not 230.100006). An empty pattern gives the
/// value's shortest decimal text ("0.25", "230.1").
std::string FormatValue(float fValue, const std::string& sPattern);

/// A float as the shortest decimal number that reads back as the same float, as a double: the
/// value a person reads in a report (230.1F becomes 230.1).
double ReadableValue(float fValue);

}  // namespace ksv940
