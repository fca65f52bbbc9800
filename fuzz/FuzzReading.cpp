// Reading replies of any shape: SetReading never raises, and leaves a state the host knows, a
// finite value, and nothing at all for an empty reply.

#include <cmath>
#include <string>

#include "CFuzzContext.h"
#include "CFuzzInput.h"
#include "MFuzzSupport.h"
#include "model/CKsvTestResult.h"

namespace ksv940::fuzz {

namespace {

const char* const kCommands[] = {"read", "mread", "zero"};

}  // namespace

int FuzzReading(const uint8_t* pData, size_t nSize) {
  CFuzzInput in(pData, nSize);
  CFuzzContext ctx;
  auto emt = static_cast<int32_t>(static_cast<int8_t>(in.Byte()));
  std::string sCommand = kCommands[in.Pick(std::size(kCommands))];
  std::string sReply = in.Rest();
  CKsvTestResult result;
  FUZZ_CHECK(RaisedNumber([&] { result.SetReading(sReply, emt, sCommand); }) == 0);
  FUZZ_CHECK(result.State() == etsNotPerformed || result.State() == etsCompleted ||
             result.State() == etsOverflow);
  FUZZ_CHECK(std::isfinite(result.Value()));
  if (sReply.empty()) {
    FUZZ_CHECK(result.State() == etsNotPerformed && result.Value() == 0.0F);
  }
  if (result.State() == etsOverflow) {
    FUZZ_CHECK(result.Value() == 0.0F);
  }
  return 0;
}

}  // namespace ksv940::fuzz

KSV940_FUZZ_ENTRY(FuzzReading)
