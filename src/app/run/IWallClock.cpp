#include "app/run/IWallClock.h"

#include <cstdio>
#include <cstdlib>

namespace ksv940 {

namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian), without the C library's time zone
// state, so that the offset alone decides the local time.
void CivilFromDays(int64_t lDays, int64_t& lYear, int& iMonth, int& iDay) {
  lDays += 719468;
  int64_t lEra = (lDays >= 0 ? lDays : lDays - 146096) / 146097;
  int64_t lDayOfEra = lDays - lEra * 146097;
  int64_t lYearOfEra =
      (lDayOfEra - lDayOfEra / 1460 + lDayOfEra / 36524 - lDayOfEra / 146096) / 365;
  int64_t lDayOfYear = lDayOfEra - (365 * lYearOfEra + lYearOfEra / 4 - lYearOfEra / 100);
  int64_t lMonthIndex = (5 * lDayOfYear + 2) / 153;
  iDay = static_cast<int>(lDayOfYear - (153 * lMonthIndex + 2) / 5 + 1);
  iMonth = static_cast<int>(lMonthIndex < 10 ? lMonthIndex + 3 : lMonthIndex - 9);
  lYear = lYearOfEra + lEra * 400 + (iMonth <= 2 ? 1 : 0);
}

int64_t FloorDiv(int64_t lA, int64_t lB) {
  int64_t lQ = lA / lB;
  return (lA % lB != 0 && (lA < 0) != (lB < 0)) ? lQ - 1 : lQ;
}

}  // namespace

std::string IWallClock::IsoTime(int64_t lEpochUs) const {
  int32_t lOffset = UtcOffsetSeconds(lEpochUs);
  int64_t lLocal = FloorDiv(lEpochUs, 1'000'000) + lOffset;
  int64_t lDays = FloorDiv(lLocal, 86'400);
  int64_t lSecondOfDay = lLocal - lDays * 86'400;
  int64_t lYear = 0;
  int iMonth = 0;
  int iDay = 0;
  CivilFromDays(lDays, lYear, iMonth, iDay);
  int32_t lAbsOffset = std::abs(lOffset);
  char szText[64];
  std::snprintf(szText, sizeof szText, "%04lld-%02d-%02dT%02d:%02d:%02d%c%02d:%02d",
                static_cast<long long>(lYear), iMonth, iDay, static_cast<int>(lSecondOfDay / 3600),
                static_cast<int>(lSecondOfDay / 60 % 60), static_cast<int>(lSecondOfDay % 60),
                lOffset < 0 ? '-' : '+', lAbsOffset / 3600, lAbsOffset / 60 % 60);
  return szText;
}

}  // namespace ksv940
