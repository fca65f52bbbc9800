#pragma once

#include <memory>
#include <string>

#include "platform/core/CMessagePump.h"

namespace ksv940 {

class CSimInstrument;

/// Serves an instrument on a pseudo-terminal: a client opens DevicePath() as it would open a
/// serial port. The terminal is raw, so CR and LF pass unchanged both ways. The simulator keeps
/// the terminal's device open itself, so clients may come and go. Characters the instrument sends
/// while nobody reads stay queued until the terminal's buffer is full and are then lost.
class CSimPty {
 public:
  /// Opens the terminal and serves the instrument through the thread's message pump. Failures
  /// raise std::system_error.
  explicit CSimPty(CSimInstrument& instrument);
  ~CSimPty();
  CSimPty(const CSimPty&) = delete;
  CSimPty& operator=(const CSimPty&) = delete;

  /// The device a client opens, such as /dev/pts/3.
  const std::string& DevicePath() const { return msDevicePath; }

 private:
  void OnReadable();

  CSimInstrument& mInstrument;
  std::shared_ptr<CMessagePump> mpPump;
  int miMaster = -1;
  int miSlave = -1;
  std::string msDevicePath;
  CMessagePump::Id mWatch = 0;
};

}  // namespace ksv940
