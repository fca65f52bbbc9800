#include "platform/forms/EOperatorAnswer.h"

#include <algorithm>
#include <cctype>

namespace ksv940 {

std::string OperatorAnswerName(EOperatorAnswer eoa) {
  switch (eoa) {
    case eoaContinue:
      return "continue";
    case eoaStop:
      return "stop";
    case eoaSkip:
      return "skip";
    case eoaNone:
      break;
  }
  return "none";
}

std::optional<EOperatorAnswer> OperatorAnswerFromName(const std::string& sName) {
  std::string sLower = sName;
  std::transform(sLower.begin(), sLower.end(), sLower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (EOperatorAnswer eoa : {eoaContinue, eoaStop, eoaSkip}) {
    if (sLower == OperatorAnswerName(eoa)) {
      return eoa;
    }
  }
  return std::nullopt;
}

}  // namespace ksv940
