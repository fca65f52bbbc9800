#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/CMessagePump.h"

namespace ksv940 {

class CSimInstrument;

/// Serves an instrument on a TCP port of 127.0.0.1 the way a serial-to-network bridge in raw
/// mode does: the bytes of one client connection are the serial line, unchanged both ways. One
/// client at a time; a second connection is closed at once. When a client leaves, the next one
/// finds the instrument as it was. A drop fault closes the client's connection.
class CSimTcpListener {
 public:
  /// Listens on iPort (0: a free port the system picks). Failures raise std::system_error.
  CSimTcpListener(CSimInstrument& instrument, uint16_t iPort);
  ~CSimTcpListener();
  CSimTcpListener(const CSimTcpListener&) = delete;
  CSimTcpListener& operator=(const CSimTcpListener&) = delete;

  uint16_t Port() const { return miPort; }
  /// "127.0.0.1:" and the port.
  std::string Address() const;

 private:
  void OnAccept();
  void OnClientReadable();
  void CloseClient();

  CSimInstrument& mInstrument;
  std::shared_ptr<CMessagePump> mpPump;
  int miListener = -1;
  int miClient = -1;
  uint16_t miPort = 0;
  CMessagePump::Id mListenWatch = 0;
  CMessagePump::Id mClientWatch = 0;
};

}  // namespace ksv940
