#pragma once

#include <string>

namespace ksv940 {

/// The component's texts are UTF-8; characters from the instrument may be any bytes. Windows
/// takes and gives UTF-16: text that is not UTF-8 crosses byte for byte, each byte one character.
std::wstring WideText(const std::string& sText);
/// A UTF-16 text as the component keeps it: UTF-8.
std::string NarrowText(const wchar_t* szText, size_t nLength);
/// A text in the system's ANSI code page, one byte per character, as older interfaces take it.
std::string AnsiText(const std::string& sText);
/// The system's wording of error dwError without the characters of szTrim it ends with (its line
/// end, say); sFallback followed by the number when the system has none.
std::string SystemErrorText(unsigned long dwError, const char* szTrim,
                            const std::string& sFallback);

}  // namespace ksv940
