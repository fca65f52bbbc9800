#include "sim/CSimulatedPorts.h"

#include "sim/CSimulatedSerialControl.h"

namespace ksv940 {

void CSimulatedPorts::CTable::Connect(int32_t lPort, std::shared_ptr<CSimulatedLine> pLine) {
  mPorts[lPort] = SPort{std::move(pLine), nullptr};
}

std::shared_ptr<CSimulatedLine> CSimulatedPorts::CTable::Claim(int32_t lPort, const void* pHolder,
                                                               std::string& sStatus) {
  auto it = mPorts.find(lPort);
  if (it == mPorts.end() || it->second.pLine == nullptr) {
    sStatus = "Port not found";
    return nullptr;
  }
  if (it->second.pHolder != nullptr && it->second.pHolder != pHolder) {
    sStatus = "Port unavailable";
    return nullptr;
  }
  it->second.pHolder = pHolder;
  sStatus = "Connected";
  return it->second.pLine;
}

void CSimulatedPorts::CTable::Release(int32_t lPort, const void* pHolder) {
  auto it = mPorts.find(lPort);
  if (it != mPorts.end() && it->second.pHolder == pHolder) {
    it->second.pHolder = nullptr;
  }
}

bool CSimulatedPorts::CTable::IsHeld(int32_t lPort) const {
  auto it = mPorts.find(lPort);
  return it != mPorts.end() && it->second.pHolder != nullptr;
}

CSimulatedPorts::CSimulatedPorts() : mpTable(std::make_shared<CTable>()) {}

void CSimulatedPorts::Connect(int32_t lPort, std::shared_ptr<CSimulatedLine> pLine) {
  mpTable->Connect(lPort, std::move(pLine));
}

std::unique_ptr<ISerialControl> CSimulatedPorts::CreateControl() {
  return std::make_unique<CSimulatedSerialControl>(mpTable);
}

}  // namespace ksv940
