#include "sim/CSimTestClient.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/core/CContext.h"
#include "platform/core/PosixPumpPlatform.h"

namespace ksv940::test {

CSimTestClient::CSimTestClient(int iFd) : mpPump(CContext::Share<CMessagePump>()), miFd(iFd) {
  fcntl(miFd, F_SETFL, fcntl(miFd, F_GETFL) | O_NONBLOCK);
  mWatch = CPosixPumpPlatform::Of(*mpPump).WatchReadable(miFd, [this] {
    char buffer[512];
    ssize_t nRead = read(miFd, buffer, sizeof buffer);
    if (nRead > 0) {
      msIn.append(buffer, static_cast<size_t>(nRead));
    } else if (nRead == 0 || (errno != EAGAIN && errno != EINTR)) {
      mfClosed = true;
      CPosixPumpPlatform::Of(*mpPump).Unwatch(mWatch);
    }
  });
}

CSimTestClient::~CSimTestClient() {
  if (!mfClosed) {
    CPosixPumpPlatform::Of(*mpPump).Unwatch(mWatch);
  }
  close(miFd);
}

void CSimTestClient::Write(std::string_view sBytes) {
  while (!sBytes.empty()) {
    ssize_t nWritten = write(miFd, sBytes.data(), sBytes.size());
    if (nWritten <= 0) {
      return;
    }
    sBytes.remove_prefix(static_cast<size_t>(nWritten));
  }
}

bool CSimTestClient::RunUntil(const std::function<bool()>& fnDone, int64_t lMs) {
  int64_t lDeadlineUs = mpPump->Clock().NowUs() + lMs * 1000;
  mpPump->WakeAt(lDeadlineUs);
  while (!fnDone() && mpPump->Clock().NowUs() < lDeadlineUs) {
    mpPump->ProcessMessages();
  }
  return fnDone();
}

std::string CSimTestClient::TakeLines(int nLines, int64_t lMs) {
  auto fnLines = [this] {
    int n = 0;
    for (size_t i = msIn.find("\r\n"); i != std::string::npos; i = msIn.find("\r\n", i + 2)) {
      ++n;
    }
    return n;
  };
  RunUntil([&] { return fnLines() >= nLines; }, lMs);
  std::string sTaken;
  sTaken.swap(msIn);
  return sTaken;
}

int ConnectLoopback(uint16_t iPort) {
  int iSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(iPort);
  if (connect(iSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(iSocket);
    return -1;
  }
  return iSocket;
}

}  // namespace ksv940::test
