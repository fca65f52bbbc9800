#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/serial/CLineSettings.h"
#include "platform/serial/CReceiveBuffer.h"
#include "platform/serial/ISerialControl.h"
#include "sim/CSimulatedPorts.h"

namespace ksv940 {

/// A serial control on the host end of a simulated line: what it outputs reaches the peer
/// character by character at the line's speed, and the send count is what is still on its way.
/// Everything happens on the thread's message pump, so it runs on virtual time in tests.
class CSimulatedSerialControl : public ISerialControl {
 public:
  explicit CSimulatedSerialControl(std::shared_ptr<CSimulatedPorts::CTable> pPorts);
  ~CSimulatedSerialControl() override;
  CSimulatedSerialControl(const CSimulatedSerialControl&) = delete;
  CSimulatedSerialControl& operator=(const CSimulatedSerialControl&) = delete;

  void SetSettings(const std::string& sSettings) override;
  void SetCommPort(int32_t lPort) override { mlPort = lPort; }
  int32_t CommPort() const override { return mlPort; }
  bool PortOpen() const override { return mpLine != nullptr; }
  void SetPortOpen(bool fOpen) override;
  std::string Status() const override { return msStatus; }
  int32_t InBufferCount() override;
  void SetInBufferCount(int32_t lCount) override;
  void SetInputLen(int32_t lLength) override;
  std::string Input() override;
  void Output(const std::string& sData) override;
  int32_t OutBufferCount() override;

 private:
  void Close();

  std::shared_ptr<CSimulatedPorts::CTable> mpPorts;
  std::shared_ptr<CSimulatedLine> mpLine;
  int32_t mlPort = 1;
  int32_t mlOpenPort = 0;
  std::string msStatus;
  // A simulated line has no device to hold back what does not fit: the buffer takes everything.
  CReceiveBuffer mReceived{SIZE_MAX};
};

}  // namespace ksv940
