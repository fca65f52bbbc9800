#pragma once

#include <string>

// The sequences several tests expect on the line, each written once: the lines as they reach the
// analyzer, CR LF included, ESC written "\e" (as CRig::TakeSent writes them).

namespace ksv940::test {

/// The serial connection's handshake to an analyzer in local operation.
inline std::string Handshake(int iPolaritySwitchingDelay = 2) {
  return "\\e\r\nstat\r\nremote\r\nPCA_TYPE?\r\nrptime=" + std::to_string(iPolaritySwitchingDelay) +
         "\r\nident\r\nsn\r\n";
}
/// Earth leakage in normal condition on every applied part, from its standard up to the reading.
inline const std::string kEarthLeakageSetUp =
    "std=none\r\nearthl\r\nstat2\r\npol=off\r\npol=n\r\nneut=c\r\nmode=acdc\r\nap=all\r\n";
/// A single reading, ended by ESC.
inline const std::string kReading = "mdual=off\r\nmread\r\n\\e\r\n";
/// The end of remote operation after a test.
inline const std::string kEndRemote = "\\e\r\nstat1\r\nexit\r\nstat3\r\nlocal\r\n";

/// sLines as CRig::TakeTranscript writes them: without CR LF, blank-separated.
inline std::string Transcript(std::string sLines) {
  for (size_t n; (n = sLines.find("\r\n")) != std::string::npos;) {
    sLines.replace(n, 2, n + 2 == sLines.size() ? "" : " ");
  }
  return sLines;
}

}  // namespace ksv940::test
