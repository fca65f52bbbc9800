#include "sim/CSimulatedLine.h"

#include <algorithm>

#include "platform/core/CContext.h"

namespace ksv940 {

CSimulatedLine::CSimulatedLine(int32_t lBaud)
    : mpPump(CContext::Share<CMessagePump>()),
      mlCharNs(10'000'000'000LL / std::max<int32_t>(lBaud, 1)) {}

CSimulatedLine::~CSimulatedLine() {
  for (auto& direction : mDirection) {
    if (direction.timer != 0) {
      mpPump->RemoveTimer(direction.timer);
    }
  }
}

void CSimulatedLine::Write(EEnd eFrom, std::string_view sBytes) {
  if (sBytes.empty()) {
    return;
  }
  SDirection& direction = mDirection[eFrom];
  int64_t lNowNs = mpPump->Clock().NowUs() * 1000;
  // The transmitter starts on the next character as soon as the previous one has left.
  int64_t lArrivalNs = std::max(lNowNs, direction.lLastArrivalNs);
  for (char c : sBytes) {
    lArrivalNs += mlCharNs;
    direction.queue.emplace_back(lArrivalNs, c);
  }
  direction.lLastArrivalNs = lArrivalNs;
  Schedule(eFrom);
}

void CSimulatedLine::SetReceiver(EEnd eAt, std::function<void(std::string_view)> fnReceive) {
  // Characters travelling towards eAt were written at the other end.
  mDirection[1 - eAt].fnReceive = std::move(fnReceive);
}

void CSimulatedLine::Schedule(EEnd eFrom) {
  SDirection& direction = mDirection[eFrom];
  if (direction.timer != 0 || direction.queue.empty()) {
    return;
  }
  // The pump counts microseconds: wake at the first microsecond by which the character is in.
  int64_t lDueUs = (direction.queue.front().first + 999) / 1000;
  direction.timer = mpPump->AddTimer(lDueUs, 0, [this, eFrom] {
    mDirection[eFrom].timer = 0;
    Deliver(eFrom);
  });
}

void CSimulatedLine::Deliver(EEnd eFrom) {
  SDirection& direction = mDirection[eFrom];
  int64_t lNowNs = mpPump->Clock().NowUs() * 1000;
  std::string sArrived;
  while (!direction.queue.empty() && direction.queue.front().first <= lNowNs) {
    sArrived.push_back(direction.queue.front().second);
    direction.queue.pop_front();
  }
  Schedule(eFrom);
  if (!sArrived.empty() && direction.fnReceive) {
    // The receiver may write back or flush from inside; the queue is consistent by now.
    auto fnReceive = direction.fnReceive;
    fnReceive(sArrived);
  }
}

}  // namespace ksv940
