#include "link/FPort.h"

#include "platform/core/CContext.h"

namespace ksv940 {

FPort::FPort(std::function<void()> fnTimeOut)
    : mComm(CContext::Get<ISerialControlFactory>().CreateControl()),
      tmr([this] { tmr_Timer(); }),
      mfnTimeOut(std::move(fnTimeOut)) {}

FPort::~FPort() {
  try {
    tmr.Stop();
  } catch (...) {
  }
  try {
    if (mComm != nullptr && mComm->PortOpen()) {
      mComm->SetPortOpen(false);
    }
  } catch (...) {
  }
}

ISerialControl& FPort::Comm() {
  return *mComm;
}

void FPort::StartTimer(int32_t lTmOut) {
  int64_t lInterval = tmr.Interval();
  try {
    tmr.Stop();
  } catch (...) {
  }
  if (lTmOut >= 0) {
    lInterval = lTmOut;
  }
  try {
    tmr.Start(lInterval);
  } catch (...) {
  }
}

void FPort::StopTimer() {
  try {
    tmr.Stop();
  } catch (...) {
  }
}

void FPort::tmr_Timer() {
  try {
    if (mfnTimeOut) {
      mfnTimeOut();
    }
  } catch (...) {
    // An event handler's failure ends there; the pump goes on.
  }
}

}  // namespace ksv940
