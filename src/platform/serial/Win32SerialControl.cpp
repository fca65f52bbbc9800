#include "platform/serial/Win32SerialControl.h"

#include <algorithm>
#include <climits>

#include "platform/core/CContext.h"
#include "platform/core/MRuntime.h"
#include "platform/core/Win32PumpPlatform.h"
#include "platform/core/Win32Text.h"
#include "platform/serial/MSerialControl.h"

namespace ksv940 {

namespace {

// "No such device", which MinGW's headers do not name.
constexpr DWORD kErrorNoSuchDevice = 433;

// What serial drivers report once their device has left (see the class's comment).
bool IsDeviceGoneError(DWORD dwError) {
  switch (dwError) {
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_HANDLE:
    case ERROR_NOT_READY:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_BROKEN_PIPE:
    case kErrorNoSuchDevice:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
      return true;
    default:
      return false;
  }
}

class CWin32SerialControlFactory : public ISerialControlFactory {
 public:
  std::unique_ptr<ISerialControl> CreateControl() override {
    return std::make_unique<CWin32SerialControl>();
  }
};

}  // namespace

std::shared_ptr<ISerialControlFactory> ISerialControlFactory::CreateDefault() {
  return std::make_shared<CWin32SerialControlFactory>();
}

CWin32SerialControl::CWin32SerialControl() : mpPump(CContext::Share<CMessagePump>()) {
  mReadOverlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  mWriteOverlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

CWin32SerialControl::~CWin32SerialControl() {
  Close();
  CloseHandle(mReadOverlapped.hEvent);
  CloseHandle(mWriteOverlapped.hEvent);
}

void CWin32SerialControl::SetSettings(const std::string& sSettings) {
  mSettings = CLineSettings::Parse(sSettings);
}

void CWin32SerialControl::SetPortOpen(bool fOpen) {
  if (fOpen) {
    Open();
  } else {
    Close();
  }
}

void CWin32SerialControl::Open() {
  if (mhPort != INVALID_HANDLE_VALUE) {
    return;
  }
  if (mlPort < 1) {
    msStatus = "Port not found";
    return;
  }
  std::string sDevice = "\\\\.\\COM" + std::to_string(mlPort);
  HANDLE hPort = CreateFileA(sDevice.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (hPort == INVALID_HANDLE_VALUE) {
    DWORD dwError = GetLastError();
    switch (dwError) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
      case ERROR_BAD_UNIT:
      case ERROR_NOT_READY:
        msStatus = "Port not found";
        break;
      case ERROR_ACCESS_DENIED:
      case ERROR_SHARING_VIOLATION:
      case ERROR_BUSY:
        msStatus = "Port unavailable";
        break;
      default:
        msStatus = "Port open failed: COM" + std::to_string(mlPort) + ": " +
                   SystemErrorText(dwError, " \r\n", "system error ");
    }
    return;
  }
  mhPort = hPort;
  std::string sReason;
  if (!Configure(sReason)) {
    Close();
    msStatus = "Port open failed: COM" + std::to_string(mlPort) + ": " + sReason;
    return;
  }
  mfLineLost = false;
  mfDeviceGone = false;
  auto& platform = CWin32PumpPlatform::Of(*mpPump);
  mReadWatch = platform.WatchHandle(mReadOverlapped.hEvent, [this] { ReadCompleted(); });
  mWriteWatch = platform.WatchHandle(mWriteOverlapped.hEvent, [this] { WriteCompleted(); });
  msStatus = "Connected";
  StartRead();
}

bool CWin32SerialControl::Configure(std::string& sReason) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(mhPort, &dcb)) {
    sReason = SystemErrorText(GetLastError(), " \r\n", "system error ");
    return false;
  }
  dcb.BaudRate = static_cast<DWORD>(mSettings.Baud());
  dcb.fBinary = TRUE;
  dcb.ByteSize = static_cast<BYTE>(mSettings.DataBits());
  switch (mSettings.Parity()) {
    case 'E':
      dcb.Parity = EVENPARITY;
      break;
    case 'O':
      dcb.Parity = ODDPARITY;
      break;
    case 'M':
      dcb.Parity = MARKPARITY;
      break;
    case 'S':
      dcb.Parity = SPACEPARITY;
      break;
    default:
      dcb.Parity = NOPARITY;
  }
  dcb.fParity = dcb.Parity != NOPARITY;
  dcb.StopBits = mSettings.HalfStopBits() == 2   ? ONESTOPBIT
                 : mSettings.HalfStopBits() == 3 ? ONE5STOPBITS
                                                 : TWOSTOPBITS;
  // No flow control; the modem lines stay asserted, as an open port has them.
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fNull = FALSE;
  dcb.fAbortOnError = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  if (!SetCommState(mhPort, &dcb)) {
    sReason = SystemErrorText(GetLastError(), " \r\n", "system error ");
    return false;
  }
  // No time-outs: a read returns when its one character has come, which is what the pump waits
  // for. A read with a total time-out would wait out the whole time-out under Wine.
  COMMTIMEOUTS timeouts{};
  if (!SetCommTimeouts(mhPort, &timeouts)) {
    sReason = SystemErrorText(GetLastError(), " \r\n", "system error ");
    return false;
  }
  // Whatever arrived before this user owned the port is not for it.
  PurgeComm(mhPort, PURGE_RXCLEAR | PURGE_TXCLEAR);
  return true;
}

