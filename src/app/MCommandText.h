#pragma once

#include <string>
#include <string_view>

#include "platform/CAutomationError.h"

namespace ksv940 {

/// A command typed on the command line, with its escapes read: \e (escape), \r, \n, \t, \\ and
/// \xNN (two hexadecimal digits). Raises Invalid procedure call (5) naming a malformed escape.
std::string UnescapeCommand(const std::string& sTyped);

/// The text the operator reads for a failure, as the message box of the component's failure path
/// would show it: the description, or the "unknown error" text for numbers outside the
/// component's range, or the "unexpected error" text when there is none; translated.
std::string OperatorText(const CAutomationError& errFailure);

}  // namespace ksv940
