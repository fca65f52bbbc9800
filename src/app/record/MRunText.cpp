#include "app/record/MRunText.h"

#include "app/store/MTrend.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace ksv940 {

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

std::string StateText(EStepState ess) {
  switch (ess) {
    case essNotRun:
      return "not run";
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
    case eroUnreachable:
      return "unreachable";
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

namespace {

// The step's unit after a number (" uA", or " µA" for a person), empty without one.
std::string UnitText(const SStepRecord& step, bool fPersonUnit) {
  if (step.sUnit.empty()) {
    return {};
  }
  return " " + (fPersonUnit ? PersonUnit(step.sUnit) : step.sUnit);
}

}  // namespace

std::string LimitsText(const SStepRecord& step, bool fPersonUnit) {
  std::string sUnit = UnitText(step, fPersonUnit);
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

std::string StepRemark(const SStepRecord& step, bool fPersonUnit) {
  if (step.est == estInterrupt) {
    return "interrupted";
  }
  if (step.error && !step.error->sDescription.empty()) {
    return step.error->sDescription;
  }
  if (step.error || step.est != estNone) {
    return "stopped by the operator";
  }
  if (step.ess == essNotRun) {
    return "not run";
  }
  if (step.ess == essRunning) {
    return "not finished";
  }
  if (step.ess == essUnreadable) {
    return "the analyzer's reply \"" + step.sReply.value_or("") + "\" is not a reading";
  }
  if (step.esv == esvFail) {
    if (!step.dValue || !step.sUnknown.empty() || step.ess == essOverflow) {
      return "no value to compare with the limits";
    }
    std::string sUnit = UnitText(step, fPersonUnit);
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

std::string PreviousText(const SStepRecord& step) {
  if (!step.Previous()) {
    return {};
  }
  std::string sText =
      "was " + step.Previous()->sDisplay + " on " + step.Previous()->sStarted.substr(0, 10);
  if (step.dValue) {
    sText += ", " + ChangeText(*step.dValue - step.Previous()->dValue, step.sUnit);
  }
  return sText;
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

ERunVerdict RunVerdict(const SRunRecord& record) {
  bool fFailed = record.ero == eroFailed || record.ero == eroOutOfLimits;
  for (const SStepRecord& step : record.vSteps) {
    fFailed = fFailed || StepFailed(step) || step.esv == esvFail;
  }
  if (fFailed) {
    return ervFail;
  }
  return record.ero == eroCompleted ? ervPass : ervIncomplete;
}

std::string StepCounts(const SRunRecord& record) {
  size_t nWithin = 0, nWithout = 0, nOutside = 0, nFailed = 0, nStopped = 0, nNotRun = 0;
  for (const SStepRecord& step : record.vSteps) {
    if (StepFailed(step)) {
      ++nFailed;
    } else if (step.est != estNone) {
      ++nStopped;
    } else if (step.ess == essNotRun) {
      ++nNotRun;
    } else if (step.esv == esvPass) {
      ++nWithin;
    } else if (step.esv == esvFail) {
      ++nOutside;
    } else {
      ++nWithout;
    }
  }
  size_t nSteps = record.vSteps.size();
  std::string sText = std::to_string(nSteps) + (nSteps == 1 ? " step: " : " steps: ") +
                      std::to_string(nWithin) + " within limits, " + std::to_string(nWithout) +
                      " without limits, " + std::to_string(nOutside) + " outside, " +
                      std::to_string(nFailed) + " failed";
  if (nStopped > 0) {
    sText += ", " + std::to_string(nStopped) + " stopped";
  }
  if (nNotRun > 0) {
    sText += ", " + std::to_string(nNotRun) + " not run";
  }
  return sText;
}

bool IsReadingReply(const std::string& sReply) {
  if (sReply == "!21" || sReply == "!32") {
    return true;
  }
  // Blanks, tabs and line breaks count for nothing wherever they stand, as for the result.
  std::string s;
  for (char c : sReply) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
      s += c;
    }
  }
  size_t n = 0;
  auto Digits = [&] {
    size_t nStart = n;
    while (n < s.size() && std::isdigit(static_cast<unsigned char>(s[n]))) {
      ++n;
    }
    return n - nStart;
  };
  if (n < s.size() && (s[n] == '+' || s[n] == '-')) {
    ++n;
  }
  size_t nDigits = Digits();
  if (n < s.size() && s[n] == '.') {
    ++n;
    nDigits += Digits();
  }
  if (nDigits == 0) {
    return false;
  }
  if (n < s.size() && (s[n] == 'e' || s[n] == 'E')) {
    size_t nExponent = n++;
    if (n < s.size() && (s[n] == '+' || s[n] == '-')) {
      ++n;
    }
    if (Digits() == 0) {
      n = nExponent;  // "e" without digits is no exponent: the rest must be a unit
    }
  }
  // The unit: a metric prefix or none, and a base unit, in any case.
  std::string sUnit = s.substr(n);
  std::transform(sUnit.begin(), sUnit.end(), sUnit.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (sUnit.empty()) {
    return true;
  }
  for (const char* szPrefix : {"", "p", "n", "u", "\xc2\xb5", "m", "k", "g"}) {
    if (!sUnit.starts_with(szPrefix)) {
      continue;
    }
    std::string sBase = sUnit.substr(std::string(szPrefix).size());
    for (const char* szBase : {"a", "v", "va", "w", "ohm", "ohms", "\xce\xa9", "hz", "s"}) {
      if (sBase == szBase) {
        return true;
      }
    }
  }
  return false;
}

std::string PersonDisplay(const SStepRecord& step) {
  return WithPersonUnit(step.sDisplay, step.sUnit);
}

std::string OptionText(const SOptionValue& option) {
  return option.fBoolean ? (option.lValue != 0 ? "true" : "false") : std::to_string(option.lValue);
}

}  // namespace ksv940
