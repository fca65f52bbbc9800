#include "support/MError.h"

#include <cstdint>

#include "declares/GDeclares.h"
#include "hostapi/ILanguageService.h"
#include "platform/core/CContext.h"
#include "platform/forms/IMessageBox.h"
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
  // The offset and the string id are computed in 32 bits; when either overflows there is no text.
  int64_t lOffset = static_cast<int64_t>(lNumber) - errVTI_Error;
  int64_t lId = CStringTable::kErrorTextBase + lOffset;
  if (lOffset < INT32_MIN || lOffset > INT32_MAX || lId < INT32_MIN || lId > INT32_MAX) {
    return {};
  }
  if (lNumber == errVTI_NoReply) {
    return kTextNoReply;
  }
  if (lNumber == errVTI_InvalidReply) {
    return kTextInvalidReply;
  }
  return CStringTable::Load(static_cast<int32_t>(lId)).value_or(std::string());
}

// The translation of sText without parameters; the empty text when the text service fails.
std::string TranslateOrEmpty(const std::string& sText) {
  try {
    return CContext::Get<ILanguageService>().GetText(kTextModule, sText, {});
  } catch (...) {
    return {};
  }
}

// The description a reported failure carries on: numbers outside the component's range are
// described with the 21900 text, which names the number and keeps the old description. A failing
// translation keeps the description as it was.
std::string ReportedDescription(int32_t lNumber, const std::string& sDescription) {
  if (lNumber >= errVTI_Error && static_cast<int64_t>(lNumber) <= errVTI_Error + kPluginRange) {
    return sDescription;
  }
  try {
    return CContext::Get<ILanguageService>().GetText(
        kTextModule, kTextUnknownNumber,
        {CVariant(static_cast<int64_t>(lNumber)), CVariant(sDescription)});
  } catch (...) {
    return sDescription;
  }
}

// What the message box shows for a reported description.
std::string ShownText(const std::string& sReported) {
  return TranslateOrEmpty(sReported.empty() ? kTextUnexpected : sReported);
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

std::string OperatorText(int32_t lNumber, const std::string& sDescription) {
  return ShownText(ReportedDescription(lNumber, sDescription));
}

std::string OperatorText(const CAutomationError& errFailure) {
  return OperatorText(errFailure.Number(), errFailure.Description());
}

void ReportError(int32_t lNumber, const std::string& sSource, const std::string& sDescription) {
  std::string sReported = sDescription;
  if (sSource != kWifiErrorSource) {
    sReported = ReportedDescription(lNumber, sDescription);
    if (lNumber != errVTI_Error && lNumber != errVTI_UserAbort) {
      // Title and text are translated one by one: a failing translation leaves that one empty and
      // the box is still shown.
      std::string sTitle = TranslateOrEmpty(kTextTitle);
      std::string sText = ShownText(sReported);
      try {
        CContext::Get<IMessageBox>().Show(sText, sTitle, true);
      } catch (...) {
        // Showing the failure must not hide it: the host gets it below whatever happened here.
      }
    }
  }
  int32_t lOut = lNumber == errVTI_UserAbort ? errVTI_UserAbort : errVTI_Error;
  throw CAutomationError(lOut, "CKsvVti", sReported);
}

void ReportError(const CAutomationError& errFailure) {
  ReportError(errFailure.Number(), errFailure.Source(), errFailure.Description());
}

}  // namespace ksv940
