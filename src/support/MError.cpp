#include "support/MError.h"

#include <optional>

#include "host/ILanguageService.h"
#include "model/GDeclares.h"
#include "platform/CContext.h"
#include "platform/IMessageBox.h"
#include "resources/CStringTable.h"

namespace ksv940 {

namespace {

constexpr const char* kTextNoReply =
    "20922::Instrument is not responding, Please restart the instrument.";
constexpr const char* kTextInvalidReply =
    "20923::The test could not be completed due to a communication error";
constexpr const char* kTextUnexpected =
    "20919::Unexpected error occured in the Plug-In, Please restart the test.";
constexpr const char* kTextTitle = "20920::Orvex KSV940 Plug-In Response";
constexpr const char* kTextUnknownNumber =
    "21900::Unknown error number %%1 occured.\r\nDescription: %%2";

// The plug-in's numbers span 30 values from errVTI_Error; everything else is someone else's.
constexpr int64_t kPluginRange = 29;

std::string DescriptionForNumber(int32_t lNumber) {
  int64_t lOffset = static_cast<int64_t>(lNumber) - errVTI_Error;
  if (lOffset < INT32_MIN || lOffset > INT32_MAX) {
    return {};  // the offset overflows: no text
  }
  if (lNumber == errVTI_NoReply) {
    return kTextNoReply;
  }
  if (lNumber == errVTI_InvalidReply) {
    return kTextInvalidReply;
  }
  if (lOffset < 0 || lOffset > 1000) {
    return {};
  }
  return CStringTable::Load(CStringTable::kErrorTextBase + static_cast<int32_t>(lOffset))
      .value_or(std::string());
}

}  // namespace

void RaiseError(int32_t lNumber, const std::string& sSource, const std::string& sDescription,
                const CVariantList& vParams) {
  std::string sText = sDescription;
  try {
    if (sText.empty()) {
      sText = DescriptionForNumber(lNumber);
    }
    sText = CContext::Get<ILanguageService>().GetText(kTextModule, sText, vParams);
  } catch (...) {
    // A text that cannot be looked up or translated leaves the description as it was.
  }
  throw CAutomationError(lNumber, sSource, sText);
}

void CheckConnectStatus(const std::string& sStatus) {
  if (sStatus == "Connected") {
    return;
  }
  if (sStatus == "Port unavailable") {
    RaiseError(errVTI_AlreadyOpen, kComponentName);
  }
  if (sStatus == "Port not found") {
    RaiseError(errVTI_InvalidPort, kComponentName);
  }
  RaiseError(errVTI_Error, kComponentName);
}

void ReportError(int32_t lNumber, const std::string& sSource, const std::string& sDescription) {
  std::string sDescriptionOut = sDescription;
  if (sSource != kWifiErrorSource) {
    try {
      auto& language = CContext::Get<ILanguageService>();
      if (lNumber < errVTI_Error || static_cast<int64_t>(lNumber) > errVTI_Error + kPluginRange) {
        sDescriptionOut =
            language.GetText(kTextModule, kTextUnknownNumber,
                             {CVariant(static_cast<int64_t>(lNumber)), CVariant(sDescriptionOut)});
      }
      if (lNumber != errVTI_Error && lNumber != errVTI_UserAbort) {
        // Each text is translated on its own, so a failing translation leaves what came before.
        std::string sTitle;
        std::string sText;
        try {
          sTitle = language.GetText(kTextModule, kTextTitle, {});
          sText = language.GetText(kTextModule,
                                   sDescriptionOut.empty() ? kTextUnexpected : sDescriptionOut, {});
        } catch (...) {
        }
        CContext::Get<IMessageBox>().Show(sText, sTitle, true);
      }
    } catch (...) {
      // Showing the failure must not hide it: the host gets it below whatever happened here.
    }
  }
  int32_t lOut = lNumber == errVTI_UserAbort ? errVTI_UserAbort : errVTI_Error;
  throw CAutomationError(lOut, "CKsvVti", sDescriptionOut);
}

void ReportError(const CAutomationError& errFailure) {
  ReportError(errFailure.Number(), errFailure.Source(), errFailure.Description());
}

}  // namespace ksv940
