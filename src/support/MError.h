#pragma once

#include <cstdint>
#include <string>

#include "platform/automation/CVariant.h"
#include "platform/core/CAutomationError.h"

namespace ksv940 {

/// The source the wireless connector gives its own failures; they reach the host without a
/// message box.
inline constexpr const char* kWifiErrorSource = "Orvex-Wifi-Utility";

/// Raises a component error. Without a description, the text is chosen by the number's offset
/// from errVTI_Error (the inline 20922 and 20923 texts for errVTI_NoReply and errVTI_InvalidReply,
/// string 900 + offset otherwise; none when the table lacks it) and translated with vParams as
/// "%%1", "%%2"... A description that is given is translated the same way.
[[noreturn]] void RaiseError(int32_t lNumber, const std::string& sSource,
                             const std::string& sDescription = {},
                             const CVariantList& vParams = {});

/// Returns for the serial control's status "Connected"; raises errVTI_AlreadyOpen for "Port
/// unavailable", errVTI_InvalidPort for "Port not found" and errVTI_Error for any other text, with
/// the component as source and no parameter.
void CheckConnectStatus(const std::string& sStatus);

/// The text the operator's message box shows for a failure with lNumber and sDescription: numbers
/// outside the component's range are described with the 21900 text (the number and the old
/// description), an empty description with the 20919 text; the result is translated. Never raises;
/// a failing text service gives the empty text.
std::string OperatorText(int32_t lNumber, const std::string& sDescription);
std::string OperatorText(const CAutomationError& errFailure);

/// The last stop of a failed public operation: shows the failure to the operator once (not for
/// errVTI_Error, errVTI_UserAbort or the wireless connector's own failures), then raises it to
/// the host as errVTI_Error, or errVTI_UserAbort unchanged, with the source CKsvVti. The box shows
/// OperatorText; numbers outside the component's range carry the 21900 text on to the host.
[[noreturn]] void ReportError(int32_t lNumber, const std::string& sSource,
                              const std::string& sDescription);
[[noreturn]] void ReportError(const CAutomationError& errFailure);

}  // namespace ksv940
