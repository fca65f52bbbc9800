#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/core/CContext.h"
#include "platform/core/PosixPumpPlatform.h"
#include "platform/signal/CStopSignal.h"

namespace ksv940 {

struct CStopSignal::SMask {
  sigset_t set;
};

CStopSignal::CStopSignal(std::function<void()> fnOnSignal)
    : mpPump(CContext::Share<CMessagePump>()),
      mpOldMask(std::make_unique<SMask>()),
      mfnOnSignal(std::move(fnOnSignal)) {
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  // Blocked signals stay pending for the descriptor instead of ending the process.
  pthread_sigmask(SIG_BLOCK, &stopSignals, &mpOldMask->set);
  miFd = signalfd(-1, &stopSignals, SFD_NONBLOCK | SFD_CLOEXEC);
  if (miFd < 0) {
    int iError = errno;
    pthread_sigmask(SIG_SETMASK, &mpOldMask->set, nullptr);
    throw std::system_error(iError, std::generic_category(), "cannot watch for stop signals");
  }
  mWatch = CPosixPumpPlatform::Of(*mpPump).WatchReadable(miFd, [this] {
    signalfd_siginfo info{};
    while (read(miFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
      miSignal = static_cast<int>(info.ssi_signo);
      if (mfnOnSignal) {
        mfnOnSignal();
      }
    }
  });
}

CStopSignal::~CStopSignal() {
  CPosixPumpPlatform::Of(*mpPump).Unwatch(mWatch);
  close(miFd);
  pthread_sigmask(SIG_SETMASK, &mpOldMask->set, nullptr);
}

}  // namespace ksv940
