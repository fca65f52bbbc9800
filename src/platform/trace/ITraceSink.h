#pragma once

#include <memory>
#include <string>

namespace ksv940 {

/// Where the thread's trace lines go. On Windows the thread's default is the trace viewer window,
/// found once, on the thread's first trace (Win32TraceSink.cpp). On Linux, its stand-in is chosen
/// once, on the thread's first trace, from $KSV940_TRACE: a file path (lines appended), "stderr",
/// or nothing (no sink: IsOpen answers false and tracing costs nothing more).
class ITraceSink {
 public:
  virtual ~ITraceSink() = default;

  /// Whether lines sent here go anywhere.
  virtual bool IsOpen() const = 0;
  /// Writes one line as it is (a file sink ends it with a line feed; the trace window receives it
  /// as one block). Raises a Device I/O error (57) naming the reason when the line cannot be
  /// written.
  virtual void Send(const std::string& sLine) = 0;

  /// Linux: the sink $KSV940_TRACE names; a file that cannot be opened is said once on standard
  /// error and leaves the thread without a sink. Windows: the trace viewer window, if one runs.
  static std::shared_ptr<ITraceSink> CreateDefault();
};

}  // namespace ksv940
