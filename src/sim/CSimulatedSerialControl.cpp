#include "sim/CSimulatedSerialControl.h"

#include <algorithm>
#include <climits>

#include "platform/core/MRuntime.h"
#include "platform/serial/MSerialControl.h"

namespace ksv940 {

CSimulatedSerialControl::CSimulatedSerialControl(std::shared_ptr<CSimulatedPorts::CTable> pPorts)
    : mpPorts(std::move(pPorts)) {}

CSimulatedSerialControl::~CSimulatedSerialControl() {
  Close();
}

void CSimulatedSerialControl::SetSettings(const std::string& sSettings) {
  // Nothing on an in-memory line depends on the settings, but a malformed text fails as it would on
  // a real port.
  CLineSettings::Parse(sSettings);
}

void CSimulatedSerialControl::SetPortOpen(bool fOpen) {
  if (!fOpen) {
    Close();
    return;
  }
  if (mpLine != nullptr) {
    return;
  }
  mpLine = mpPorts->Claim(mlPort, this, msStatus);
  if (mpLine == nullptr) {
    return;
  }
  mlOpenPort = mlPort;
  mReceived.Clear();
  mpLine->SetReceiver(CSimulatedLine::eslHost, [this](std::string_view sArrived) {
    mReceived.Append(sArrived.data(), sArrived.size());
  });
}

void CSimulatedSerialControl::Close() {
  if (mpLine == nullptr) {
    return;
  }
  // Characters still on their way keep travelling; with no receiver at this end they are lost.
  mpLine->SetReceiver(CSimulatedLine::eslHost, nullptr);
  mpLine.reset();
  mpPorts->Release(mlOpenPort, this);
  mReceived.Clear();
}

int32_t CSimulatedSerialControl::InBufferCount() {
  return mReceived.Count();
}

void CSimulatedSerialControl::SetInBufferCount(int32_t lCount) {
  if (lCount != 0) {
    RaiseRuntimeError(erInvalidCall);
  }
  mReceived.Clear();
}

void CSimulatedSerialControl::SetInputLen(int32_t lLength) {
  mReceived.SetInputLen(lLength);
}

std::string CSimulatedSerialControl::Input() {
  return mReceived.Take();
}

void CSimulatedSerialControl::Output(const std::string& sData) {
  if (mpLine == nullptr) {
    RaisePortNotOpen();
  }
  mpLine->Write(CSimulatedLine::eslHost, sData);
}

int32_t CSimulatedSerialControl::OutBufferCount() {
  if (mpLine == nullptr) {
    return 0;
  }
  return static_cast<int32_t>(
      std::min<size_t>(mpLine->Pending(CSimulatedLine::eslHost), INT32_MAX));
}

}  // namespace ksv940