void CWin32SerialControl::Close() {
  auto& platform = CWin32PumpPlatform::Of(*mpPump);
  if (mReadWatch != 0) {
    platform.Unwatch(mReadWatch);
    mReadWatch = 0;
  }
  if (mWriteWatch != 0) {
    platform.Unwatch(mWriteWatch);
    mWriteWatch = 0;
  }
  if (mhPort != INVALID_HANDLE_VALUE) {
    // The system may still write into the buffers of a pending operation: it ends first.
    CancelIo(mhPort);
    DWORD nDone = 0;
    if (mfReadPending) {
      GetOverlappedResult(mhPort, &mReadOverlapped, &nDone, TRUE);
    }
    if (mfWritePending) {
      GetOverlappedResult(mhPort, &mWriteOverlapped, &nDone, TRUE);
    }
    CloseHandle(mhPort);
    mhPort = INVALID_HANDLE_VALUE;
  }
  mfReadPending = false;
  mfWritePending = false;
  ResetEvent(mReadOverlapped.hEvent);
  ResetEvent(mWriteOverlapped.hEvent);
  mReceived.Clear();
  msWriting.clear();
  msQueued.clear();
}

void CWin32SerialControl::LineLost(DWORD dwError) {
  // Nothing more comes from the line: its read is no longer watched, and what waits to be written
  // is dropped. A device that has gone makes every exchange fail at once from now on.
  mfLineLost = true;
  // A later failure (of a write still pending, say) does not make a gone device quiet again.
  mfDeviceGone = mfDeviceGone || IsDeviceGoneError(dwError);
  auto& platform = CWin32PumpPlatform::Of(*mpPump);
  if (mReadWatch != 0) {
    platform.Unwatch(mReadWatch);
    mReadWatch = 0;
  }
  ResetEvent(mReadOverlapped.hEvent);
  msQueued.clear();
}

void CWin32SerialControl::StartRead() {
  // Bounded: characters that keep arriving at once are taken by the pump's next turn.
  // While the buffer is full no read is pending: further characters wait in the driver (and the
  // device) until Input or a discard makes room, as on the other platforms.
  for (int iRound = 0; iRound < 64 && mhPort != INVALID_HANDLE_VALUE && !mfLineLost &&
                       !mfReadPending && mReceived.Room() > 0;
       ++iRound) {
    ResetEvent(mReadOverlapped.hEvent);
    DWORD nRead = 0;
    if (ReadFile(mhPort, &mcReadChar, 1, &nRead, &mReadOverlapped)) {
      // Completed at once: the overlapped event is set too; take the character now.
      if (nRead == 1) {
        mReceived.Append(&mcReadChar, 1);
      }
      ResetEvent(mReadOverlapped.hEvent);
      ReadWaiting();
      continue;
    }
    DWORD dwError = GetLastError();
    if (dwError == ERROR_IO_PENDING) {
      mfReadPending = true;
      return;
    }
    LineLost(dwError);
    return;
  }
}

void CWin32SerialControl::ReadCompleted() {
  if (!mfReadPending) {
    ResetEvent(mReadOverlapped.hEvent);
    return;
  }
  DWORD nRead = 0;
  if (!GetOverlappedResult(mhPort, &mReadOverlapped, &nRead, FALSE)) {
    DWORD dwError = GetLastError();
    if (dwError == ERROR_IO_INCOMPLETE) {
      return;
    }
    mfReadPending = false;
    LineLost(dwError);
    return;
  }
  mfReadPending = false;
  ResetEvent(mReadOverlapped.hEvent);
  if (nRead == 1) {
    mReceived.Append(&mcReadChar, 1);
  }
  ReadWaiting();
  StartRead();
}

