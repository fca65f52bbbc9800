#include "platform/core/MRuntime.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "platform/core/CAutomationError.h"
#include "platform/core/MText.h"

namespace ksv940 {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The value of c as a digit of iRadix (at most 16), or -1 when it is none.
int DigitValue(char c, int iRadix) {
  int iDigit = HexDigitValue(c);
  return iDigit < iRadix ? iDigit : -1;
}

bool IsHexDigit(char c) {
  return DigitValue(c, 16) >= 0;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view Trim(std::string_view sText) {
  while (!sText.empty() && IsBlank(sText.front())) {
    sText.remove_prefix(1);
  }
  while (!sText.empty() && IsBlank(sText.back())) {
    sText.remove_suffix(1);
  }
  return sText;
}

// Reads a whole &H or &O literal. Up to four hexadecimal (six octal) digits make a 16-bit literal,
// whose top bit is its sign, as in the automation layer's own literals.
int32_t RadixLiteral(std::string_view sDigits, int iRadix) {
  if (sDigits.empty()) {
    RaiseRuntimeError(erTypeMismatch);
  }
  uint64_t uValue = 0;
  for (char c : sDigits) {
    int iDigit = DigitValue(c, iRadix);
    if (iDigit < 0) {
      RaiseRuntimeError(erTypeMismatch);
    }
    uValue = uValue * static_cast<uint64_t>(iRadix) + static_cast<uint64_t>(iDigit);
    if (uValue > 0xFFFFFFFFull) {
      RaiseRuntimeError(erOverflow);
    }
  }
  size_t nShortDigits = iRadix == 16 ? 4 : 6;
  if (sDigits.size() <= nShortDigits && uValue <= 0xFFFF) {
    return static_cast<int16_t>(static_cast<uint16_t>(uValue));
  }
  return static_cast<int32_t>(static_cast<uint32_t>(uValue));
}

// Length of the decimal number (sign, digits, fraction, exponent) at the start of sText; 0 when
// there is none.
size_t DecimalLength(std::string_view sText) {
  size_t i = 0;
  if (i < sText.size() && (sText[i] == '+' || sText[i] == '-')) {
    ++i;
  }
  size_t nDigits = 0;
  while (i < sText.size() && IsDigit(sText[i])) {
    ++i;
    ++nDigits;
  }
  if (i < sText.size() && sText[i] == '.') {
    ++i;
    while (i < sText.size() && IsDigit(sText[i])) {
      ++i;
      ++nDigits;
    }
  }
  if (nDigits == 0) {
    return 0;
  }
  if (i < sText.size() && (sText[i] == 'e' || sText[i] == 'E')) {
    size_t j = i + 1;
    if (j < sText.size() && (sText[j] == '+' || sText[j] == '-')) {
      ++j;
    }
    if (j < sText.size() && IsDigit(sText[j])) {
      while (j < sText.size() && IsDigit(sText[j])) {
        ++j;
      }
      i = j;
    }
  }
  return i;
}

// Reads a number that DecimalLength accepted, with "." as the decimal separator whatever locale
// the host process runs in.
double ParseDecimal(std::string_view sNumber) {
  bool fNegative = !sNumber.empty() && sNumber.front() == '-';
  if (!sNumber.empty() && (sNumber.front() == '+' || sNumber.front() == '-')) {
    sNumber.remove_prefix(1);
  }
  double dValue = 0.0;
  auto [pEnd, ec] = std::from_chars(sNumber.data(), sNumber.data() + sNumber.size(), dValue);
  (void)pEnd;
  if (ec == std::errc::result_out_of_range) {
    // Beyond the double's range: a negative exponent is (nearly) nothing, any other is infinite.
    size_t nExponent = sNumber.find_first_of("eE");
    bool fTiny = nExponent != std::string_view::npos && nExponent + 1 < sNumber.size() &&
                 sNumber[nExponent + 1] == '-';
    dValue = fTiny ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return fNegative ? -dValue : dValue;
}

}  // namespace

std::string RuntimeErrorText(int32_t lNumber) {
  switch (lNumber) {
    case erInvalidCall:
      return "Invalid procedure call or argument";
    case erOverflow:
      return "Overflow";
    case erOutOfMemory:
      return "Out of memory";
    case erSubscript:
      return "Subscript out of range";
    case erTypeMismatch:
      return "Type mismatch";
    case erInternal:
      return "Internal error";
    case erCannotCreateObject:
      return "ActiveX component can't create object";
    case erNoSuchMember:
      return "Object doesn't support this property or method";
    default:
      return "Application-defined or object-defined error";
  }
}

void RaiseRuntimeError(int32_t lNumber) {
  throw CAutomationError(lNumber, kComponentName, RuntimeErrorText(lNumber));
}

int16_t CheckedInt16(int64_t lValue) {
  if (lValue < std::numeric_limits<int16_t>::min() ||
      lValue > std::numeric_limits<int16_t>::max()) {
    RaiseRuntimeError(erOverflow);
  }
  return static_cast<int16_t>(lValue);
}

int32_t CheckedInt32(int64_t lValue) {
  if (lValue < std::numeric_limits<int32_t>::min() ||
      lValue > std::numeric_limits<int32_t>::max()) {
    RaiseRuntimeError(erOverflow);
  }
  return static_cast<int32_t>(lValue);
}

int16_t CheckedMul16(int16_t iA, int16_t iB) {
  return CheckedInt16(static_cast<int64_t>(iA) * iB);
}

int32_t CheckedMul32(int32_t lA, int32_t lB) {
  return CheckedInt32(static_cast<int64_t>(lA) * lB);
}

int32_t CheckedAdd32(int32_t lA, int32_t lB) {
  return CheckedInt32(static_cast<int64_t>(lA) + lB);
}

int32_t CheckedSub32(int32_t lA, int32_t lB) {
  return CheckedInt32(static_cast<int64_t>(lA) - lB);
}

float CheckedSingle(double dValue) {
  if (std::isnan(dValue)) {
    return std::numeric_limits<float>::quiet_NaN();
  }
  if (std::fabs(dValue) > static_cast<double>(std::numeric_limits<float>::max())) {
    RaiseRuntimeError(erOverflow);
  }
  return static_cast<float>(dValue);
}

int32_t RoundToInt32(double dValue) {
  // nearbyint rounds in the current mode, which is round-half-to-even unless someone changed it.
  double dRounded = std::nearbyint(dValue);
  if (!(dRounded >= static_cast<double>(std::numeric_limits<int32_t>::min()) &&
        dRounded <= static_cast<double>(std::numeric_limits<int32_t>::max()))) {
    RaiseRuntimeError(erOverflow);
  }
  return static_cast<int32_t>(dRounded);
}

bool IsNumericText(std::string_view sText) {
  sText = Trim(sText);
  if (sText.size() > 2 && sText[0] == '&') {
    int iRadix = sText[1] == 'H' || sText[1] == 'h'   ? 16
                 : sText[1] == 'O' || sText[1] == 'o' ? 8
                                                      : 0;
    if (iRadix != 0) {
      return std::all_of(sText.begin() + 2, sText.end(),
                         [iRadix](char c) { return DigitValue(c, iRadix) >= 0; });
    }
  }
  size_t nLength = DecimalLength(sText);
  return nLength > 0 && nLength == sText.size();
}

int32_t TextToInt32(std::string_view sText) {
  std::string_view sTrimmed = Trim(sText);
  if (!IsNumericText(sTrimmed)) {
    RaiseRuntimeError(erTypeMismatch);
  }
  if (sTrimmed[0] == '&') {
    int iRadix = (sTrimmed[1] == 'H' || sTrimmed[1] == 'h') ? 16 : 8;
    return RadixLiteral(sTrimmed.substr(2), iRadix);
  }
  return RoundToInt32(ParseDecimal(sTrimmed));
}

int16_t TextToInt16(std::string_view sText) {
  return CheckedInt16(TextToInt32(sText));
}

int32_t HexStatusValue(std::string_view sText) {
  size_t nDigits = 0;
  while (nDigits < sText.size() && IsHexDigit(sText[nDigits])) {
    ++nDigits;
  }
  std::string_view sDigits = sText.substr(0, nDigits);
  if (sDigits.empty()) {
    return 0;
  }
  size_t nFirst = sDigits.find_first_not_of('0');
  if (nFirst != std::string_view::npos && sDigits.size() - nFirst > 8) {
    RaiseRuntimeError(erOverflow);
  }
  return RadixLiteral(sDigits, 16);
}

double LeadingNumber(std::string_view sText) {
  std::string sCompact;
  sCompact.reserve(sText.size());
  for (char c : sText) {
    if (c != ' ' && c != '\t' && c != '\n') {
      sCompact.push_back(c);
    }
  }
  size_t nLength = DecimalLength(sCompact);
  if (nLength == 0) {
    return 0.0;
  }
  return ParseDecimal(std::string_view(sCompact).substr(0, nLength));
}

}  // namespace ksv940
