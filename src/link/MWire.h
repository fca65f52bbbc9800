#pragma once

#include <cstddef>
#include <string>

// The framing of the analyzer's line protocol, as the plug-in writes commands and reads replies.

namespace ksv940 {

/// Ends every command the plug-in sends and every line the analyzer answers.
inline constexpr const char* kCrLf = "\r\n";

/// The escape character, sent alone as a command: it ends what the analyzer is doing.
inline const std::string kEscape(1, '\x1b');

/// The analyzer's acknowledgement of a set-up or measurement command, as the link hands it over.
inline constexpr const char* kAcknowledged = "*\r\n";

/// The most characters any part of the link collects for one reply. The analyzer's longest line
/// (its identity) is a few dozen characters; a peer that sends more without the line's end is not
/// answering, and what it sent is no reply: the exchange fails as an invalid reply instead of
/// holding ever more of it.
inline constexpr size_t kLongestReply = 4096;

}  // namespace ksv940
