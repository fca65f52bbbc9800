#include "hostdefaults/CLanguageService.h"

#include <cstdlib>
#include <fstream>

#include "platform/core/CAutomationError.h"
#include "platform/core/MRuntime.h"

namespace ksv940 {

std::pair<int32_t, std::string> SplitTextNumber(const std::string& sText) {
  size_t nColons = sText.find("::");
  if (nColons == std::string::npos || nColons == 0 || nColons > 9) {
    return {-1, sText};
  }
  int32_t lNumber = 0;
  for (size_t i = 0; i < nColons; ++i) {
    if (sText[i] < '0' || sText[i] > '9') {
      return {-1, sText};
    }
    lNumber = lNumber * 10 + (sText[i] - '0');
  }
  return {lNumber, sText.substr(nColons + 2)};
}

std::string FillParameters(const std::string& sText, const CVariantList& vParams) {
  std::string sOut;
  sOut.reserve(sText.size());
  size_t i = 0;
  while (i < sText.size()) {
    if (sText.compare(i, 2, "%%") == 0 && i + 2 < sText.size() && sText[i + 2] >= '1' &&
        sText[i + 2] <= '9') {
      size_t j = i + 2;
      size_t nIndex = 0;
      while (j < sText.size() && sText[j] >= '0' && sText[j] <= '9' && nIndex < 1000) {
        nIndex = nIndex * 10 + static_cast<size_t>(sText[j] - '0');
        ++j;
      }
      if (nIndex >= 1 && nIndex <= vParams.size()) {
        sOut += vParams[nIndex - 1].ToText();
        i = j;
        continue;
      }
    }
    sOut.push_back(sText[i]);
    ++i;
  }
  return sOut;
}

CLanguageService::CLanguageService() {
  if (const char* szPath = std::getenv("KSV940_LANGUAGE"); szPath != nullptr && *szPath != '\0') {
    LoadCatalogue(szPath);
  }
}

std::string CLanguageService::GetText(const std::string& /*sModule*/, const std::string& sText,
                                      const CVariantList& vParams) {
  auto [lNumber, sWording] = SplitTextNumber(sText);
  if (lNumber >= 0) {
    if (auto it = mCatalogue.find(lNumber); it != mCatalogue.end()) {
      sWording = it->second;
    }
  }
  return FillParameters(sWording, vParams);
}

void CLanguageService::TranslateControls(const std::string& sModule, const CControlList& controls) {
  for (IControl* pControl : controls) {
    if (pControl != nullptr && SplitTextNumber(pControl->Caption()).first >= 0) {
      pControl->SetCaption(GetText(sModule, pControl->Caption(), {}));
    }
  }
}

void CLanguageService::SetTranslation(int32_t lTextNumber, const std::string& sWording) {
  mCatalogue[lTextNumber] = sWording;
}

void CLanguageService::LoadCatalogue(const std::string& sPath) {
  std::ifstream in(sPath);
  if (!in) {
    throw CAutomationError(erInvalidCall, kComponentName,
                           "Cannot read the text catalogue " + sPath);
  }
  std::string sLine;
  int nLine = 0;
  while (std::getline(in, sLine)) {
    ++nLine;
    if (!sLine.empty() && sLine.back() == '\r') {
      sLine.pop_back();
    }
    if (sLine.empty() || sLine[0] == '#') {
      continue;
    }
    size_t nEquals = sLine.find('=');
    bool fNumbered = nEquals != std::string::npos && nEquals > 0;
    for (size_t i = 0; fNumbered && i < nEquals; ++i) {
      fNumbered = sLine[i] >= '0' && sLine[i] <= '9';
    }
    if (!fNumbered || nEquals > 9) {
      throw CAutomationError(erInvalidCall, kComponentName,
                             sPath + ":" + std::to_string(nLine) + ": expected NNNNN=wording");
    }
    std::string sWording;
    for (size_t i = nEquals + 1; i < sLine.size(); ++i) {
      if (sLine[i] == '\\' && i + 1 < sLine.size()) {
        char c = sLine[++i];
        sWording.push_back(c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c);
      } else {
        sWording.push_back(sLine[i]);
      }
    }
    mCatalogue[std::stoi(sLine.substr(0, nEquals))] = sWording;
  }
}

}  // namespace ksv940
