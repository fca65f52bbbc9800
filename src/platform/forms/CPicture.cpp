#include "platform/forms/CPicture.h"

#include <set>
#include <sstream>

namespace ksv940 {

CPicture::CPicture(std::vector<std::string> vXpm, std::string sSymbol)
    : mvXpm(std::move(vXpm)), msSymbol(std::move(sSymbol)) {
  if (!mvXpm.empty()) {
    std::istringstream header(mvXpm.front());
    header >> mlWidthPx >> mlHeightPx >> mlColours >> mlCharsPerPixel;
    if (!header) {
      mlWidthPx = mlHeightPx = mlColours = mlCharsPerPixel = 0;
    }
  }
}

bool CPicture::IsWellFormed() const {
  if (mlWidthPx <= 0 || mlHeightPx <= 0 || mlColours <= 0 || mlCharsPerPixel <= 0) {
    return false;
  }
  size_t nColours = static_cast<size_t>(mlColours);
  size_t nCpp = static_cast<size_t>(mlCharsPerPixel);
  if (mvXpm.size() != 1 + nColours + static_cast<size_t>(mlHeightPx)) {
    return false;
  }
  std::set<std::string> keys;
  for (size_t i = 1; i <= nColours; ++i) {
    if (mvXpm[i].size() < nCpp + 1) {
      return false;
    }
    keys.insert(mvXpm[i].substr(0, nCpp));
  }
  for (size_t i = 1 + nColours; i < mvXpm.size(); ++i) {
    const std::string& sRow = mvXpm[i];
    if (sRow.size() != static_cast<size_t>(mlWidthPx) * nCpp) {
      return false;
    }
    for (size_t j = 0; j < sRow.size(); j += nCpp) {
      if (keys.count(sRow.substr(j, nCpp)) == 0) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace ksv940
