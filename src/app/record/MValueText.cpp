#include "app/record/MValueText.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace ksv940 {

namespace {

// The value's decimal digits as it was read: sign, integer digits, fraction digits.
struct SDecimal {
  bool fNegative = false;
  std::string sInteger;  // without leading zeros; empty for zero
  std::string sFraction;
};

SDecimal ShortestDecimal(float fValue) {
  char szText[64];
  auto [pEnd, ec] = std::to_chars(szText, szText + sizeof szText, fValue, std::chars_format::fixed);
  std::string sText = ec == std::errc() ? std::string(szText, pEnd) : std::string("0");
  SDecimal dec;
  if (!sText.empty() && sText[0] == '-') {
    dec.fNegative = true;
    sText.erase(0, 1);
  }
  size_t nPoint = sText.find('.');
  dec.sInteger = sText.substr(0, nPoint);
  dec.sFraction = nPoint == std::string::npos ? "" : sText.substr(nPoint + 1);
  dec.sInteger.erase(0, std::min(dec.sInteger.find_first_not_of('0'), dec.sInteger.size()));
  return dec;
}

// Rounds to nDecimals, half away from zero: the digits are those of the magnitude.
void RoundTo(SDecimal& dec, size_t nDecimals) {
  if (dec.sFraction.size() <= nDecimals) {
    dec.sFraction.append(nDecimals - dec.sFraction.size(), '0');
    return;
  }
  bool fUp = dec.sFraction[nDecimals] >= '5';
  dec.sFraction.resize(nDecimals);
  if (!fUp) {
    return;
  }
  std::string sDigits = dec.sInteger + dec.sFraction;
  size_t i = sDigits.size();
  while (i > 0 && sDigits[i - 1] == '9') {
    sDigits[--i] = '0';
  }
  if (i == 0) {
    sDigits.insert(sDigits.begin(), '1');
  } else {
    ++sDigits[i - 1];
  }
  dec.sInteger = sDigits.substr(0, sDigits.size() - nDecimals);
  dec.sFraction = sDigits.substr(sDigits.size() - nDecimals);
}

bool IsPlaceholder(char c) {
  return c == '0' || c == '#';
}

std::string IntegerPart(const std::string& sPattern, const std::string& sDigits) {
  std::vector<size_t> vPlaces;
  for (size_t i = 0; i < sPattern.size(); ++i) {
    if (IsPlaceholder(sPattern[i])) {
      vPlaces.push_back(i);
    }
  }
  if (vPlaces.empty()) {
    // No integer places: the digits still show, before the pattern's own characters.
    return sDigits + sPattern;
  }
  // Each placeholder's text, filled from the right; the leftmost takes every digit left over.
  std::vector<std::string> vText(sPattern.size());
  size_t nLeft = sDigits.size();
  for (size_t k = vPlaces.size(); k-- > 0;) {
    size_t nAt = vPlaces[k];
    if (k == 0 && nLeft > 0) {
      vText[nAt] = sDigits.substr(0, nLeft);
      nLeft = 0;
    } else if (nLeft > 0) {
      vText[nAt] = sDigits.substr(--nLeft, 1);
    } else if (sPattern[nAt] == '0') {
      vText[nAt] = "0";
    }
  }
  std::string sOut;
  bool fDigitShown = false;
  for (size_t i = 0; i < sPattern.size(); ++i) {
    if (IsPlaceholder(sPattern[i])) {
      sOut += vText[i];
      fDigitShown = fDigitShown || !vText[i].empty();
    } else if (sPattern[i] != ' ' || fDigitShown) {
      sOut += sPattern[i];
    }
  }
  return sOut;
}

std::string FractionPart(const std::string& sPattern, const std::string& sDigits) {
  std::vector<size_t> vPlaces;
  for (size_t i = 0; i < sPattern.size(); ++i) {
    if (IsPlaceholder(sPattern[i])) {
      vPlaces.push_back(i);
    }
  }
  // Optional decimals go from the right while they are zero.
  size_t nShown = vPlaces.size();
  while (nShown > 0 && sPattern[vPlaces[nShown - 1]] == '#' && sDigits[nShown - 1] == '0') {
    --nShown;
  }
  if (nShown == 0) {
    return {};
  }
  std::string sOut;
  size_t nPlace = 0;
  for (size_t i = 0; i < sPattern.size() && nPlace < nShown; ++i) {
    sOut += IsPlaceholder(sPattern[i]) ? sDigits[nPlace++] : sPattern[i];
  }
  return sOut;
}

}  // namespace

std::string FormatValue(float fValue, const std::string& sPattern) {
  SDecimal dec = ShortestDecimal(fValue);
  std::string sText;
  if (sPattern.empty()) {
    sText = (dec.sInteger.empty() ? "0" : dec.sInteger) +
            (dec.sFraction.empty() ? "" : "." + dec.sFraction);
  } else {
    size_t nPoint = sPattern.find('.');
    std::string sIntegerPattern = sPattern.substr(0, nPoint);
    std::string sFractionPattern = nPoint == std::string::npos ? "" : sPattern.substr(nPoint + 1);
    size_t nDecimals = 0;
    for (char c : sFractionPattern) {
      nDecimals += IsPlaceholder(c) ? 1U : 0U;
    }
    RoundTo(dec, nDecimals);
    sText = IntegerPart(sIntegerPattern, dec.sInteger);
    std::string sFraction = FractionPart(sFractionPattern, dec.sFraction);
    if (!sFraction.empty()) {
      sText += "." + sFraction;
    }
  }
  // A value that rounds to zero is shown without its sign.
  bool fNonZero = (dec.sInteger + dec.sFraction).find_first_not_of('0') != std::string::npos;
  return (dec.fNegative && fNonZero ? "-" : "") + sText;
}

double ReadableValue(float fValue) {
  char szText[64];
  auto [pEnd, ec] = std::to_chars(szText, szText + sizeof szText, fValue);
  double dValue = fValue;
  if (ec == std::errc()) {
    std::from_chars(szText, pEnd, dValue);
  }
  return dValue;
}

}  // namespace ksv940
