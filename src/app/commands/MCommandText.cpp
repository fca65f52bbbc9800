#include "app/commands/MCommandText.h"

#include "platform/core/MText.h"

#include <cstdio>

#include "model/GDeclares.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/MRuntime.h"

namespace ksv940 {

namespace {

[[noreturn]] void RaiseBadEscape(const std::string& sTyped, const std::string& sWhy) {
  throw CAutomationError(
      erInvalidCall, kComponentName,
      "command \"" + sTyped + "\": " + sWhy + " (escapes: \\e \\r \\n \\t \\\\ \\xNN)");
}

}  // namespace

std::string UnescapeCommand(const std::string& sTyped) {
  std::string sOut;
  for (size_t i = 0; i < sTyped.size(); ++i) {
    if (sTyped[i] != '\\') {
      sOut.push_back(sTyped[i]);
      continue;
    }
    if (i + 1 >= sTyped.size()) {
      RaiseBadEscape(sTyped, "a lone \\ at the end");
    }
    char c = sTyped[++i];
    switch (c) {
      case 'e':
        sOut.push_back('\x1b');
        break;
      case 'r':
        sOut.push_back('\r');
        break;
      case 'n':
        sOut.push_back('\n');
        break;
      case 't':
        sOut.push_back('\t');
        break;
      case '\\':
        sOut.push_back('\\');
        break;
      case 'x': {
        int iHigh = i + 1 < sTyped.size() ? HexDigitValue(sTyped[i + 1]) : -1;
        int iLow = i + 2 < sTyped.size() ? HexDigitValue(sTyped[i + 2]) : -1;
        if (iHigh < 0 || iLow < 0) {
          RaiseBadEscape(sTyped, "\\x needs two hexadecimal digits");
        }
        sOut.push_back(static_cast<char>(iHigh * 16 + iLow));
        i += 2;
        break;
      }
      default:
        RaiseBadEscape(sTyped, std::string("unknown escape \\") + c);
    }
  }
  return sOut;
}

}  // namespace ksv940
