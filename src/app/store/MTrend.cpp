#include "app/store/MTrend.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string_view>

namespace ksv940 {

std::string NumberText(double dValue) {
  char szText[64];
  auto [pEnd, ec] = std::to_chars(szText, szText + sizeof szText, dValue);
  return ec == std::errc() ? std::string(szText, pEnd) : std::string();
}

std::string UtcTime(const std::string& sIso) {
  int iYear = 0, iMonth = 0, iDay = 0, iHour = 0, iMinute = 0, iSecond = 0, iOffH = 0, iOffM = 0;
  char cSign = 'Z';
  if (std::sscanf(sIso.c_str(), "%d-%d-%dT%d:%d:%d%c%d:%d", &iYear, &iMonth, &iDay, &iHour,
                  &iMinute, &iSecond, &cSign, &iOffH, &iOffM) < 6) {
    return sIso;
  }
  std::tm time{};
  time.tm_year = iYear - 1900;
  time.tm_mon = iMonth - 1;
  time.tm_mday = iDay;
  time.tm_hour = iHour;
  time.tm_min = iMinute;
  time.tm_sec = iSecond;
  std::time_t lSeconds = timegm(&time);
  int iOffset = (iOffH * 3600 + iOffM * 60) * (cSign == '-' ? -1 : cSign == '+' ? 1 : 0);
  lSeconds -= iOffset;
  std::tm utc{};
  gmtime_r(&lSeconds, &utc);
  char szText[32];
  std::strftime(szText, sizeof szText, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return szText;
}

std::string ChangeText(double dChange, const std::string& sUnit) {
  // Differences of decimal readings carry binary noise (0.30000000000000004): a reading has at
  // most a few significant digits, so nine are plenty.
  double dRounded = std::round(dChange * 1e9) / 1e9;
  std::string sText = (dRounded < 0 ? "" : "+") + NumberText(dRounded);
  return sUnit.empty() ? sText : sText + " " + sUnit;
}

std::string TrendRemark(const SStoredStep& step, const SPreviousValue& previous,
                        double dWarnPercent) {
  if (!step.dValue) {
    return {};
  }
  double dChange = *step.dValue - previous.dValue;
  double dShare = dWarnPercent / 100.0;
  bool fWorse = (step.dMax && dChange > 0 && dChange > dShare * std::fabs(*step.dMax)) ||
                (step.dMin && dChange < 0 && -dChange > dShare * std::fabs(*step.dMin));
  if (!fWorse) {
    return {};
  }
  return "worse since " + previous.sStarted.substr(0, 10) + " (" + ChangeText(dChange, step.sUnit) +
         ")";
}

std::string PersonUnit(const std::string& sUnit) {
  if (sUnit == "uA") {
    return "\xc2\xb5"
           "A";
  }
  if (sUnit == "Ohm") {
    return "\xce\xa9";
  }
  if (sUnit == "MOhm") {
    return "M\xce\xa9";
  }
  return sUnit;
}

size_t ShownWidth(const std::string& sText) {
  return static_cast<size_t>(std::count_if(sText.begin(), sText.end(), [](char ch) {
    return (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
  }));
}

std::string WithPersonUnit(std::string sText, const std::string& sUnit) {
  std::string sPerson = PersonUnit(sUnit);
  if (sPerson == sUnit) {
    return sText;
  }
  // A word: after a blank, before the end, a blank or punctuation, so that " Ohm" is never the
  // end of " MOhm" nor the start of " Ohms".
  std::string sWord = " " + sUnit;
  for (size_t nAt = sText.find(sWord); nAt != std::string::npos; nAt = sText.find(sWord, nAt)) {
    size_t nEnd = nAt + sWord.size();
    if (nEnd == sText.size() || std::string_view(" ),;").find(sText[nEnd]) != std::string::npos) {
      sText.replace(nAt + 1, sUnit.size(), sPerson);
      nAt += 1 + sPerson.size();
    } else {
      nAt = nEnd;
    }
  }
  return sText;
}

}  // namespace ksv940
