// Figures of the channel on a pseudo-terminal: CPU while waiting, the latency the channel adds to
// an exchange, and how late a Wait ends. A plain program; it prints its figures and the goals.
//
//   build/ChannelBench            all of them (about 25 s)

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "hostdefaults/MHostDefaults.h"
#include "link/CChannel.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/IClock.h"

using namespace ksv940;
using namespace ksv940::bench;

namespace {

// Answers every line that arrives at the far end with sReply, at once, on its own thread.
class CResponder {
 public:
  CResponder(int iFd, std::string sReply) : miFd(iFd), msReply(std::move(sReply)) {
    mThread = std::thread([this] { Run(); });
  }
  ~CResponder() {
    mfStop = true;
    mThread.join();
  }

 private:
  void Run() {
    std::string sLine;
    char buffer[256];
    while (!mfStop) {
      pollfd fd{miFd, POLLIN, 0};
      if (poll(&fd, 1, 50) <= 0) {
        continue;
      }
      ssize_t n = read(miFd, buffer, sizeof buffer);
      for (ssize_t i = 0; i < n; ++i) {
        sLine.push_back(buffer[i]);
        if (sLine.size() >= 2 && sLine.compare(sLine.size() - 2, 2, "\r\n") == 0) {
          ssize_t nWritten = write(miFd, msReply.data(), msReply.size());
          (void)nWritten;
          sLine.clear();
        }
      }
    }
  }
  int miFd;
  std::string msReply;
  std::atomic<bool> mfStop = false;
  std::thread mThread;
};

double Percentile(std::vector<double> v, double dP) {
  std::sort(v.begin(), v.end());
  size_t nIndex = std::min(v.size() - 1, static_cast<size_t>(dP * (v.size() - 1) + 0.5));
  return v[nIndex];
}

void CpuDuringWait() {
  CPtyPort port;
  CChannel channel;
  channel.OpenPort(1);
  double dCpu = ProcessCpuMs();
  double dStart = NowMs();
  channel.Wait(3000);
  double dWall = NowMs() - dStart;
  dCpu = ProcessCpuMs() - dCpu;
  std::printf(
      "Wait(3000) on a pseudo-terminal: %.1f ms wall, %.2f ms CPU = %.3f %% of a core"
      "  (goal: under 0.5 %%)\n",
      dWall, dCpu, 100.0 * dCpu / dWall);
}

void CpuDuringSilentStat1() {
  CPtyPort port;
  double dCpuOpen = ProcessCpuMs();
  CChannel channel;
  channel.OpenPort(1);
  double dCpu = ProcessCpuMs();
  double dStart = NowMs();
  std::string sOutcome = "a reply";
  try {
    channel.TransmitCmd("stat1", "\r\n", false, 3);
  } catch (const CAutomationError& err) {
    sOutcome = err.Description();
  }
  double dWall = NowMs() - dStart;
  double dEnd = ProcessCpuMs();
  std::printf(
      "TransmitCmd(\"stat1\") x3, silent far end: %.1f ms wall, %.2f ms CPU = %.3f %% of "
      "a core (goal: under 0.5 %%); with OpenPort %.2f ms CPU (goal: under 40 ms) -> %s\n",
      dWall, dEnd - dCpu, 100.0 * (dEnd - dCpu) / dWall, dEnd - dCpuOpen, sOutcome.c_str());
}

void CpuOfTheSendCommand() {
  SPty pty;
  SCommandRun run = RunKsv940({"send", "--port", pty.sPath, "stat1"});
  if (!run.fRan) {
    std::printf("ksv940 send: the command is not built beside this benchmark, skipped\n");
    return;
  }
  std::printf(
      "ksv940 send stat1 (3 attempts), silent far end, the whole process: %.1f ms wall, "
      "%.2f ms CPU (goal: under 40 ms), exit %d\n",
      run.dWallMs, run.dCpuMs, run.iExit);
}

void AddedLatency() {
  constexpr int kRounds = 2000;
  const std::string sCommand = "stat\r\n";
  const std::string sReply = "0004\r\n";
  // Raw: the same bytes written and read on a raw terminal end of a second pair, nothing else.
  // The two kinds of round alternate, so that both see the same machine.
  SPty ptyRaw;
  CResponder responderRaw(ptyRaw.iMaster, sReply);
  int iFd = open(ptyRaw.sPath.c_str(), O_RDWR | O_NOCTTY);
  termios tio{};
  tcgetattr(iFd, &tio);
  cfmakeraw(&tio);
  tcsetattr(iFd, TCSANOW, &tio);

  CPtyPort port;
  CResponder responder(port.pty.iMaster, sReply);
  CChannel channel;
  channel.OpenPort(1);

  std::vector<double> vRaw;
  std::vector<double> vChannel;
  for (int i = 0; i < kRounds; ++i) {
    double dStart = NowMs();
    ssize_t nWritten = write(iFd, sCommand.data(), sCommand.size());
    (void)nWritten;
    std::string sIn;
    char buffer[64];
    while (sIn.size() < sReply.size()) {
      pollfd fd{iFd, POLLIN, 0};
      poll(&fd, 1, 1000);
      ssize_t nRead = read(iFd, buffer, sizeof buffer);
      if (nRead > 0) {
        sIn.append(buffer, static_cast<size_t>(nRead));
      }
    }
    vRaw.push_back(NowMs() - dStart);

    dStart = NowMs();
    std::string sGot = channel.TransmitCmd("stat", "\r\n", false, 3);
    vChannel.push_back(NowMs() - dStart);
    if (sGot != "0004") {
      std::printf("unexpected reply \"%s\"\n", sGot.c_str());
      return;
    }
  }
  close(iFd);
  std::vector<double> vAdded;
  for (int i = 0; i < kRounds; ++i) {
    vAdded.push_back(vChannel[i] - vRaw[i]);
  }
  std::printf(
      "exchange \"stat\" -> \"0004\", %d alternating rounds: raw write+read median "
      "%.3f ms, TransmitCmd median %.3f ms; added: difference of medians %.3f ms, median "
      "of differences %.3f ms (goal: under 0.2 ms)\n",
      kRounds, Percentile(vRaw, 0.5), Percentile(vChannel, 0.5),
      Percentile(vChannel, 0.5) - Percentile(vRaw, 0.5), Percentile(vAdded, 0.5));
}

void WaitLateness() {
  constexpr int kRounds = 300;
  constexpr int32_t kWaitMs = 10;
  CPtyPort port;
  CChannel channel;
  channel.OpenPort(1);
  std::vector<double> vLate;
  for (int i = 0; i < kRounds; ++i) {
    double dStart = NowMs();
    channel.Wait(kWaitMs);
    vLate.push_back(NowMs() - dStart - kWaitMs);
  }
  std::printf(
      "Wait(%d) x %d, lateness: median %.3f ms, p99 %.3f ms, max %.3f ms, min %.3f ms "
      "(goal: p99 under 1 ms)\n",
      kWaitMs, kRounds, Percentile(vLate, 0.5), Percentile(vLate, 0.99),
      *std::max_element(vLate.begin(), vLate.end()), *std::min_element(vLate.begin(), vLate.end()));
}

}  // namespace

int main() {
  ksv940::InstallHostDefaults();
  CpuDuringWait();
  CpuDuringSilentStat1();
  CpuOfTheSendCommand();
  AddedLatency();
  WaitLateness();
  return 0;
}
