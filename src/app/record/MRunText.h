#pragma once

#include <optional>
#include <string>

#include "app/record/SRunRecord.h"

namespace ksv940 {

/// A number as its shortest decimal text, "." for the point whatever the locale: 0.3, 500, -1.25.
std::string NumberText(double dValue);

/// n and the noun that goes with it: "1 step", "26 steps".
std::string Counted(size_t n, const std::string& sOne, const std::string& sMany);

/// The step's kind as the reports name it: "test", "calibrate" or "hv".
std::string KindName(EStepKind esk);

/// The step's limits in words with its unit: "max 500 uA", "min 2 MOhm", "2 to 10 MOhm"; empty
/// without limits.
std::string LimitsText(const SStepRecord& step);

/// Why a step did not pass, in words, or the empty text when it did: the error the operator read,
/// "stopped by the operator", "above max 500 uA", "not run"...
std::string StepRemark(const SStepRecord& step);

/// Whether the step left a result: completed, or an overflow.
bool HasResult(const SStepRecord& step);

/// An option's value as the reports write it: "true"/"false" for a Boolean, else the number.
std::string OptionText(const SOptionValue& option);

/// Whether the step counts against the run: a failure, a stop, a value outside its limits, a
/// step that did not leave a result.
bool StepFailed(const SStepRecord& step);

}  // namespace ksv940