void CWin32SerialControl::ReadWaiting() {
  if (mhPort == INVALID_HANDLE_VALUE || mfLineLost || mfReadPending) {
    return;
  }
  COMSTAT stat{};
  DWORD dwErrors = 0;
  if (!ClearCommError(mhPort, &dwErrors, &stat)) {
    // Also while the buffer is full and no read is pending: the device's leaving shows here.
    LineLost(GetLastError());
    return;
  }
  if (stat.cbInQue == 0 || mReceived.Room() == 0) {
    return;
  }
  // Only as much as the buffer has room for; the rest stays in the driver.
  DWORD nWanted = static_cast<DWORD>(std::min<size_t>(stat.cbInQue, mReceived.Room()));
  std::string sChunk(nWanted, '\0');
  DWORD nRead = 0;
  // The characters are there: the read completes at once, or very nearly so. No read is pending,
  // so the read's own overlapped structure serves; its event is left reset, as the pump expects.
  ResetEvent(mReadOverlapped.hEvent);
  if (ReadFile(mhPort, sChunk.data(), nWanted, &nRead, &mReadOverlapped) ||
      (GetLastError() == ERROR_IO_PENDING &&
       GetOverlappedResult(mhPort, &mReadOverlapped, &nRead, TRUE))) {
    mReceived.Append(sChunk.data(), nRead);
  }
  ResetEvent(mReadOverlapped.hEvent);
}

int32_t CWin32SerialControl::InBufferCount() {
  if (mReceived.Size() == 0) {
    if (mfReadPending && WaitForSingleObject(mReadOverlapped.hEvent, 0) == WAIT_OBJECT_0) {
      ReadCompleted();
    }
    CheckDevice();
  }
  return mReceived.Count();
}

void CWin32SerialControl::CheckDevice() const {
  if (mhPort != INVALID_HANDLE_VALUE && mfDeviceGone) {
    RaiseDeviceGone();
  }
}

void CWin32SerialControl::SetInBufferCount(int32_t lCount) {
  if (lCount != 0) {
    RaiseRuntimeError(erInvalidCall);
  }
  // A character the pending read has already taken arrived before this discard as well.
  if (mfReadPending && WaitForSingleObject(mReadOverlapped.hEvent, 0) == WAIT_OBJECT_0) {
    ReadCompleted();
  }
  CheckDevice();
  mReceived.Clear();
  if (mhPort != INVALID_HANDLE_VALUE) {
    PurgeComm(mhPort, PURGE_RXCLEAR);
  }
  StartRead();
}

void CWin32SerialControl::SetInputLen(int32_t lLength) {
  mReceived.SetInputLen(lLength);
}

std::string CWin32SerialControl::Input() {
  if (mReceived.Size() == 0) {
    InBufferCount();
  }
  std::string sTaken = mReceived.Take();
  // Room again after a full buffer: the next read starts.
  StartRead();
  return sTaken;
}

void CWin32SerialControl::Output(const std::string& sData) {
  if (mhPort == INVALID_HANDLE_VALUE) {
    RaisePortNotOpen();
  }
  CheckDevice();
  if (mfLineLost) {
    return;
  }
  msQueued += sData;
  StartWrite();
  CheckDevice();
}

void CWin32SerialControl::StartWrite() {
  while (!mfWritePending && !msQueued.empty() && !mfLineLost) {
    msWriting.swap(msQueued);
    msQueued.clear();
    ResetEvent(mWriteOverlapped.hEvent);
    DWORD nWritten = 0;
    if (WriteFile(mhPort, msWriting.data(), static_cast<DWORD>(msWriting.size()), &nWritten,
                  &mWriteOverlapped)) {
      ResetEvent(mWriteOverlapped.hEvent);
      msWriting.erase(0, nWritten);
      msQueued.insert(0, msWriting);
      msWriting.clear();
      if (nWritten == 0) {
        // The driver takes nothing now: the send count shows what waits, and the pump comes back
        // to try again.
        mpPump->WakeAt(mpPump->Clock().NowUs() + 10'000);
        return;
      }
      continue;
    }
    DWORD dwError = GetLastError();
    if (dwError == ERROR_IO_PENDING) {
      mfWritePending = true;
      return;
    }
    msWriting.clear();
    LineLost(dwError);
  }
}

void CWin32SerialControl::WriteCompleted() {
  if (!mfWritePending) {
    ResetEvent(mWriteOverlapped.hEvent);
    return;
  }
  DWORD nWritten = 0;
  if (!GetOverlappedResult(mhPort, &mWriteOverlapped, &nWritten, FALSE)) {
    DWORD dwError = GetLastError();
    if (dwError == ERROR_IO_INCOMPLETE) {
      return;
    }
    mfWritePending = false;
    msWriting.clear();
    LineLost(dwError);
    return;
  }
  mfWritePending = false;
  ResetEvent(mWriteOverlapped.hEvent);
  msWriting.erase(0, nWritten);
  msQueued.insert(0, msWriting);
  msWriting.clear();
  StartWrite();
}

int32_t CWin32SerialControl::OutBufferCount() {
  if (mhPort == INVALID_HANDLE_VALUE) {
    return 0;
  }
  if (mfWritePending && WaitForSingleObject(mWriteOverlapped.hEvent, 0) == WAIT_OBJECT_0) {
    WriteCompleted();
  }
  if (!mfWritePending) {
    StartWrite();
  }
  size_t nPending = msWriting.size() + msQueued.size();
  return static_cast<int32_t>(std::min<size_t>(nPending, INT32_MAX));
}

}  // namespace ksv940
