#pragma once

#include <memory>
#include <string>

#include "platform/core/CMessagePump.h"
#include "platform/serial/CLineSettings.h"
#include "platform/serial/CReceiveBuffer.h"
#include "platform/serial/ISerialControl.h"

namespace ksv940 {

/// The serial control on a termios device: a serial port or a pseudo-terminal, found in the port
/// map by the port number. Opening makes it the port's only user: a second control, in this
/// process or another, reads "Port unavailable"; a missing device reads "Port not found"; any
/// other failure reads "Port open failed: " and the system's reason. The line is raw, with the
/// written settings (normally 115200 baud, 8 data bits, no parity, 1 stop bit) and no flow
/// control; the modem lines are left alone.
///
/// The thread's message pump watches the open device: whenever characters arrive they are taken
/// into the control's receive buffer, so a wait with unread characters costs nothing. The buffer
/// holds at most 4096 characters; while it is full, further characters wait in the device until
/// they are read or discarded, so nothing received is dropped in between. While output
/// is pending, reading the send count arranges a wake-up of the pump for about when the line can
/// have sent it, later and later while the far side takes nothing.
///
/// The device is gone (ISerialControl's device-gone rule) when a read finds the end of the file or
/// a read or write fails with anything but "try again" or "interrupted".
class CPosixSerialControl : public ISerialControl {
 public:
  CPosixSerialControl();
  ~CPosixSerialControl() override;
  CPosixSerialControl(const CPosixSerialControl&) = delete;
  CPosixSerialControl& operator=(const CPosixSerialControl&) = delete;

  void SetSettings(const std::string& sSettings) override;
  void SetCommPort(int32_t lPort) override { mlPort = lPort; }
  int32_t CommPort() const override { return mlPort; }
  bool PortOpen() const override { return miFd >= 0; }
  void SetPortOpen(bool fOpen) override;
  std::string Status() const override { return msStatus; }
  int32_t InBufferCount() override;
  void SetInBufferCount(int32_t lCount) override;
  void SetInputLen(int32_t lLength) override;
  std::string Input() override;
  void Output(const std::string& sData) override;
  int32_t OutBufferCount() override;

  /// The device the control has open; empty while closed.
  const std::string& DevicePath() const { return msDevice; }

 private:
  void Open();
  void Close();
  bool Configure(std::string& sReason);
  /// Takes what the device has waiting into the receive buffer, as far as it has room.
  void ReadWaiting();
  /// Watches the device while the buffer has room, and only then.
  void UpdateWatch();
  /// Hands pending output to the device as far as it takes it.
  void WritePending();
  void LineLost();
  /// Raises the device-gone failure while the port is open on a lost line.
  void CheckDevice() const;
  void ArrangeDrainWakeUp(int64_t lPending);

  std::shared_ptr<CMessagePump> mpPump;
  CLineSettings mSettings;
  int32_t mlPort = 1;
  int miFd = -1;
  bool mfLineLost = false;
  std::string msDevice;
  std::string msStatus;
  CReceiveBuffer mReceived;
  std::string msPending;
  CMessagePump::Id mWatch = 0;
  CMessagePump::Id mWakeUp = 0;
  int64_t mlLastPending = 0;
  int64_t mlStallUs = 0;
};

}  // namespace ksv940
