// The run-time conversions on any text: a number is accepted by all readers alike or refused with
// Type mismatch, a number out of range raises Overflow, and nothing else ever leaves them.

#include <cmath>
#include <string>

#include "CFuzzInput.h"
#include "MFuzzSupport.h"
#include "platform/core/MRuntime.h"

namespace ksv940::fuzz {

int FuzzRuntime(const uint8_t* pData, size_t nSize) {
  CFuzzInput in(pData, nSize);
  std::string sText = in.Rest();

  int32_t lValue = 0;
  int32_t lError32 = RaisedNumber([&] { lValue = TextToInt32(sText); });
  FUZZ_CHECK(lError32 == 0 || lError32 == erTypeMismatch || lError32 == erOverflow);
  // The format check and the conversion agree on what is a number.
  FUZZ_CHECK(IsNumericText(sText) == (lError32 != erTypeMismatch));
  int16_t iValue = 0;
  int32_t lError16 = RaisedNumber([&] { iValue = TextToInt16(sText); });
  FUZZ_CHECK(lError16 == 0 || lError16 == erTypeMismatch || lError16 == erOverflow);
  if (lError32 != 0) {
    FUZZ_CHECK(lError16 == lError32);
  } else if (lError16 == 0) {
    FUZZ_CHECK(iValue == lValue);
  } else {
    FUZZ_CHECK(lError16 == erOverflow && (lValue < -32768 || lValue > 32767));
  }

  // A reading's number: never raises, always a finite number or an infinity of a huge exponent.
  double dReading = 0;
  FUZZ_CHECK(RaisedNumber([&] { dReading = LeadingNumber(sText); }) == 0);
  FUZZ_CHECK(!std::isnan(dReading));
  float fSingle = 0;
  int32_t lErrorSingle = RaisedNumber([&] { fSingle = CheckedSingle(dReading); });
  FUZZ_CHECK(lErrorSingle == 0 || lErrorSingle == erOverflow);
  if (lErrorSingle == 0) {
    FUZZ_CHECK(std::isfinite(fSingle));
  }
  int32_t lRounded = 0;
  int32_t lErrorRound = RaisedNumber([&] { lRounded = RoundToInt32(dReading); });
  FUZZ_CHECK(lErrorRound == 0 || lErrorRound == erOverflow);
  if (lErrorRound == 0) {
    FUZZ_CHECK(std::fabs(static_cast<double>(lRounded) - dReading) <= 0.5);
  }
  return 0;
}

}  // namespace ksv940::fuzz

KSV940_FUZZ_ENTRY(FuzzRuntime)
