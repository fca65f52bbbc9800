#include "platform/settings/CRegistryFileStore.h"

#include "platform/core/MText.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <vector>

#include "platform/core/CAutomationError.h"
#include "platform/core/MRuntime.h"

namespace ksv940 {

namespace {

constexpr int32_t kRegDword = 4;

struct SValue {
  int32_t lType = 0;
  std::vector<uint8_t> vData;
};

// Keys and value names are compared without regard to letter case, as the registry does.
std::string Folded(const std::string& sName) {
  std::string sOut = sName;
  for (char& c : sOut) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return sOut;
}

void AppendUtf8(std::string& sOut, uint32_t uCode) {
  if (uCode < 0x80) {
    sOut.push_back(static_cast<char>(uCode));
  } else if (uCode < 0x800) {
    sOut.push_back(static_cast<char>(0xC0 | (uCode >> 6)));
    sOut.push_back(static_cast<char>(0x80 | (uCode & 0x3F)));
  } else if (uCode < 0x10000) {
    sOut.push_back(static_cast<char>(0xE0 | (uCode >> 12)));
    sOut.push_back(static_cast<char>(0x80 | ((uCode >> 6) & 0x3F)));
    sOut.push_back(static_cast<char>(0x80 | (uCode & 0x3F)));
  } else {
    sOut.push_back(static_cast<char>(0xF0 | (uCode >> 18)));
    sOut.push_back(static_cast<char>(0x80 | ((uCode >> 12) & 0x3F)));
    sOut.push_back(static_cast<char>(0x80 | ((uCode >> 6) & 0x3F)));
    sOut.push_back(static_cast<char>(0x80 | (uCode & 0x3F)));
  }
}

// The registry editor writes UTF-16 (little-endian, with a byte-order mark); REGEDIT4 files and
// hand-written ones are 8-bit. Everything becomes UTF-8.
std::string DecodedText(const std::string& sBytes) {
  if (sBytes.size() >= 2 && static_cast<uint8_t>(sBytes[0]) == 0xFF &&
      static_cast<uint8_t>(sBytes[1]) == 0xFE) {
    std::string sOut;
    for (size_t i = 2; i + 1 < sBytes.size(); i += 2) {
      uint32_t uUnit = static_cast<uint8_t>(sBytes[i]) |
                       (static_cast<uint32_t>(static_cast<uint8_t>(sBytes[i + 1])) << 8);
      if (uUnit >= 0xD800 && uUnit < 0xDC00 && i + 3 < sBytes.size()) {
        uint32_t uLow = static_cast<uint8_t>(sBytes[i + 2]) |
                        (static_cast<uint32_t>(static_cast<uint8_t>(sBytes[i + 3])) << 8);
        if (uLow >= 0xDC00 && uLow < 0xE000) {
          uUnit = 0x10000 + ((uUnit - 0xD800) << 10) + (uLow - 0xDC00);
          i += 2;
        }
      }
      AppendUtf8(sOut, uUnit);
    }
    return sOut;
  }
  if (sBytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    return sBytes.substr(3);
  }
  return sBytes;
}

std::string Trimmed(const std::string& sText) {
  size_t nStart = sText.find_first_not_of(" \t\r");
  if (nStart == std::string::npos) {
    return {};
  }
  size_t nEnd = sText.find_last_not_of(" \t\r");
  return sText.substr(nStart, nEnd - nStart + 1);
}

class CExportParser {
 public:
  CExportParser(std::string sSource) : msSource(std::move(sSource)) {}

