#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ksv940 {

/// One value of a test at the time of its run.
struct STrendPoint {
  std::string sDate;  ///< UTC, "2024-05-17T07:30:05Z"
  double dValue = 0.0;
};

/// An inline SVG chart of values over their dates (oldest left), each limit a dashed line, each
/// point a circle inside its limits and a cross outside them, so that black and white print tells
/// them apart. iWidth by iHeight pixels; a small chart (iHeight under 60) has no axis labels.
std::string TrendChartSvg(const std::vector<STrendPoint>& vPoints, std::optional<double> dMin,
                          std::optional<double> dMax, const std::string& sUnit, int iWidth,
                          int iHeight);

/// sText with the characters HTML gives a meaning (& < > " ') written as references.
std::string HtmlEscaped(const std::string& sText);

}  // namespace ksv940
