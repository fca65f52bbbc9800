#pragma once

#include <optional>
#include <string>

namespace ksv940 {

/// What an operator can answer in a dialog: the part a button plays, independent of its caption
/// and language. eoaNone is no answer at all (the dialog is left to close by itself).
enum EOperatorAnswer : int { eoaNone = 0, eoaContinue = 1, eoaStop = 2, eoaSkip = 3 };

/// "none", "continue", "stop" or "skip".
std::string OperatorAnswerName(EOperatorAnswer eoa);

/// The answer named "continue", "stop" or "skip" (any letter case); nothing for another text.
std::optional<EOperatorAnswer> OperatorAnswerFromName(const std::string& sName);

}  // namespace ksv940
