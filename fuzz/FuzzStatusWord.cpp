// Status words of any shape: the hexadecimal digits at the start count, nothing else. The low 16
// bits, the only ones any caller tests, are those of the last four of those digits; more than
// eight significant digits overflow.

#include <cctype>
#include <string>

#include "CFuzzInput.h"
#include "MFuzzSupport.h"
#include "platform/core/MRuntime.h"

namespace ksv940::fuzz {

int FuzzStatusWord(const uint8_t* pData, size_t nSize) {
  CFuzzInput in(pData, nSize);
  std::string sText = in.Rest();
  size_t nDigits = 0;
  while (nDigits < sText.size() && std::isxdigit(static_cast<unsigned char>(sText[nDigits]))) {
    ++nDigits;
  }
  std::string sDigits = sText.substr(0, nDigits);
  size_t nFirst = sDigits.find_first_not_of('0');
  bool fOverflows = nFirst != std::string::npos && nDigits - nFirst > 8;
  int32_t lValue = 0;
  int32_t lError = RaisedNumber([&] { lValue = HexStatusValue(sText); });
  FUZZ_CHECK(lError == (fOverflows ? erOverflow : 0));
  if (lError != 0) {
    return 0;
  }
  std::string sLow = sDigits.substr(nDigits > 4 ? nDigits - 4 : 0);
  uint32_t uLow = sLow.empty() ? 0 : static_cast<uint32_t>(std::stoul(sLow, nullptr, 16));
  FUZZ_CHECK((static_cast<uint32_t>(lValue) & 0xFFFF) == uLow);
  if (nDigits <= 4) {
    FUZZ_CHECK(lValue == static_cast<int16_t>(uLow));
  }
  return 0;
}

}  // namespace ksv940::fuzz

KSV940_FUZZ_ENTRY(FuzzStatusWord)
