#include "platform/forms/SFormText.h"

#include <algorithm>
#include <sstream>

#include "platform/forms/CForm.h"

namespace ksv940 {

SFormText SFormText::Of(const CForm& frm) {
  SFormText text;
  text.sCaption = frm.Caption();
  std::vector<const CControl*> vLabels;
  for (const auto& pControl : frm.DesignedControls()) {
    if (!pControl->Visible()) {
      continue;
    }
    switch (pControl->Kind()) {
      case eckLabel:
        if (!pControl->Caption().empty()) {
          vLabels.push_back(pControl.get());
        }
        break;
      case eckPicture:
        if (const CPicture* pPicture = pControl->Picture(); pPicture != nullptr) {
          text.vPictures.push_back(pPicture->Symbol());
        }
        break;
      case eckButton:
        text.vButtons.push_back(pControl.get());
        break;
      case eckPanel:
      case eckTimer:
        break;
    }
  }
  auto byPlace = [](const CControl* pA, const CControl* pB) {
    const SControlDesign& a = pA->Design();
    const SControlDesign& b = pB->Design();
    return a.lTop != b.lTop ? a.lTop < b.lTop : a.lLeft < b.lLeft;
  };
  std::stable_sort(vLabels.begin(), vLabels.end(), byPlace);
  std::stable_sort(text.vButtons.begin(), text.vButtons.end(), byPlace);
  for (const CControl* pLabel : vLabels) {
    (IsStatusLine(*pLabel) ? text.vStatus : text.vTexts).push_back(pLabel->Caption());
  }
  return text;
}

bool SFormText::IsStatusLine(const CControl& control) {
  return control.Kind() == eckLabel && *control.Design().sContainer != '\0';
}

std::string SFormText::ButtonCaption(const CForm& frm, EOperatorAnswer eoa) {
  for (const auto& pControl : frm.DesignedControls()) {
    if (pControl->Kind() == eckButton && pControl->Answer() == eoa) {
      return PlainCaption(pControl->Caption());
    }
  }
  return {};
}

std::string SFormText::PlainCaption(const std::string& sCaption) {
  std::string sOut;
  for (size_t i = 0; i < sCaption.size(); ++i) {
    if (sCaption[i] == '&') {
      if (i + 1 < sCaption.size() && sCaption[i + 1] == '&') {
        sOut.push_back('&');
        ++i;
      }
      continue;
    }
    sOut.push_back(sCaption[i]);
  }
  return sOut;
}

std::vector<std::string> SFormText::Wrap(const std::string& sText, size_t nWidth) {
  std::vector<std::string> vLines;
  std::string sParagraph;
  std::istringstream in(sText);
  while (std::getline(in, sParagraph)) {
    if (!sParagraph.empty() && sParagraph.back() == '\r') {
      sParagraph.pop_back();
    }
    std::istringstream words(sParagraph);
    std::string sWord;
    std::string sLine;
    while (words >> sWord) {
      if (!sLine.empty() && sLine.size() + 1 + sWord.size() > nWidth) {
        vLines.push_back(sLine);
        sLine.clear();
      }
      sLine += (sLine.empty() ? "" : " ") + sWord;
    }
    vLines.push_back(sLine);
  }
  return vLines;
}

}  // namespace ksv940