  std::map<std::string, std::map<std::string, SValue>> Parse(const std::string& sText) {
    std::istringstream in(sText);
    std::string sRaw;
    int nLine = 0;
    bool fHeader = false;
    while (std::getline(in, sRaw)) {
      ++nLine;
      mnLine = nLine;
      std::string sLine = Trimmed(sRaw);
      // Long hex values go on over several lines, each but the last ending in a backslash.
      while (!sLine.empty() && sLine.back() == '\\' && sLine[0] != '[' && std::getline(in, sRaw)) {
        ++nLine;
        sLine.pop_back();
        sLine += Trimmed(sRaw);
      }
      if (sLine.empty() || sLine[0] == ';') {
        continue;
      }
      if (!fHeader) {
        if (sLine != "Windows Registry Editor Version 5.00" && sLine != "REGEDIT4") {
          Fail(
              "not a registry export: the first line must be \"Windows Registry Editor Version "
              "5.00\"");
        }
        fHeader = true;
        continue;
      }
      if (sLine[0] == '[') {
        KeyLine(sLine);
      } else {
        ValueLine(sLine);
      }
    }
    if (!fHeader) {
      mnLine = 1;
      Fail(
          "not a registry export: the first line must be \"Windows Registry Editor Version 5.00\"");
    }
    return mKeys;
  }

 private:
  [[noreturn]] void Fail(const std::string& sWhat) const {
    throw CAutomationError(erInvalidCall, kComponentName,
                           msSource + ":" + std::to_string(mnLine) + ": " + sWhat);
  }

  void KeyLine(const std::string& sLine) {
    if (sLine.back() != ']' || sLine.size() < 3) {
      Fail("a key line must be [KEY]");
    }
    std::string sKey = sLine.substr(1, sLine.size() - 2);
    if (sKey[0] == '-') {
      std::string sGone = Folded(sKey.substr(1));
      for (auto it = mKeys.begin(); it != mKeys.end();) {
        bool fUnder = it->first == sGone || it->first.rfind(sGone + "\\", 0) == 0;
        it = fUnder ? mKeys.erase(it) : std::next(it);
      }
      mpCurrent = nullptr;
      mfInDeletedKey = true;
      return;
    }
    mpCurrent = &mKeys[Folded(sKey)];
    mfInDeletedKey = false;
  }

  // A quoted text with \" and \\ escapes starting at sLine[nPos]; nPos ends after the quote.
  std::string QuotedText(const std::string& sLine, size_t& nPos) const {
    std::string sOut;
    ++nPos;
    while (nPos < sLine.size() && sLine[nPos] != '"') {
      if (sLine[nPos] == '\\' && nPos + 1 < sLine.size()) {
        ++nPos;
      }
      sOut.push_back(sLine[nPos++]);
    }
    if (nPos >= sLine.size()) {
      Fail("a quoted name or text has no closing quote");
    }
    ++nPos;
    return sOut;
  }

  void ValueLine(const std::string& sLine) {
    std::string sName;
    size_t nPos = 0;
    if (sLine[0] == '@') {
      nPos = 1;
    } else if (sLine[0] == '"') {
      sName = QuotedText(sLine, nPos);
    } else {
      Fail("expected [KEY], \"NAME\"=VALUE or @=VALUE");
    }
    while (nPos < sLine.size() && (sLine[nPos] == ' ' || sLine[nPos] == '\t')) {
      ++nPos;
    }
    if (nPos >= sLine.size() || sLine[nPos] != '=') {
      Fail("expected = after the value's name");
    }
    std::string sData = Trimmed(sLine.substr(nPos + 1));
    if (mpCurrent == nullptr) {
      if (mfInDeletedKey) {
        return;
      }
      Fail("a value before the first key");
    }
    std::string sFolded = Folded(sName);
    if (sData == "-") {
      mpCurrent->erase(sFolded);
      return;
    }
    (*mpCurrent)[sFolded] = ValueData(sData);
  }

