#pragma once

#include <string>
#include <string_view>

namespace ksv940 {

/// Text as a person reads it on one line: CR, LF and ESC as \r, \n and \e, a backslash as \\, and
/// every other character below 32 or from 127 up as \xNN (two upper-case hexadecimal digits).
std::string EscapeControls(std::string_view sText);

/// The text with the letters A to Z in lower case; every other character unchanged, whatever the
/// locale.
std::string LowerAscii(std::string_view sText);

/// The value of a hexadecimal digit (either case); -1 for any other character.
int HexDigitValue(char c);

/// The whole content of the file at sPath, byte for byte. A file that cannot be read (missing, a
/// folder, not permitted) raises std::system_error whose code().message() is the system's reason.
std::string ReadFileText(const std::string& sPath);

}  // namespace ksv940
