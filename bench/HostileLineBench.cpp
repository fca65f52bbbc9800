// The memory a flooding far side can make the ksv940 command hold, and how long it takes to give
// up on it: a pseudo-terminal that streams without a line end during `send stat` and during a
// discovery query, and a bridge that floods during `connect --wifi`. Prints each command's peak
// resident memory and wall time beside its goal. Set KSV940_BENCH_BINARY to measure another build.

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include "BenchSupport.h"

namespace ksv940::bench {
namespace {

// Writes block into iFd until fStop, as fast as the descriptor takes it (without blocking, so
// that it stops also when nobody reads any more).
void Flood(int iFd, const std::string& sBlock, const std::atomic<bool>& fStop) {
  fcntl(iFd, F_SETFL, fcntl(iFd, F_GETFL) | O_NONBLOCK);
  while (!fStop) {
    if (write(iFd, sBlock.data(), sBlock.size()) < 0) {
      usleep(100);
    }
  }
}

void Report(const char* szWhat, const SCommandRun& run) {
  std::printf("%-44s exit %d  %7.0f ms  peak %6.1f MB  (goal: under 16 MB, under 2 s)\n", szWhat,
              run.iExit, run.dWallMs, static_cast<double>(run.lPeakRssKb) / 1024.0);
}

SCommandRun OnFloodingTerminal(std::vector<std::string> vArgs) {
  SPty pty;
  std::atomic<bool> fStop = false;
  std::thread flood(Flood, pty.iMaster, std::string(65536, 'A'), std::cref(fStop));
  for (std::string& sArg : vArgs) {
    if (sArg == "PTY") {
      sArg = pty.sPath;
    }
  }
  SCommandRun run = RunKsv940(vArgs);
  fStop = true;
  flood.join();
  return run;
}

SCommandRun OnFloodingBridge(const std::string& sBlock) {
  int iListener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t nLength = sizeof address;
  bind(iListener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(iListener, 4);
  getsockname(iListener, reinterpret_cast<sockaddr*>(&address), &nLength);
  std::atomic<bool> fStop = false;
  std::thread bridge([&] {
    int iClient = accept(iListener, nullptr, nullptr);
    if (iClient >= 0) {
      Flood(iClient, sBlock, fStop);
      close(iClient);
    }
  });
  SCommandRun run =
      RunKsv940({"connect", "--wifi", "127.0.0.1:" + std::to_string(ntohs(address.sin_port)),
                 "--operator", "auto"});
  fStop = true;
  shutdown(iListener, SHUT_RDWR);
  bridge.join();
  close(iListener);
  return run;
}

}  // namespace
}  // namespace ksv940::bench

int main() {
  using namespace ksv940::bench;
  // The flooding bridge keeps writing after the command has closed its end of the connection.
  std::signal(SIGPIPE, SIG_IGN);
  Report("send stat, terminal without a line end",
         OnFloodingTerminal({"send", "--port", "PTY", "stat"}));
  Report("query, terminal without a line end", OnFloodingTerminal({"query", "--port", "PTY"}));
  Report("connect --wifi, bridge without a line end", OnFloodingBridge(std::string(65536, 'A')));
  std::string sLines;
  while (sLines.size() < 65536) {
    sLines += "0.25mA\r\n";
  }
  Report("connect --wifi, bridge streaming lines", OnFloodingBridge(sLines));
  return 0;
}
