#pragma once

#include <cstdint>
#include <string>

namespace ksv940 {

class CInstrumentLink;
class CKsvTestOptions;

/// The test-standard command that opens every test: "std=" and the instrument's name for the
/// option TestStandard ("aami", "601", "1010", "353", "asnz"; "none" for every other value).
std::string StandardCommand(const CKsvTestOptions& options);

/// Sends the test-load command: "iec" for etlIEC, "aami" for every other value. The reply is not
/// used; transport failures pass to the caller.
void SendTestLoad(CInstrumentLink& link, int32_t etl);

/// Runs a "#wait=N" directive: N (the text after the first "=", rounded half to even) milliseconds
/// of the channel's Wait on the serial link; nothing on the wireless link. A directive without
/// "=" or with a value that is not a number raises the conversion error.
void WaitDirective(CInstrumentLink& link, const std::string& sDirective);

}  // namespace ksv940
