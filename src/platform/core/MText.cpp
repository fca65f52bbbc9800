#include "platform/core/MText.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace ksv940 {

std::string EscapeControls(std::string_view sText) {
  std::string sOut;
  sOut.reserve(sText.size());
  for (char c : sText) {
    auto uc = static_cast<unsigned char>(c);
    if (c == '\r') {
      sOut += "\\r";
    } else if (c == '\n') {
      sOut += "\\n";
    } else if (c == '\x1b') {
      sOut += "\\e";
    } else if (c == '\\') {
      sOut += "\\\\";
    } else if (uc < 0x20 || uc >= 0x7f) {
      char szHex[8];
      std::snprintf(szHex, sizeof szHex, "\\x%02X", uc);
      sOut += szHex;
    } else {
      sOut.push_back(c);
    }
  }
  return sOut;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

std::string LowerAscii(std::string_view sText) {
  std::string sLower(sText);
  for (char& c : sLower) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return sLower;
}

std::string ReadFileText(const std::string& sPath) {
  // A folder opens as a stream on some systems and fails only on the first read, with a reason
  // the stream does not keep: it is refused before it is opened.
  std::error_code ec;
  if (std::filesystem::is_directory(sPath, ec)) {
    throw std::system_error(std::make_error_code(std::errc::is_a_directory));
  }
  errno = 0;
  std::ifstream in(sPath, std::ios::binary);
  if (!in) {
    throw std::system_error(errno != 0 ? errno : EIO, std::generic_category());
  }
  std::string sText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    throw std::system_error(errno != 0 ? errno : EIO, std::generic_category());
  }
  return sText;
}

}  // namespace ksv940