  SValue ValueData(const std::string& sData) const {
    SValue value;
    if (!sData.empty() && sData[0] == '"') {
      size_t nPos = 0;
      std::string sText = QuotedText(sData, nPos);
      if (nPos != sData.size()) {
        Fail("text after the closing quote");
      }
      value.lType = 1;  // REG_SZ
      value.vData.assign(sText.begin(), sText.end());
      return value;
    }
    std::string sLower = Folded(sData);
    if (sLower.rfind("dword:", 0) == 0) {
      std::string sDigits = sData.substr(6);
      if (sDigits.empty() || sDigits.size() > 8) {
        Fail("a dword value needs 1 to 8 hexadecimal digits");
      }
      uint32_t uValue = 0;
      for (char c : sDigits) {
        int iDigit = HexDigitValue(c);
        if (iDigit < 0) {
          Fail("a dword value needs 1 to 8 hexadecimal digits");
        }
        uValue = uValue * 16 + static_cast<uint32_t>(iDigit);
      }
      value.lType = kRegDword;
      for (int i = 0; i < 4; ++i) {
        value.vData.push_back(static_cast<uint8_t>(uValue >> (8 * i)));
      }
      return value;
    }
    if (sLower.rfind("hex", 0) == 0) {
      size_t nColon = sData.find(':');
      std::string sType = sLower.substr(3, nColon == std::string::npos ? 0 : nColon - 3);
      value.lType = 3;  // REG_BINARY
      if (!sType.empty()) {
        bool fOk = sType.size() > 2 && sType.front() == '(' && sType.back() == ')';
        uint32_t uType = 0;
        for (size_t i = 1; fOk && i + 1 < sType.size(); ++i) {
          int iDigit = HexDigitValue(sType[i]);
          fOk = iDigit >= 0 && i < 9;
          uType = uType * 16 + static_cast<uint32_t>(std::max(iDigit, 0));
        }
        if (!fOk) {
          Fail("a hex value's type must be hex(N)");
        }
        value.lType = static_cast<int32_t>(uType);
      }
      if (nColon == std::string::npos) {
        Fail("expected : after hex");
      }
      std::string sBytes = sData.substr(nColon + 1);
      std::istringstream bytes(sBytes);
      std::string sByte;
      while (std::getline(bytes, sByte, ',')) {
        sByte = Trimmed(sByte);
        if (sByte.size() != 2 || HexDigitValue(sByte[0]) < 0 || HexDigitValue(sByte[1]) < 0) {
          Fail("hex bytes must be two hexadecimal digits each, separated by commas");
        }
        value.vData.push_back(
            static_cast<uint8_t>(HexDigitValue(sByte[0]) * 16 + HexDigitValue(sByte[1])));
      }
      return value;
    }
    Fail("a value must be \"text\", dword:XXXXXXXX, hex:BYTES, hex(N):BYTES or -");
  }

  std::string msSource;
  int mnLine = 0;
  std::map<std::string, std::map<std::string, SValue>> mKeys;
  std::map<std::string, SValue>* mpCurrent = nullptr;
  bool mfInDeletedKey = false;
};

}  // namespace

CRegistryFileStore::CRegistryFileStore(std::string sPath) : msPath(std::move(sPath)) {}

std::string CRegistryFileStore::Path() const {
  if (!msPath.empty()) {
    return msPath;
  }
  const char* szPath = std::getenv("KSV940_REGISTRY");
  return szPath != nullptr && *szPath != '\0' ? std::string(szPath) : std::string(kDefaultPath);
}

std::optional<int32_t> CRegistryFileStore::ReadDword(const std::string& sKey,
                                                     const std::string& sValueName) {
  std::string sPath = Path();
  std::ifstream in(sPath, std::ios::binary);
  if (!in) {
    if (errno == ENOENT || errno == ENOTDIR) {
      return std::nullopt;
    }
    throw CAutomationError(erInvalidCall, kComponentName,
                           "Cannot read the settings file " + sPath + ": " + std::strerror(errno));
  }
  std::string sBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto keys = CExportParser(sPath).Parse(DecodedText(sBytes));
  auto itKey = keys.find(Folded(sKey));
  if (itKey == keys.end()) {
    return std::nullopt;
  }
  auto itValue = itKey->second.find(Folded(sValueName));
  if (itValue == itKey->second.end()) {
    return std::nullopt;
  }
  const SValue& value = itValue->second;
  if (value.lType != kRegDword || value.vData.size() != 4) {
    return std::nullopt;
  }
  uint32_t uValue = 0;
  for (int i = 3; i >= 0; --i) {
    uValue = (uValue << 8) | value.vData[static_cast<size_t>(i)];
  }
  return static_cast<int32_t>(uValue);
}

}  // namespace ksv940
