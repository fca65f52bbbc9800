#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/serial/ISerialControl.h"
#include "sim/CSimulatedLine.h"

namespace ksv940 {

/// Serial ports that lead to in-process instruments, for tests and the in-process simulator: a
/// serial control factory whose controls open the host end of the CSimulatedLine connected under
/// their port number. Opening a number nothing is connected to reads "Port not found"; a port
/// that another control holds open reads "Port unavailable".
class CSimulatedPorts : public ISerialControlFactory {
 public:
  /// The port numbers, their lines and which control holds each. Shared by the factory and the
  /// controls it made, so that either may outlive the other.
  class CTable {
   public:
    void Connect(int32_t lPort, std::shared_ptr<CSimulatedLine> pLine);
    /// The line of lPort, now held by pHolder; null when there is none or another holder has it,
    /// with sStatus saying which.
    std::shared_ptr<CSimulatedLine> Claim(int32_t lPort, const void* pHolder, std::string& sStatus);
    void Release(int32_t lPort, const void* pHolder);
    bool IsHeld(int32_t lPort) const;

   private:
    struct SPort {
      std::shared_ptr<CSimulatedLine> pLine;
      const void* pHolder = nullptr;
    };
    std::map<int32_t, SPort> mPorts;
  };

  CSimulatedPorts();

  /// Puts pLine behind port lPort (replacing what was there; a control holding the old line keeps
  /// it until it closes).
  void Connect(int32_t lPort, std::shared_ptr<CSimulatedLine> pLine);
  /// Whether a control has port lPort open.
  bool IsOpen(int32_t lPort) const { return mpTable->IsHeld(lPort); }

  std::unique_ptr<ISerialControl> CreateControl() override;

 private:
  std::shared_ptr<CTable> mpTable;
};

}  // namespace ksv940
