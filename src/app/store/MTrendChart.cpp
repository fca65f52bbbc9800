#include "app/store/MTrendChart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/store/MTrend.h"

namespace ksv940 {

namespace {

// Seconds since 1970 of "YYYY-MM-DDTHH:MM:SSZ" (days from the civil calendar, H. Hinnant's way).
double EpochSeconds(const std::string& sDate) {
  int iYear = 1970, iMonth = 1, iDay = 1, iHour = 0, iMinute = 0, iSecond = 0;
  std::sscanf(sDate.c_str(), "%d-%d-%dT%d:%d:%d", &iYear, &iMonth, &iDay, &iHour, &iMinute,
              &iSecond);
  iYear -= iMonth <= 2 ? 1 : 0;
  int iEra = (iYear >= 0 ? iYear : iYear - 399) / 400;
  int iYoe = iYear - iEra * 400;
  int iDoy = (153 * (iMonth + (iMonth > 2 ? -3 : 9)) + 2) / 5 + iDay - 1;
  int iDoe = iYoe * 365 + iYoe / 4 - iYoe / 100 + iDoy;
  double dDays = static_cast<double>(iEra) * 146097.0 + iDoe - 719468.0;
  return dDays * 86400.0 + iHour * 3600.0 + iMinute * 60.0 + iSecond;
}

std::string Coordinate(double d) {
  char szText[32];
  std::snprintf(szText, sizeof szText, "%.1f", d);
  return szText;
}

}  // namespace

std::string HtmlEscaped(const std::string& sText) {
  std::string sOut;
  for (char ch : sText) {
    switch (ch) {
      case '&':
        sOut += "&amp;";
        break;
      case '<':
        sOut += "&lt;";
        break;
      case '>':
        sOut += "&gt;";
        break;
      case '"':
        sOut += "&quot;";
        break;
      case '\'':
        sOut += "&#39;";
        break;
      default:
        sOut += ch;
    }
  }
  return sOut;
}

std::string TrendChartSvg(const std::vector<STrendPoint>& vPoints, std::optional<double> dMin,
                          std::optional<double> dMax, const std::string& sUnit, int iWidth,
                          int iHeight) {
  bool fLabels = iHeight >= 60;
  double dLeft = fLabels ? 56 : 4, dRight = iWidth - 6.0, dTop = 6,
         dBottom = iHeight - (fLabels ? 20.0 : 4.0);
  double dLow = 0, dHigh = 0, dFirst = 0, dLast = 0;
  bool fAny = false;
  auto widen = [&](double d) {
    dLow = fAny ? std::min(dLow, d) : d;
    dHigh = fAny ? std::max(dHigh, d) : d;
    fAny = true;
  };
  for (const STrendPoint& point : vPoints) {
    widen(point.dValue);
  }
  for (const std::optional<double>& limit : {dMin, dMax}) {
    if (limit) {
      widen(*limit);
    }
  }
  double dSpan = dHigh - dLow;
  dLow -= dSpan > 0 ? dSpan * 0.1 : 1.0;
  dHigh += dSpan > 0 ? dSpan * 0.1 : 1.0;
  for (size_t i = 0; i < vPoints.size(); ++i) {
    double dAt = EpochSeconds(vPoints[i].sDate);
    dFirst = i == 0 ? dAt : std::min(dFirst, dAt);
    dLast = i == 0 ? dAt : std::max(dLast, dAt);
  }
  auto x = [&](const std::string& sDate) {
    return dLast > dFirst
               ? dLeft + (EpochSeconds(sDate) - dFirst) / (dLast - dFirst) * (dRight - dLeft)
               : (dLeft + dRight) / 2;
  };
  auto y = [&](double d) { return dBottom - (d - dLow) / (dHigh - dLow) * (dBottom - dTop); };

  std::string sSvg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"trend\" width=\"" +
      std::to_string(iWidth) + "\" height=\"" + std::to_string(iHeight) + "\" viewBox=\"0 0 " +
      std::to_string(iWidth) + " " + std::to_string(iHeight) + "\" role=\"img\"><title>" +
      HtmlEscaped(std::to_string(vPoints.size()) + " values in " + sUnit) + "</title>";
  sSvg += "<rect x=\"" + Coordinate(dLeft) + "\" y=\"" + Coordinate(dTop) + "\" width=\"" +
          Coordinate(dRight - dLeft) + "\" height=\"" + Coordinate(dBottom - dTop) +
          "\" fill=\"none\" stroke=\"#999\"/>";
  for (const std::optional<double>& limit : {dMin, dMax}) {
    if (limit) {
      std::string sY = Coordinate(y(*limit));
      sSvg += "<line class=\"limit\" x1=\"" + Coordinate(dLeft) + "\" y1=\"" + sY + "\" x2=\"" +
              Coordinate(dRight) + "\" y2=\"" + sY +
              "\" stroke=\"#000\" stroke-dasharray=\"4 3\"/>";
    }
  }
  // The values oldest first, joined by a line.
  std::vector<const STrendPoint*> vSorted;
  for (const STrendPoint& point : vPoints) {
    vSorted.push_back(&point);
  }
  std::stable_sort(
      vSorted.begin(), vSorted.end(),
      [](const STrendPoint* p1, const STrendPoint* p2) { return p1->sDate < p2->sDate; });
  if (vSorted.size() > 1) {
    sSvg += "<polyline fill=\"none\" stroke=\"#555\" points=\"";
    for (const STrendPoint* pPoint : vSorted) {
      sSvg += Coordinate(x(pPoint->sDate)) + "," + Coordinate(y(pPoint->dValue)) + " ";
    }
    sSvg.back() = '"';
    sSvg += "/>";
  }
  for (const STrendPoint* pPoint : vSorted) {
    double dX = x(pPoint->sDate), dY = y(pPoint->dValue);
    bool fOutside = (dMin && pPoint->dValue < *dMin) || (dMax && pPoint->dValue > *dMax);
    std::string sTitle =
        "<title>" +
        HtmlEscaped(pPoint->sDate.substr(0, 10) + ": " + NumberText(pPoint->dValue) + " " + sUnit +
                    (fOutside ? " (outside its limits)" : "")) +
        "</title>";
    if (fOutside) {
      std::string sPath = "M" + Coordinate(dX - 4) + " " + Coordinate(dY - 4) + "L" +
                          Coordinate(dX + 4) + " " + Coordinate(dY + 4) + "M" + Coordinate(dX - 4) +
                          " " + Coordinate(dY + 4) + "L" + Coordinate(dX + 4) + " " +
                          Coordinate(dY - 4);
      sSvg += "<path class=\"outside\" d=\"" + sPath + "\" stroke=\"#c00\" stroke-width=\"2\">" +
              sTitle + "</path>";
    } else {
      sSvg += "<circle class=\"inside\" cx=\"" + Coordinate(dX) + "\" cy=\"" + Coordinate(dY) +
              "\" r=\"3\" fill=\"#000\">" + sTitle + "</circle>";
    }
  }
  if (fLabels && !vSorted.empty()) {
    sSvg += "<text x=\"" + Coordinate(dLeft) + "\" y=\"" + std::to_string(iHeight - 5) +
            "\" font-size=\"10\">" + HtmlEscaped(vSorted.front()->sDate.substr(0, 10)) +
            "</text><text x=\"" + Coordinate(dRight) + "\" y=\"" + std::to_string(iHeight - 5) +
            "\" text-anchor=\"end\" font-size=\"10\">" +
            HtmlEscaped(vSorted.back()->sDate.substr(0, 10)) + "</text>";
    // The scale: each limit, then the lowest and the highest value, each with its unit, where
    // it does not crowd a label already there.
    auto [itLowest, itHighest] = std::minmax_element(
        vPoints.begin(), vPoints.end(),
        [](const STrendPoint& p1, const STrendPoint& p2) { return p1.dValue < p2.dValue; });
    std::vector<double> vLabelled;
    for (std::optional<double> label : {dMin, dMax, std::optional<double>(itLowest->dValue),
                                        std::optional<double>(itHighest->dValue)}) {
      if (!label || std::any_of(vLabelled.begin(), vLabelled.end(),
                                [&](double dAt) { return std::abs(y(dAt) - y(*label)) < 11; })) {
        continue;
      }
      vLabelled.push_back(*label);
      sSvg += "<text x=\"" + Coordinate(dLeft - 4) + "\" y=\"" + Coordinate(y(*label) + 4) +
              "\" text-anchor=\"end\" font-size=\"10\">" +
              HtmlEscaped(NumberText(*label) + " " + sUnit) + "</text>";
    }
  }
  return sSvg + "</svg>";
}

}  // namespace ksv940
