#pragma once

#include <string>

#include "platform/trace/ITraceSink.h"

namespace ksv940 {

/// A trace sink that appends each line, with a line feed, to a file or to standard error. Each
/// line is one write, so lines of several threads or processes do not interleave.
class CFileTraceSink : public ITraceSink {
 public:
  /// Opens sPath for appending (created when missing); "stderr" is the standard error stream.
  /// Raises a Device I/O error (57) naming the file and the reason when it cannot be opened.
  explicit CFileTraceSink(const std::string& sPath);
  ~CFileTraceSink() override;
  CFileTraceSink(const CFileTraceSink&) = delete;
  CFileTraceSink& operator=(const CFileTraceSink&) = delete;

  bool IsOpen() const override { return true; }
  void Send(const std::string& sLine) override;

 private:
  std::string msPath;
  int miFd;
  bool mfOwnsFd;
};

}  // namespace ksv940
