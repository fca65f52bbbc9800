#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ksv940 {

class CKsvTestOptions;

/// The script of one safety test: instrument commands and plug-in directives (those beginning
/// with "#"), built from the test's template and filled in from its power configuration, its
/// applied-part texts and the test options.
class CMicroSequence {
 public:
  /// Builds the list from template 8000 + etc: the power configuration's "%P", "%E", "%N", "%V";
  /// "%A" from sAP; "%X" from sNAP, or the whole "grp=%X;" removed when sNAP is empty; the options'
  /// "%R", "%W", "%I", "%U", "%C", "%T", "%D", "%MV", "%MP", "%MC"; then checks that the text holds
  /// "#stop" and "#wait" and splits it at every ";". Any failure raises errVTI_InvalidMuSeq from
  /// CMicroSequence with text 905 and the template id, the sequence as far as it was built and
  /// the directive being checked ("#stop", "#wait" or empty); the list is then as it was before.
  void Initialize(int32_t etc, int32_t epc, const std::string& sAP, const std::string& sNAP,
                  const CKsvTestOptions& testOptions);

  int32_t Count() const { return static_cast<int32_t>(mvInstructions.size()); }

  /// The instruction at i (0-based); the empty text for i outside 0 to Count - 1.
  std::string Instruction(int32_t i) const;

  /// What to send after an abort at instruction iCurrent: no sequence has reset instructions, so
  /// always the empty text.
  std::string GetResetInstructions(int32_t iCurrent) const;

 private:
  std::vector<std::string> mvInstructions;
};

}  // namespace ksv940
