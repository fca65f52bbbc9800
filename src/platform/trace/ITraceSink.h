#pragma once

#include <memory>
#include <string>

namespace ksv940 {

/// Where the thread's trace lines go: the Linux stand-in for the trace viewer window. The thread's
/// default is chosen once, on its first trace, from $KSV940_TRACE: a file path (lines appended),
/// "stderr", or nothing (no sink: IsOpen answers false and tracing costs nothing more).
class ITraceSink {
 public:
  virtual ~ITraceSink() = default;

  /// Whether lines sent here go anywhere.
  virtual bool IsOpen() const = 0;
  /// Writes one line as it is (the sink ends it with a line feed). Raises a Device I/O error (57)
  /// naming the reason when the line cannot be written.
  virtual void Send(const std::string& sLine) = 0;

  /// The sink $KSV940_TRACE names. A file that cannot be opened is said once on standard error
  /// and leaves the thread without a sink.
  static std::shared_ptr<ITraceSink> CreateDefault();
};

}  // namespace ksv940
