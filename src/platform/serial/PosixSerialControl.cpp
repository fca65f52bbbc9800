#include "platform/serial/PosixSerialControl.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/core/CContext.h"
#include "platform/core/MRuntime.h"
#include "platform/core/PosixPumpPlatform.h"
#include "platform/serial/CPortMap.h"
#include "platform/serial/MSerialControl.h"

namespace ksv940 {

namespace {

// While the far side takes nothing, the wake-ups to look at the output again back off up to this.
constexpr int64_t kLongestStallUs = 100'000;
constexpr int64_t kFirstStallUs = 1'000;

class CPosixSerialControlFactory : public ISerialControlFactory {
 public:
  std::unique_ptr<ISerialControl> CreateControl() override {
    return std::make_unique<CPosixSerialControl>();
  }
};

bool BaudConstant(int32_t lBaud, speed_t& speed) {
  static const std::pair<int32_t, speed_t> kRates[] = {
      {50, B50},           {75, B75},           {110, B110},         {134, B134},
      {150, B150},         {200, B200},         {300, B300},         {600, B600},
      {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
      {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
      {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
      {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
      {1500000, B1500000}, {2000000, B2000000},
  };
  for (const auto& [lRate, rateConstant] : kRates) {
    if (lRate == lBaud) {
      speed = rateConstant;
      return true;
    }
  }
  return false;
}

std::string OpenFailure(const std::string& sReason) {
  return "Port open failed: " + sReason;
}

}  // namespace

std::shared_ptr<ISerialControlFactory> ISerialControlFactory::CreateDefault() {
  return std::make_shared<CPosixSerialControlFactory>();
}

CPosixSerialControl::CPosixSerialControl() : mpPump(CContext::Share<CMessagePump>()) {}

CPosixSerialControl::~CPosixSerialControl() {
  Close();
}

void CPosixSerialControl::SetSettings(const std::string& sSettings) {
  mSettings = CLineSettings::Parse(sSettings);
}

void CPosixSerialControl::SetPortOpen(bool fOpen) {
  if (fOpen) {
    Open();
  } else {
    Close();
  }
}

void CPosixSerialControl::Open() {
  if (miFd >= 0) {
    return;
  }
  std::string sDevice = CContext::Get<CPortMap>().DevicePath(mlPort);
  if (sDevice.empty()) {
    msStatus = "Port not found";
    return;
  }
  int iFd = open(sDevice.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (iFd < 0) {
    int iError = errno;
    switch (iError) {
      case ENOENT:
      case ENODEV:
      case ENXIO:
      case ENOTDIR:
      case EIO:  // a serial port the system lists but whose hardware is not there
        msStatus = "Port not found";
        break;
      case EBUSY:  // another user holds it exclusively
        msStatus = "Port unavailable";
        break;
      default:
        msStatus = OpenFailure(sDevice + ": " + std::strerror(iError));
    }
    return;
  }
  // The lock keeps out every other user of this program, in any process, also where the
  // exclusive mode below does not (it does not stop a privileged opener).
  if (flock(iFd, LOCK_EX | LOCK_NB) != 0) {
    int iError = errno;
    close(iFd);
    msStatus = iError == EWOULDBLOCK ? "Port unavailable"
                                     : OpenFailure(sDevice + ": " + std::strerror(iError));
    return;
  }
  miFd = iFd;
  msDevice = sDevice;
  ioctl(miFd, TIOCEXCL);  // refused on some devices; the lock above still holds
  std::string sReason;
  if (!Configure(sReason)) {
    Close();
    msStatus = OpenFailure(sDevice + ": " + sReason);
    return;
  }
  mfLineLost = false;
  UpdateWatch();
  msStatus = "Connected";
}

bool CPosixSerialControl::Configure(std::string& sReason) {
  termios tio{};
  if (tcgetattr(miFd, &tio) != 0) {
    sReason = errno == ENOTTY ? "not a serial port" : std::strerror(errno);
    return false;
  }
  speed_t speed{};
  if (!BaudConstant(mSettings.Baud(), speed)) {
    sReason = std::to_string(mSettings.Baud()) + " baud is not supported";
    return false;
  }
  cfmakeraw(&tio);
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  tio.c_cflag |= kSizes[mSettings.DataBits() - 5] | CLOCAL | CREAD;
  switch (mSettings.Parity()) {
    case 'E':
      tio.c_cflag |= PARENB;
      break;
    case 'O':
      tio.c_cflag |= PARENB | PARODD;
      break;
    case 'M':
      tio.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case 'S':
      tio.c_cflag |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
  if (mSettings.HalfStopBits() > 2) {
    tio.c_cflag |= CSTOPB;
  }
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  // With at least one character asked for, a read with nothing waiting fails with EAGAIN instead
  // of returning 0, and 0 keeps its meaning: the line has hung up.
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  if (tcsetattr(miFd, TCSANOW, &tio) != 0) {
    sReason = std::strerror(errno);
    return false;
  }
  // Whatever arrived before this user owned the port is not for it.
  tcflush(miFd, TCIFLUSH);
  return true;
}

void CPosixSerialControl::Close() {
  if (mWatch != 0) {
    CPosixPumpPlatform::Of(*mpPump).Unwatch(mWatch);
    mWatch = 0;
  }
  if (mWakeUp != 0) {
    mpPump->RemoveTimer(mWakeUp);
    mWakeUp = 0;
  }
  if (miFd >= 0) {
    // A pseudo-terminal keeps exclusive mode after the last close while its other side lives.
    ioctl(miFd, TIOCNXCL);
    close(miFd);  // also releases the lock
    miFd = -1;
  }
  msDevice.clear();
  mReceived.Clear();
  msPending.clear();
  mlLastPending = 0;
  mlStallUs = 0;
}

void CPosixSerialControl::LineLost() {
  // The device is gone (a pseudo-terminal whose other side closed, a USB adapter pulled out). Its
  // descriptor would report that at every turn of the pump, so it is no longer watched. Nothing
  // can come back on it: every member that reads, writes or discards fails from now on (as the
  // system's calls on such a device do), so a waiting exchange ends at once instead of running
  // into its time-outs.
  mfLineLost = true;
  if (mWatch != 0) {
    CPosixPumpPlatform::Of(*mpPump).Unwatch(mWatch);
    mWatch = 0;
  }
  msPending.clear();
}

void CPosixSerialControl::ReadWaiting() {
  if (miFd < 0 || mfLineLost) {
    return;
  }
  // Only as much as the buffer has room for: the rest stays in the device, nothing is dropped, and
  // a far side that never stops sending can neither grow the buffer nor hold the thread here.
  char buffer[CReceiveBuffer::kLimit];
  while (mReceived.Room() > 0) {
    ssize_t nRead = read(miFd, buffer, mReceived.Room());
    if (nRead > 0) {
      mReceived.Append(buffer, static_cast<size_t>(nRead));
      continue;
    }
    if (nRead < 0 && errno == EINTR) {
      continue;
    }
    if (nRead == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
      LineLost();  // end of file or an I/O error: the line is gone
      return;
    }
    break;
  }
  UpdateWatch();
}

void CPosixSerialControl::UpdateWatch() {
  // The descriptor is watched while the buffer has room: a full buffer would otherwise make the
  // pump report it readable at every turn.
  bool fWanted = miFd >= 0 && !mfLineLost && mReceived.Room() > 0;
  if (fWanted && mWatch == 0) {
    mWatch = CPosixPumpPlatform::Of(*mpPump).WatchReadable(miFd, [this] { ReadWaiting(); });
  } else if (!fWanted && mWatch != 0) {
    CPosixPumpPlatform::Of(*mpPump).Unwatch(mWatch);
    mWatch = 0;
  }
}

int32_t CPosixSerialControl::InBufferCount() {
  // The pump's watch keeps the buffer filled; the device is asked directly only when the buffer is
  // empty, so that reading a reply a character at a time costs no system call per character.
  if (mReceived.Size() == 0) {
    ReadWaiting();
    CheckDevice();
  }
  return mReceived.Count();
}

void CPosixSerialControl::SetInBufferCount(int32_t lCount) {
  if (lCount != 0) {
    RaiseRuntimeError(erInvalidCall);
  }
  CheckDevice();
  mReceived.Clear();
  if (miFd >= 0) {
    tcflush(miFd, TCIFLUSH);
  }
  UpdateWatch();
}

void CPosixSerialControl::SetInputLen(int32_t lLength) {
  mReceived.SetInputLen(lLength);
}

std::string CPosixSerialControl::Input() {
  // Everything asked for (InputLen 0) includes what the device has waiting right now.
  if (mReceived.Size() == 0 || mReceived.TakesAll()) {
    ReadWaiting();
  }
  if (mReceived.Size() == 0) {
    CheckDevice();
  }
  std::string sTaken = mReceived.Take();
  UpdateWatch();
  return sTaken;
}

void CPosixSerialControl::Output(const std::string& sData) {
  if (miFd < 0) {
    RaisePortNotOpen();
  }
  CheckDevice();
  msPending += sData;
  WritePending();
  CheckDevice();
}

void CPosixSerialControl::CheckDevice() const {
  if (miFd >= 0 && mfLineLost) {
    RaiseDeviceGone();
  }
}

void CPosixSerialControl::WritePending() {
  while (!msPending.empty() && !mfLineLost) {
    ssize_t nWritten = write(miFd, msPending.data(), msPending.size());
    if (nWritten > 0) {
      msPending.erase(0, static_cast<size_t>(nWritten));
      continue;
    }
    if (nWritten < 0 && errno == EINTR) {
      continue;
    }
    if (nWritten < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return;  // the device's buffer is full; the rest waits here
    }
    LineLost();
  }
}

int32_t CPosixSerialControl::OutBufferCount() {
  if (miFd < 0) {
    return 0;
  }
  WritePending();
  int iQueued = 0;
  if (mfLineLost || ioctl(miFd, TIOCOUTQ, &iQueued) != 0 || iQueued < 0) {
    iQueued = 0;
  }
  int64_t lPending = static_cast<int64_t>(msPending.size()) + iQueued;
  if (lPending > 0) {
    ArrangeDrainWakeUp(lPending);
  } else {
    mlStallUs = 0;
  }
  mlLastPending = lPending;
  return static_cast<int32_t>(std::min<int64_t>(lPending, INT32_MAX));
}

void CPosixSerialControl::ArrangeDrainWakeUp(int64_t lPending) {
  // Nothing announces that output has left, so the pump is woken when the line can have sent
  // it. When nothing went out since the last look, the far side is not taking characters (a
  // pseudo-terminal nobody reads): look again later and later, never spinning.
  auto lDelayUs =
      static_cast<int64_t>(std::ceil(static_cast<double>(lPending) * mSettings.CharacterTimeUs()));
  if (mlLastPending > 0 && lPending >= mlLastPending) {
    mlStallUs = std::clamp(mlStallUs * 2, kFirstStallUs, kLongestStallUs);
    lDelayUs = std::max(lDelayUs, mlStallUs);
  } else {
    mlStallUs = 0;
  }
  if (mWakeUp != 0 && mpPump->HasTimer(mWakeUp)) {
    return;
  }
  mWakeUp = mpPump->AddTimer(mpPump->Clock().NowUs() + std::max<int64_t>(lDelayUs, 1), 0, [] {});
}

}  // namespace ksv940
