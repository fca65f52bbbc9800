#include "model/CKsvTestResult.h"

#include <algorithm>
#include <cctype>

#include "host/ILanguageService.h"
#include "platform/core/CContext.h"
#include "platform/core/MRuntime.h"

namespace ksv940 {

namespace {

bool ContainsNoCase(const std::string& sText, const std::string& sFind) {
  auto it = std::search(
      sText.begin(), sText.end(), sFind.begin(), sFind.end(),
      [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); });
  return it != sText.end();
}

std::string Translated(const char* sText) {
  return CContext::Get<ILanguageService>().GetText(kTextModule, sText, {});
}

}  // namespace

void CKsvTestResult::SetReading(const std::string& sReply, int32_t emt,
                                const std::string& sCommand) {
  msReading = sReply;
  meState = etsNotPerformed;
  msUnitSuffix.clear();
  try {
    if (sReply.empty()) {
      return;
    }
    if (sReply == "!21") {
      meState = etsOverflow;
      return;
    }
    bool fMilliamperes = ContainsNoCase(sReply, "mA");
    if (sReply == "!32") {
      msValueUnknown = "OL";
    } else {
      mfValue = CheckedSingle(LeadingNumber(sReply));
    }
    if (fMilliamperes) {
      // Leakage tests report microamperes; a reply in milliamperes is scaled.
      mfValue = CheckedSingle(static_cast<double>(mfValue) * 1000.0);
    }
    switch (emt) {
      case emt_ACDC:
        if (!ContainsNoCase(sReply, "V")) {
          msUnitSuffix = Translated("21102::AC+DC");
        }
        break;
      case emt_AC:
        msUnitSuffix = Translated("21100::AC");
        break;
      case emt_DC:
        msUnitSuffix = Translated("21101::DC");
        break;
      default:
        break;
    }
    meState = etsCompleted;
    if (sReply == "!32" && (sCommand == "mread" || sCommand == "zero")) {
      meState = etsOverflow;
    }
  } catch (...) {
    meState = etsNotPerformed;
  }
}

}  // namespace ksv940
