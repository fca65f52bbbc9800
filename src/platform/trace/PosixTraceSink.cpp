#include "platform/trace/ITraceSink.h"

#include <cstdio>
#include <cstdlib>

#include "platform/trace/CFileTraceSink.h"

namespace ksv940 {

namespace {

class CNoTraceSink : public ITraceSink {
 public:
  bool IsOpen() const override { return false; }
  void Send(const std::string& /*sLine*/) override {}
};

}  // namespace

std::shared_ptr<ITraceSink> ITraceSink::CreateDefault() {
  const char* szPath = std::getenv("KSV940_TRACE");
  if (szPath == nullptr || *szPath == '\0') {
    return std::make_shared<CNoTraceSink>();
  }
  try {
    return std::make_shared<CFileTraceSink>(szPath);
  } catch (const std::exception& ex) {
    // Nobody else would ever learn why the trace stays empty.
    std::fprintf(stderr, "KSV940_TRACE: %s\n", ex.what());
    return std::make_shared<CNoTraceSink>();
  }
}

}  // namespace ksv940
