#pragma once

#include <string>

namespace ksv940 {

/// The component's texts are UTF-8; characters from the instrument may be any bytes. Windows
/// takes and gives UTF-16: text that is not UTF-8 crosses byte for byte, each byte one character.
std::wstring WideText(const std::string& sText);
/// A UTF-16 text as the component keeps it: UTF-8.
std::string NarrowText(const wchar_t* szText, size_t nLength);
std::string NarrowText(const std::wstring& sText);
/// A text in the system's ANSI code page, one byte per character, as older interfaces take it.
std::string AnsiText(const std::string& sText);

}  // namespace ksv940
