#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/core/MText.h"

#include "link/CChannel.h"
#include "link/CScriptedPeer.h"
#include "platform/core/CAutomationError.h"
#include "sim/CSimulatedLine.h"
#include "sim/CSimulatedPorts.h"
#include "testing/CTestContext.h"
#include "testing/CTraceRecorder.h"

namespace ksv940::test {

/// What a call raised: nothing, or an error's number, source and description.
struct SRaised {
  bool fRaised = false;
  int32_t lNumber = 0;
  std::string sSource;
  std::string sDescription;
};

inline SRaised Raised(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const CAutomationError& err) {
    return {true, err.Number(), err.Source(), err.Description()};
  }
  return {};
}

/// Virtual time, a simulated line on port 5 with a scripted instrument at its far end, a trace
/// recorder, and (unless asked for the plain texts) texts that show the parameters the wording of
/// 20922 and 20923 hides.
class CLinkFixture {
 public:
  static constexpr int32_t kPort = 5;

  explicit CLinkFixture(bool fShowHiddenParameters = true);

  int64_t Now() { return ctx.Clock().NowUs(); }
  void At(int64_t lUs, std::function<void()> fn) { ctx.Pump().AddTimer(lUs, 0, std::move(fn)); }
  /// When the nth character written now would have arrived.
  int64_t After(size_t nChars) { return ArrivalUs(*pLine, Now(), nChars); }

  CTestContext ctx;
  std::shared_ptr<CTraceRecorder> pTrace;
  std::shared_ptr<CSimulatedLine> pLine;
  std::shared_ptr<CSimulatedPorts> pPorts;
  CScriptedPeer peer;
};

}  // namespace ksv940::test
