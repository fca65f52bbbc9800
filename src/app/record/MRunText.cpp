#include "app/record/MRunText.h"

#include <charconv>

namespace ksv940 {

std::string NumberText(double dValue) {
  char szText[64];
  auto [pEnd, ec] = std::to_chars(szText, szText + sizeof szText, dValue);
  return ec == std::errc() ? std::string(szText, pEnd) : std::string();
}

std::string Counted(size_t n, const std::string& sOne, const std::string& sMany) {
  return std::to_string(n) + " " + (n == 1 ? sOne : sMany);
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
  if (step.fStopped) {
    return "stopped by the operator";
  }
  if (step.sState == "skipped") {
    return "not run";
  }
  if (step.sVerdict == "fail") {
    if (!step.dValue || !step.sUnknown.empty() || step.sState == "overflow") {
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
  return step.sState == "completed" || step.sState == "overflow";
}

std::string OptionText(const SOptionValue& option) {
  return option.fBoolean ? (option.lValue != 0 ? "true" : "false") : std::to_string(option.lValue);
}

bool StepFailed(const SStepRecord& step) {
  return !StepRemark(step).empty();
}

}  // namespace ksv940
