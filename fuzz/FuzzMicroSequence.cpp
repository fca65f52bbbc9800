// Micro sequences from any test code, power configuration, applied-part texts and options: the
// expansion succeeds with a list of instructions or fails with errVTI_InvalidMuSeq and leaves the
// list as it was.

#include <string>
#include <vector>

#include "CFuzzContext.h"
#include "CFuzzInput.h"
#include "MFuzzSupport.h"
#include "declares/GDeclares.h"
#include "model/CKsvTestOptions.h"
#include "model/CMicroSequence.h"

namespace ksv940::fuzz {

namespace {

std::vector<std::string> Instructions(const CMicroSequence& sequence) {
  std::vector<std::string> vInstructions;
  for (int32_t i = 0; i < sequence.Count(); ++i) {
    vInstructions.push_back(sequence.Instruction(i));
  }
  return vInstructions;
}

}  // namespace

int FuzzMicroSequence(const uint8_t* pData, size_t nSize) {
  CFuzzInput in(pData, nSize);
  CFuzzContext ctx;
  CKsvTestOptions options;
  // Each option either keeps its default or takes a value of its type, as a host may set it.
  for (const SOptionProperty& property : CKsvTestOptions::Properties()) {
    if (!in.Flag()) {
      continue;
    }
    auto lValue = static_cast<int32_t>(in.Word() | (in.Word() << 16));
    switch (property.eok) {
      case eokBoolean:
        lValue = (lValue & 1) != 0 ? -1 : 0;
        break;
      case eokInteger16:
        lValue = static_cast<int16_t>(lValue);
        break;
      default:
        if (in.Flag()) {
          lValue %= 20;  // mostly near the members
        }
        break;
    }
    property.fnSet(options, lValue);
  }
  CMicroSequence sequence;
  // A valid sequence first, so that a failing expansion has a list to leave alone.
  sequence.Initialize(etcEarthLeak, epcNC, "all", "", CKsvTestOptions());
  std::vector<std::string> vBefore = Instructions(sequence);
  auto etc = static_cast<int32_t>(static_cast<int8_t>(in.Byte()));
  auto epc = static_cast<int32_t>(static_cast<int8_t>(in.Byte()));
  std::string sAP = in.Text();
  std::string sNAP = in.Text();
  int32_t lError = RaisedNumber([&] { sequence.Initialize(etc, epc, sAP, sNAP, options); });
  FUZZ_CHECK(lError == 0 || lError == errVTI_InvalidMuSeq);
  if (lError != 0) {
    FUZZ_CHECK(Instructions(sequence) == vBefore);
    return 0;
  }
  FUZZ_CHECK(sequence.Count() > 0);
  bool fStop = false;
  for (const std::string& s : Instructions(sequence)) {
    FUZZ_CHECK(s.find(';') == std::string::npos);
    fStop = fStop || s.starts_with("#stop");
  }
  FUZZ_CHECK(fStop);
  FUZZ_CHECK(sequence.Instruction(-1).empty() && sequence.Instruction(sequence.Count()).empty());
  FUZZ_CHECK(sequence.GetResetInstructions(0).empty());
  return 0;
}

}  // namespace ksv940::fuzz

KSV940_FUZZ_ENTRY(FuzzMicroSequence)
