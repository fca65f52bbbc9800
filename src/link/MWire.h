#pragma once

// The framing of the analyzer's line protocol, as the plug-in writes commands and reads replies.

namespace ksv940 {

/// Ends every command the plug-in sends and every line the analyzer answers.
inline constexpr const char* kCrLf = "\r\n";

/// The analyzer's acknowledgement of a set-up or measurement command, as the link hands it over.
inline constexpr const char* kAcknowledged = "*\r\n";

}  // namespace ksv940
