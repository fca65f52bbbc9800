#pragma once

#include <map>
#include <string>

#include "hostapi/ILanguageService.h"

namespace ksv940 {

/// Our text service: it strips the text number, takes the catalogue's wording for that number
/// when a catalogue has one, and fills "%%1".."%%n" with the parameters in order. Markers
/// without a parameter stay as they are.
class CLanguageService : public ILanguageService {
 public:
  /// Loads the catalogue named by $KSV940_LANGUAGE when it is set.
  CLanguageService();

  std::string GetText(const std::string& sModule, const std::string& sText,
                      const CVariantList& vParams) override;
  void TranslateControls(const std::string& sModule, const CControlList& controls) override;

  /// Reads a catalogue: one "NNNNN=wording" per line; "\n", "\r", "\t" and "\\" are escapes; blank
  /// lines and lines starting with "#" are skipped. Raises a run-time error for an unreadable file
  /// or a malformed line, naming the line.
  void LoadCatalogue(const std::string& sPath);
  void SetTranslation(int32_t lTextNumber, const std::string& sWording);

 private:
  std::map<int32_t, std::string> mCatalogue;
};

/// Splits "NNNNN::wording" into its number and wording; a text without a leading number and "::"
/// answers -1 and the whole text.
std::pair<int32_t, std::string> SplitTextNumber(const std::string& sText);

/// Fills "%%1".."%%n" in sText from vParams in one pass; filled values are not scanned again.
std::string FillParameters(const std::string& sText, const CVariantList& vParams);

}  // namespace ksv940
