#include "link/CScriptedPeer.h"

#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"

namespace ksv940::test {

CScriptedPeer::CScriptedPeer(std::shared_ptr<CSimulatedLine> pLine) : mpLine(std::move(pLine)) {
  mpLine->SetReceiver(CSimulatedLine::eslPeer, [this](std::string_view s) { OnArrival(s); });
}

CScriptedPeer::~CScriptedPeer() {
  mpLine->SetReceiver(CSimulatedLine::eslPeer, nullptr);
}

void CScriptedPeer::Queue(std::optional<std::string> sReply, int64_t lDelayMs) {
  mQueue.push_back({std::move(sReply), lDelayMs});
}

void CScriptedPeer::Answer(const std::string& sCommand, const std::string& sReply,
                           int64_t lDelayMs) {
  mAnswers[sCommand] = {sReply, lDelayMs};
}

void CScriptedPeer::SendAt(int64_t lAtUs, const std::string& sBytes) {
  // Weak: the line keeps the pump alive, and a write still pending must not keep the line.
  std::weak_ptr<CSimulatedLine> pWeakLine = mpLine;
  CContext::Get<CMessagePump>().AddTimer(lAtUs, 0, [pWeakLine, sBytes] {
    if (auto pLine = pWeakLine.lock()) {
      pLine->Write(CSimulatedLine::eslPeer, sBytes);
    }
  });
}

void CScriptedPeer::Stream(int64_t lStartUs, int64_t lPeriodMs,
                           const std::vector<std::string>& vLines) {
  for (size_t i = 0; i < vLines.size(); ++i) {
    SendAt(lStartUs + static_cast<int64_t>(i + 1) * lPeriodMs * 1000, vLines[i]);
  }
}

void CScriptedPeer::OnArrival(std::string_view sArrived) {
  int64_t lNowUs = CContext::Get<CMessagePump>().Clock().NowUs();
  for (char c : sArrived) {
    msBytes.push_back(c);
    msPartial.push_back(c);
    if (msPartial.size() < 2 || msPartial.compare(msPartial.size() - 2, 2, "\r\n") != 0) {
      continue;
    }
    mvLines.push_back({msPartial, lNowUs});
    std::string sCommand = msPartial.substr(0, msPartial.size() - 2);
    msPartial.clear();
    if (!mQueue.empty()) {
      SReply reply = mQueue.front();
      mQueue.pop_front();
      Reply(reply);
    } else if (auto it = mAnswers.find(sCommand); it != mAnswers.end()) {
      Reply(it->second);
    }
  }
}

void CScriptedPeer::Reply(const SReply& reply) {
  if (!reply.sReply) {
    return;
  }
  int64_t lNowUs = CContext::Get<CMessagePump>().Clock().NowUs();
  SendAt(lNowUs + reply.lDelayMs * 1000, *reply.sReply);
}

int64_t ArrivalUs(const CSimulatedLine& line, int64_t lStartUs, size_t nChars) {
  int64_t lNs = lStartUs * 1000 + static_cast<int64_t>(nChars) * line.CharacterTimeNs();
  return (lNs + 999) / 1000;
}

}  // namespace ksv940::test
