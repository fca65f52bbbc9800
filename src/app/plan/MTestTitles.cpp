#include "app/plan/MTestTitles.h"

#include <iterator>

namespace ksv940 {

std::string TestTitle(int32_t etc) {
  static const char* const kTitles[] = {
      "Mains voltage",
      "Protective earth resistance",
      "Insulation resistance, mains",
      "Insulation resistance, applied parts",
      "Insulation resistance, mains to applied parts",
      "Insulation resistance, mains to non-earthed parts",
      "Insulation resistance, applied parts to non-earthed parts",
      "Earth leakage",
      "Enclosure leakage",
      "Patient leakage",
      "Patient auxiliary leakage",
      "Mains on applied parts",
      "Point-to-point voltage",
      "Point-to-point resistance",
      "Point-to-point leakage",
      "Equipment current",
      "Alternative equipment leakage",
      "Differential leakage",
      "Direct equipment leakage",
      "Direct applied-part leakage",
      "Accessible part leakage",
      "Alternative applied-part leakage",
      "Accessible voltage",
      "ECG simulation",
  };
  if (etc < 1 || etc > static_cast<int32_t>(std::size(kTitles))) {
    return "Test " + std::to_string(etc);
  }
  return kTitles[etc - 1];
}

std::string PowerConfigTitle(int32_t epc) {
  static const char* const kTitles[] = {
      "outlet off, open earth",
      "outlet off",
      "open neutral",
      "normal condition",
      "open earth",
      "open neutral, reversed mains",
      "normal condition, reversed mains",
      "open earth, reversed mains",
      "mains L1-L2",
      "mains L1-ground",
      "mains L2-ground",
      "accessible parts, normal condition",
      "accessible parts, open neutral",
      "accessible parts, open earth",
      "accessible parts, normal condition, reversed mains",
      "accessible parts, open neutral, reversed mains",
      "accessible parts, open earth, reversed mains",
  };
  if (epc < 0 || epc >= static_cast<int32_t>(std::size(kTitles))) {
    return "power configuration " + std::to_string(epc);
  }
  return kTitles[epc];
}

std::string DefaultStepName(int32_t etc, int32_t epc) {
  return TestTitle(etc) + ", " + PowerConfigTitle(epc);
}

}  // namespace ksv940
