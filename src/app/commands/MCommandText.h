#pragma once

#include <string>
#include <string_view>

namespace ksv940 {

/// A command typed on the command line, with its escapes read: \e (escape), \r, \n, \t, \\ and
/// \xNN (two hexadecimal digits). Raises Invalid procedure call (5) naming a malformed escape.
std::string UnescapeCommand(const std::string& sTyped);

}  // namespace ksv940
