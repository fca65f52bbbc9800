#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/CSimulatedLine.h"

namespace ksv940::test {

/// A small stand-in for an instrument on the peer end of a simulated line. It records every line
/// the host sends (up to CR LF) with the virtual time its last character arrived, and answers
/// each line from a script: first the queued replies in order, then the fixed answers by command.
/// A line without a reply is met with silence.
class CScriptedPeer {
 public:
  struct SLine {
    std::string sLine;  ///< as it arrived, CR LF included
    int64_t lArrivedUs;
  };

  explicit CScriptedPeer(std::shared_ptr<CSimulatedLine> pLine);
  ~CScriptedPeer();

  /// The reply to the next line that arrives, written lDelayMs after it; nullopt is silence.
  void Queue(std::optional<std::string> sReply, int64_t lDelayMs = 0);
  /// The reply to every arrival of sCommand (given without CR LF) once the queue is empty.
  void Answer(const std::string& sCommand, const std::string& sReply, int64_t lDelayMs = 0);
  /// Writes sBytes at virtual time lAtUs, unasked.
  void SendAt(int64_t lAtUs, const std::string& sBytes);
  /// Writes one line of sLines every lPeriodMs, the first at lStartUs + lPeriodMs.
  void Stream(int64_t lStartUs, int64_t lPeriodMs, const std::vector<std::string>& vLines);

  const std::vector<SLine>& Lines() const { return mvLines; }
  /// Every character that arrived, in order.
  const std::string& Bytes() const { return msBytes; }

 private:
  struct SReply {
    std::optional<std::string> sReply;
    int64_t lDelayMs;
  };
  void OnArrival(std::string_view sArrived);
  void Reply(const SReply& reply);

  std::shared_ptr<CSimulatedLine> mpLine;
  std::deque<SReply> mQueue;
  std::map<std::string, SReply> mAnswers;
  std::vector<SLine> mvLines;
  std::string msBytes;
  std::string msPartial;
};

/// When the nth character written at lStartUs has arrived, in whole microseconds (rounded up as
/// the pump counts them).
int64_t ArrivalUs(const CSimulatedLine& line, int64_t lStartUs, size_t nChars);

}  // namespace ksv940::test
