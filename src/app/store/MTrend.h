#pragma once

#include <string>

#include "app/store/SStoredRun.h"

namespace ksv940 {

/// How far a value moved from its previous one, signed, with its unit: "+12 uA", "-0.5 MOhm",
/// "+0 uA".
std::string ChangeText(double dChange, const std::string& sUnit);

/// The remark for a value that moved toward one of its limits (up toward its max, down toward
/// its min) by more than dWarnPercent of that limit since previous: "worse since 2024-05-17 (+12
/// uA)"; empty for a smaller move, a move away from the limits, or a step without limits. A
/// remark only: it never changes the step's verdict.
std::string TrendRemark(const SStoredStep& step, const SPreviousValue& previous,
                        double dWarnPercent);

/// sIso ("2024-05-17T09:30:05+02:00", or already "...Z") as UTC: "2024-05-17T07:30:05Z"; the
/// empty text stays empty.
std::string UtcTime(const std::string& sIso);

/// A unit as a person reads it: "µA" for "uA", "Ω" for "Ohm", "MΩ" for "MOhm"; others as they
/// stand.
std::string PersonUnit(const std::string& sUnit);

/// sText with each sUnit that stands as a word after a blank ("250 uA AC+DC", "(+12 uA)", "was
/// 3 Ohm, +1 Ohm") as a person reads it; the stored texts keep the plain codes.
std::string WithPersonUnit(std::string sText, const std::string& sUnit);

/// How many characters a person sees in the UTF-8 text sText: its bytes less the continuation
/// bytes of its multi-byte characters ("250 µA" is 6).
size_t ShownWidth(const std::string& sText);

/// A number as its shortest decimal text, "." for the point whatever the locale: 0.3, 500, -1.25.
std::string NumberText(double dValue);

}  // namespace ksv940
