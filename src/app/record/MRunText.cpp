#include "app/record/MRunText.h"

#include <charconv>

namespace ksv940 {

std::string NumberText(double dValue) {
  char szText[64];
  auto [pEnd, ec] = std::to_chars(szText, szText + sizeof szText, dValue);
  return ec == std::errc() ? std::string(szText, pEnd) : std::string();
}

std::string KindName(EStepKind esk) {
  switch (esk) {
    case eskTest:
      return "test";
    case eskCalibrate:
      return "calibrate";
    case eskHighVoltage:
      return "hv";
  }
  return {};
}

std::string StateText(EStepState ess) {
  switch (ess) {
    case essNotRun:
      return "skipped";
    case essRunning:
      return "running";
    case essCompleted:
      return "completed";
    case essAborted:
      return "aborted";
    case essNotPerformed:
      return "not performed";
    case essOverflow:
      return "overflow";
    case essUnreadable:
      return "unreadable";
  }
  return std::to_string(ess);
}

std::string VerdictText(EStepVerdict esv) {
  switch (esv) {
    case esvNone:
      return {};
    case esvPass:
      return "pass";
    case esvFail:
      return "fail";
  }
  return std::to_string(esv);
}

std::string OutcomeText(ERunOutcome ero) {
  switch (ero) {
    case eroIncomplete:
      return "incomplete";
    case eroCompleted:
      return "completed";
    case eroFailed:
      return "failed";
    case eroStopped:
      return "stopped";
    case eroInterrupted:
      return "interrupted";
    case eroOutOfLimits:
      return "out of limits";
    case eroNoAnalyzer:
      return "no analyzer";
  }
  return std::to_string(ero);
}

std::string RunVerdictText(ERunVerdict erv) {
  switch (erv) {
    case ervIncomplete:
      return "incomplete";
    case ervPass:
      return "pass";
    case ervFail:
      return "fail";
  }
  return std::to_string(erv);
}

std::string LimitsText(const SStepRecord& step) {
  std::string sUnit = step.sUnit.empty() ? "" : " " + step.sUnit;
  if (step.dMin && step.dMax) {
    return NumberText(*step.dMin) + " to " + NumberText(*step.dMax) + sUnit;
  }
  if (step.dMin) {
    return "min " + NumberText(*step.dMin) + sUnit;
  }
  if (step.dMax) {
    return "max " + NumberText(*step.dMax) + sUnit;
  }
  return {};
}

std::string StepRemark(const SStepRecord& step) {
  if (step.error) {
    return step.error->sDescription.empty() ? std::string("stopped by the operator")
                                            : step.error->sDescription;
  }
  if (step.est != estNone) {
    return "stopped by the operator";
  }
  if (step.ess == essNotRun) {
    return "not run";
  }
  if (step.esv == esvFail) {
    if (!step.dValue || !step.sUnknown.empty() || step.ess == essOverflow) {
      return "no value to compare with the limits";
    }
    std::string sUnit = step.sUnit.empty() ? "" : " " + step.sUnit;
    if (step.dMin && *step.dValue < *step.dMin) {
      return "below min " + NumberText(*step.dMin) + sUnit;
    }
    return "above max " + NumberText(step.dMax.value_or(*step.dValue)) + sUnit;
  }
  if (!HasResult(step)) {
    return "no result";
  }
  return {};
}

bool HasResult(const SStepRecord& step) {
  return step.ess == essCompleted || step.ess == essOverflow;
}

bool StepPassed(const SStepRecord& step) {
  return StepRemark(step).empty();
}

bool StepFailed(const SStepRecord& step) {
  return step.ess != essNotRun && step.est == estNone && (step.error || !HasResult(step));
}

std::string OptionText(const SOptionValue& option) {
  return option.fBoolean ? (option.lValue != 0 ? "true" : "false") : std::to_string(option.lValue);
}

}  // namespace ksv940
