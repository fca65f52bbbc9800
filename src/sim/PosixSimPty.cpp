#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/core/CContext.h"
#include "platform/core/PosixPumpPlatform.h"
#include "sim/CSimInstrument.h"
#include "sim/CSimPty.h"

namespace ksv940 {

namespace {

[[noreturn]] void Fail(const char* pszWhat) {
  throw std::system_error(errno, std::generic_category(), pszWhat);
}

}  // namespace

CSimPty::CSimPty(CSimInstrument& instrument)
    : mInstrument(instrument), mpPump(CContext::Share<CMessagePump>()) {
  miMaster = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (miMaster < 0) {
    Fail("cannot open a pseudo-terminal");
  }
  if (grantpt(miMaster) != 0 || unlockpt(miMaster) != 0) {
    int iError = errno;
    close(miMaster);
    errno = iError;
    Fail("cannot unlock the pseudo-terminal");
  }
  char szName[128];
  if (ptsname_r(miMaster, szName, sizeof szName) != 0) {
    int iError = errno;
    close(miMaster);
    errno = iError;
    Fail("cannot name the pseudo-terminal");
  }
  msDevicePath = szName;
  // Holding the device open keeps the terminal alive between clients (without it the master
  // reports a hang-up as soon as no client has it open) and lets us make it raw once for all.
  miSlave = open(szName, O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios settings{};
  if (miSlave < 0 || tcgetattr(miSlave, &settings) != 0) {
    int iError = errno;
    if (miSlave >= 0) {
      close(miSlave);
    }
    close(miMaster);
    errno = iError;
    Fail("cannot set up the pseudo-terminal");
  }
  cfmakeraw(&settings);
  cfsetispeed(&settings, B115200);
  cfsetospeed(&settings, B115200);
  tcsetattr(miSlave, TCSANOW, &settings);

  mInstrument.SetOutput([this](std::string_view sBytes) {
    // A full terminal buffer means nobody reads: the characters are lost, as on a serial line.
    while (!sBytes.empty()) {
      ssize_t nWritten = write(miMaster, sBytes.data(), sBytes.size());
      if (nWritten <= 0) {
        return;
      }
      sBytes.remove_prefix(static_cast<size_t>(nWritten));
    }
  });
  mWatch = CPosixPumpPlatform::Of(*mpPump).WatchReadable(miMaster, [this] { OnReadable(); });
}

CSimPty::~CSimPty() {
  CPosixPumpPlatform::Of(*mpPump).Unwatch(mWatch);
  mInstrument.SetOutput(nullptr);
  close(miSlave);
  close(miMaster);
}

void CSimPty::OnReadable() {
  char buffer[512];
  ssize_t nRead = read(miMaster, buffer, sizeof buffer);
  if (nRead > 0) {
    mInstrument.Receive(std::string_view(buffer, static_cast<size_t>(nRead)));
  }
}

}  // namespace ksv940
