#include "testing/CPseudoTerminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace ksv940::test {

CPseudoTerminal::CPseudoTerminal() {
  miMaster = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (miMaster < 0 || grantpt(miMaster) != 0 || unlockpt(miMaster) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  char szName[128];
  if (ptsname_r(miMaster, szName, sizeof szName) != 0) {
    throw std::runtime_error("no pseudo-terminal name");
  }
  msPath = szName;
  miAnchor = open(szName, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

CPseudoTerminal::~CPseudoTerminal() {
  CloseFarEnd();
  if (miAnchor >= 0) {
    close(miAnchor);
  }
}

void CPseudoTerminal::Write(const std::string& sBytes) {
  size_t nDone = 0;
  while (nDone < sBytes.size()) {
    ssize_t n = write(miMaster, sBytes.data() + nDone, sBytes.size() - nDone);
    if (n > 0) {
      nDone += static_cast<size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      throw std::runtime_error("pseudo-terminal write failed");
    }
  }
}

std::string CPseudoTerminal::ReadAvailable() {
  std::string sRead;
  char buffer[4096];
  for (;;) {
    ssize_t n = read(miMaster, buffer, sizeof buffer);
    if (n <= 0) {
      return sRead;
    }
    sRead.append(buffer, static_cast<size_t>(n));
  }
}

void CPseudoTerminal::CloseFarEnd() {
  if (miMaster >= 0) {
    close(miMaster);
    miMaster = -1;
  }
}

}  // namespace ksv940::test
