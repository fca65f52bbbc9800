#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/reports/CReportSet.h"

namespace ksv940 {

std::string ReplaceFile(const std::string& sPath, const std::string& sText) {
  // The new text goes to a name of this process's own beside the report, so that the rename
  // stays within one file system and two runs never write into each other's file.
  std::string sNew = sPath + ".new-" + std::to_string(getpid());
  int iFd = open(sNew.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (iFd < 0) {
    return std::strerror(errno);
  }
  size_t nDone = 0;
  while (nDone < sText.size()) {
    ssize_t nWritten = write(iFd, sText.data() + nDone, sText.size() - nDone);
    if (nWritten < 0 && errno == EINTR) {
      continue;
    }
    if (nWritten < 0) {
      std::string sWhy = std::strerror(errno);
      close(iFd);
      unlink(sNew.c_str());
      return sWhy;
    }
    nDone += static_cast<size_t>(nWritten);
  }
  // On the disk before it takes the report's name: a power failure leaves the old report or the
  // new one.
  bool fSynced = fsync(iFd) == 0;
  int iSyncError = errno;
  bool fClosed = close(iFd) == 0;
  if (!fSynced || !fClosed) {
    std::string sWhy = std::strerror(fSynced ? errno : iSyncError);
    unlink(sNew.c_str());
    return sWhy;
  }
  if (std::rename(sNew.c_str(), sPath.c_str()) != 0) {
    std::string sWhy = std::strerror(errno);
    unlink(sNew.c_str());
    return sWhy;
  }
  return {};
}

}  // namespace ksv940
