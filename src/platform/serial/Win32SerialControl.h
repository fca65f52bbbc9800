#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/core/CMessagePump.h"
#include "platform/serial/CLineSettings.h"
#include "platform/serial/CReceiveBuffer.h"
#include "platform/serial/ISerialControl.h"

namespace ksv940 {

/// The serial control on the Windows communications API: port n is \\.\COMn, opened for this
/// control alone ("Port unavailable" while another user holds it, "Port not found" when it does
/// not exist). The line is binary, with the written settings and no flow control.
///
/// Reading works alike on Windows and under Wine: one overlapped read of a single character is
/// always pending, its event watched by the thread's message pump; when it completes, everything
/// else the driver has waiting (ClearCommError) is read at once and the next one-character read
/// is started. A wait for a reply therefore blocks in the system and ends with the first
/// character. Output is written overlapped as well; the send count is what has not been written.
///
/// The device is gone (ISerialControl's device-gone rule) when a read, a write or the look at
/// what is waiting fails with one of the errors drivers report for a device that has left:
/// access denied, invalid handle, not ready, bad command, general failure, broken pipe, no such
/// device, device not connected, device removed (a USB serial driver after its adapter is pulled
/// out; under Wine, a pseudo-terminal whose far side closed: broken pipe on reading, not ready on
/// writing). Any other failure of a read or write (a driver's own, such as an aborted operation)
/// leaves the line cut but quiet, as a cable with nothing at its far end: output is dropped and
/// replies run into their time-outs until the port is closed.
class CWin32SerialControl : public ISerialControl {
 public:
  CWin32SerialControl();
  ~CWin32SerialControl() override;
  CWin32SerialControl(const CWin32SerialControl&) = delete;
  CWin32SerialControl& operator=(const CWin32SerialControl&) = delete;

  void SetSettings(const std::string& sSettings) override;
  void SetCommPort(int32_t lPort) override { mlPort = lPort; }
  int32_t CommPort() const override { return mlPort; }
  bool PortOpen() const override { return mhPort != INVALID_HANDLE_VALUE; }
  void SetPortOpen(bool fOpen) override;
  std::string Status() const override { return msStatus; }
  int32_t InBufferCount() override;
  void SetInBufferCount(int32_t lCount) override;
  void SetInputLen(int32_t lLength) override;
  std::string Input() override;
  void Output(const std::string& sData) override;
  int32_t OutBufferCount() override;

 private:
  void Open();
  void Close();
  bool Configure(std::string& sReason);
  /// Starts the one-character read; takes what completes at once.
  void StartRead();
  /// Takes a completed one-character read and what else is waiting; starts the next read.
  void ReadCompleted();
  /// Takes everything the driver has waiting without blocking.
  void ReadWaiting();
  void StartWrite();
  void WriteCompleted();
  /// The line failed with the system's error dwError: gone for good until the port is closed.
  void LineLost(DWORD dwError);
  /// Raises the device-gone failure while the port is open on a device that has gone.
  void CheckDevice() const;

  std::shared_ptr<CMessagePump> mpPump;
  CLineSettings mSettings;
  int32_t mlPort = 1;
  HANDLE mhPort = INVALID_HANDLE_VALUE;
  bool mfLineLost = false;
  bool mfDeviceGone = false;  // lost with one of the device-gone errors
  std::string msStatus;
  CReceiveBuffer mReceived;

  OVERLAPPED mReadOverlapped{};
  bool mfReadPending = false;
  char mcReadChar = 0;
  CMessagePump::Id mReadWatch = 0;

  OVERLAPPED mWriteOverlapped{};
  bool mfWritePending = false;
  std::string msWriting;  // handed to the system, not yet written
  std::string msQueued;   // waiting for the write in progress
  CMessagePump::Id mWriteWatch = 0;
};

}  // namespace ksv940
