#include "app/store/MTrend.h"

#include <charconv>
#include <cmath>

namespace ksv940 {

std::string StoreNumberText(double dValue) {
  char szText[64];
  auto [pEnd, ec] = std::to_chars(szText, szText + sizeof szText, dValue);
  return ec == std::errc() ? std::string(szText, pEnd) : std::string();
}

std::string ChangeText(double dChange, const std::string& sUnit) {
  // Differences of decimal readings carry binary noise (0.30000000000000004): a reading has at
  // most a few significant digits, so nine are plenty.
  double dRounded = std::round(dChange * 1e9) / 1e9;
  std::string sText = (dRounded < 0 ? "" : "+") + StoreNumberText(dRounded);
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

}  // namespace ksv940
