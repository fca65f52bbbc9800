#pragma once

#include <optional>
#include <string>

#include "app/record/SRunRecord.h"
#include "app/store/MTrend.h"

namespace ksv940 {

/// n and the noun that goes with it: "1 step", "26 steps".
std::string Counted(size_t n, const std::string& sOne, const std::string& sMany);

/// The step's kind as the reports name it: "test", "calibrate" or "hv".
std::string KindName(EStepKind esk);

/// The texts the reports and the console give the record's values: "completed", "not run"...;
/// "pass", "fail" or empty; "completed", "out of limits"...; "pass", "fail", "incomplete".
std::string StateText(EStepState ess);
std::string VerdictText(EStepVerdict esv);
std::string OutcomeText(ERunOutcome ero);
std::string RunVerdictText(ERunVerdict erv);

/// The step's limits in words with its unit: "max 500 uA", "min 2 MOhm", "2 to 10 MOhm"; empty
/// without limits. fPersonUnit: the unit as a person reads it ("max 500 µA").
std::string LimitsText(const SStepRecord& step, bool fPersonUnit = false);

/// Why a step did not pass, in words, or the empty text when it did: the error the operator read,
/// "stopped by the operator", "above max 500 uA", "not run"... fPersonUnit: a limit's unit as a
/// person reads it ("above max 500 µA").
std::string StepRemark(const SStepRecord& step, bool fPersonUnit = false);

/// Whether the step left a result: completed, or an overflow.
bool HasResult(const SStepRecord& step);

/// The step's previous value beside this one: "was 120 uA AC+DC on 2023-05-17, +520 uA"; empty
/// without one.
std::string PreviousText(const SStepRecord& step);

/// Whether the step passed: it ran to its end with a result, no error, and within any limits.
bool StepPassed(const SStepRecord& step);

/// Whether the step failed, which counts against the run (exit code 1, and the run goes on only
/// when told to keep going): it ran and, without a stop, ended in an error or without a result.
bool StepFailed(const SStepRecord& step);

/// What the run says of the device: fail when a step failed, a value is outside its limits or a
/// reading could not be read, or the connection failed; pass when every step completed within its
/// limits; else (stopped, interrupted, killed, steps not run) incomplete.
ERunVerdict RunVerdict(const SRunRecord& record);

/// The run's steps counted: "26 steps: 22 within limits, 4 without limits, 0 outside, 0 failed",
/// followed by the steps stopped and not run where there are any.
std::string StepCounts(const SRunRecord& record);

/// Whether sReply reads as a reading: a number as the result reads it (blanks anywhere) followed
/// by nothing but a unit ("0.25mA", "550.0 MOhm", "12 uA"), or one of the replies the result marks
/// as over range or not measurable ("!21", "!32").
bool IsReadingReply(const std::string& sReply);

/// The step's display (its value, unit and marker) with the unit as a person reads it.
std::string PersonDisplay(const SStepRecord& step);

/// An option's value as the reports write it: "true"/"false" for a Boolean, else the number.
std::string OptionText(const SOptionValue& option);

}  // namespace ksv940
