#include "model/CMicroSequence.h"

#include <cstdint>
#include <initializer_list>
#include <optional>

#include "declares/GDeclares.h"
#include "model/CKsvTestOptions.h"
#include "platform/core/MRuntime.h"
#include "resources/CStringTable.h"
#include "support/MError.h"

namespace ksv940 {

namespace {

// Replaces every occurrence of sFind in sText, left to right; replaced text is not searched again.
void ReplaceAll(std::string& sText, const std::string& sFind, const std::string& sWith) {
  size_t nPos = 0;
  while ((nPos = sText.find(sFind, nPos)) != std::string::npos) {
    sText.replace(nPos, sFind.size(), sWith);
    nPos += sWith.size();
  }
}

void SubstitutePowerConfig(std::string& sSeq, int32_t epc) {
  bool fReversed = epc == epcONRM || epc == epcNCRM || epc == epcOERM;
  bool fOpenEarth = epc == epcOffOE || epc == epcOE || epc == epcOERM;
  bool fOpenNeutral = epc == epcON || epc == epcONRM;
  ReplaceAll(sSeq, "%P", fReversed ? "r" : "n");
  ReplaceAll(sSeq, "%E", fOpenEarth ? "o" : "c");
  ReplaceAll(sSeq, "%N", fOpenNeutral ? "o" : "c");
  ReplaceAll(sSeq, "%V",
             epc == epcMainsL1Gnd   ? "l1-gnd"
             : epc == epcMainsL2Gnd ? "l2-gnd"
                                    : "l1-l2");
}

// The text of an option value from its list; sOther for a value outside the list.
std::string Pick(int32_t lValue, std::initializer_list<const char*> texts, const char* sOther) {
  if (lValue >= 0 && lValue < static_cast<int32_t>(texts.size())) {
    return texts.begin()[lValue];
  }
  return sOther;
}

// Each value is computed, and may overflow, whether or not the template holds its placeholder;
// sSeq keeps every replacement made before a failure.
void SubstituteOptions(std::string& sSeq, const CKsvTestOptions& options) {
  ReplaceAll(sSeq, "%R", Pick(options.PECurrent(), {"low", "high"}, "low"));
  ReplaceAll(sSeq, "%W", Pick(options.ResWires(), {"2", "4"}, "2"));
  ReplaceAll(sSeq, "%I", Pick(options.TestVoltage(), {"high", "low"}, "high"));
  ReplaceAll(sSeq, "%U", Pick(options.measType(), {"acdc", "ac", "dc"}, "acdc"));
  ReplaceAll(sSeq, "%C", options.SetWaveformCmd().ToText());
  ReplaceAll(sSeq, "%T", std::to_string(CheckedMul16(options.ECGDuration(), 1000)));
  ReplaceAll(sSeq, "%D", std::to_string(CheckedMul32(options.Duration(), 1000)));
  ReplaceAll(sSeq, "%MV", Pick(options.MAPVoltage(), {"low", "high"}, ""));
  ReplaceAll(sSeq, "%MP", Pick(options.MAPPolarity(), {"norm", "rev"}, ""));
  ReplaceAll(sSeq, "%MC", Pick(options.MAPCurrent(), {"1ma", "3.5ma", "7.5ma"}, ""));
}

std::vector<std::string> Split(const std::string& sText) {
  std::vector<std::string> vPieces;
  size_t nStart = 0;
  for (;;) {
    size_t nEnd = sText.find(';', nStart);
    if (nEnd == std::string::npos) {
      vPieces.push_back(sText.substr(nStart));
      return vPieces;
    }
    vPieces.push_back(sText.substr(nStart, nEnd - nStart));
    nStart = nEnd + 1;
  }
}

}  // namespace

void CMicroSequence::Initialize(int32_t etc, int32_t epc, const std::string& sAP,
                                const std::string& sNAP, const CKsvTestOptions& testOptions) {
  // The template id is reported as a wide number so that a test code near the 32-bit limit
  // still names its (missing) template instead of failing a second time.
  int64_t lTemplateId = static_cast<int64_t>(CStringTable::kTemplateBase) + etc;
  std::string sSeq;
  std::string sDirective;
  try {
    auto sTemplate = lTemplateId <= INT32_MAX
                         ? CStringTable::Load(static_cast<int32_t>(lTemplateId))
                         : std::nullopt;
    if (!sTemplate) {
      RaiseRuntimeError(erInvalidCall);
    }
    sSeq = *sTemplate;
    SubstitutePowerConfig(sSeq, epc);
    ReplaceAll(sSeq, "%A", sAP);
    if (!sNAP.empty()) {
      ReplaceAll(sSeq, "%X", sNAP);
    } else {
      ReplaceAll(sSeq, "grp=%X;", "");
    }
    SubstituteOptions(sSeq, testOptions);
    // A 200 mA earth-resistance test takes a single reading after a longer settling time.
    if (etc == etcProtEarth && testOptions.PECurrent() == epec_200mA) {
      ReplaceAll(sSeq, "#wait=500;#many", "#wait=1500;#read");
    }
    for (const char* sRequired : {"#stop", "#wait"}) {
      sDirective = sRequired;
      if (sSeq.find(sDirective) == std::string::npos) {
        RaiseRuntimeError(erInvalidCall);
      }
    }
    mvInstructions = Split(sSeq);
  } catch (...) {
    RaiseError(errVTI_InvalidMuSeq, "CMicroSequence", "",
               {CVariant(lTemplateId), CVariant(sSeq), CVariant(sDirective)});
  }
}

std::string CMicroSequence::Instruction(int32_t i) const {
  if (i < 0 || i >= Count()) {
    return {};
  }
  return mvInstructions[static_cast<size_t>(i)];
}

std::string CMicroSequence::GetResetInstructions(int32_t /*iCurrent*/) const {
  return {};
}

}  // namespace ksv940
