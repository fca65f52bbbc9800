#include "platform/trace/CFileTraceSink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/core/CAutomationError.h"

namespace ksv940 {

namespace {

constexpr int32_t kDeviceIoError = 57;

[[noreturn]] void RaiseIoError(const std::string& sPath, int iErrno) {
  throw CAutomationError(kDeviceIoError, kComponentName,
                         "Device I/O error: trace file " + sPath + ": " + std::strerror(iErrno));
}

}  // namespace

CFileTraceSink::CFileTraceSink(const std::string& sPath)
    : msPath(sPath), miFd(STDERR_FILENO), mfOwnsFd(false) {
  if (sPath != "stderr") {
    miFd = open(sPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (miFd < 0) {
      RaiseIoError(sPath, errno);
    }
    mfOwnsFd = true;
  }
}

CFileTraceSink::~CFileTraceSink() {
  if (mfOwnsFd) {
    close(miFd);
  }
}

void CFileTraceSink::Send(const std::string& sLine) {
  std::string sOut = sLine + "\n";
  size_t nDone = 0;
  while (nDone < sOut.size()) {
    ssize_t nWritten = write(miFd, sOut.data() + nDone, sOut.size() - nDone);
    if (nWritten < 0) {
      if (errno == EINTR) {
        continue;
      }
      RaiseIoError(msPath, errno);
    }
    nDone += static_cast<size_t>(nWritten);
  }
}

}  // namespace ksv940
