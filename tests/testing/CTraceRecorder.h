#pragma once

#include <string>
#include <vector>

#include "platform/trace/ITraceSink.h"

namespace ksv940::test {

/// A trace sink that keeps every line, for tests to read back.
class CTraceRecorder : public ITraceSink {
 public:
  bool IsOpen() const override { return true; }
  void Send(const std::string& sLine) override { vLines.push_back(sLine); }
  std::vector<std::string> vLines;
};

}  // namespace ksv940::test
