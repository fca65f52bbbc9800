#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/plan/CTestPlan.h"

namespace ksv940 {

/// A failure as the host received it, with the text the operator read.
struct SRunError {
  int32_t lNumber = 0;
  std::string sDescription;
};

/// One step of a run as a report keeps it.
struct SStepRecord {
  int32_t lIndex = 0;  ///< from 1
  EStepKind esk = eskTest;
  std::string sName;
  /// The test's code, power configuration, applied parts and lead; tests only.
  std::optional<int32_t> lId;
  std::optional<int32_t> lPc;
  std::optional<std::string> sAp;
  std::optional<std::string> sNap;
  std::optional<int16_t> iLead;
  /// "completed", "aborted", "not performed" or "overflow" as the result's state was left;
  /// "skipped" for a step that never started.
  std::string sState = "skipped";
  /// The reading in the test's unit: set when the result holds one (completed or overflow).
  std::optional<double> dValue;
  std::string sUnknown;  ///< "OL" when the analyzer could not measure, else empty
  std::string sSuffix;   ///< the AC/DC marker
  std::string sUnit;
  std::string sDisplay;  ///< what a person reads: "1 234.5 V", "250 uA AC+DC", "OL MOhm"
  std::optional<double> dMin;
  std::optional<double> dMax;
  std::string sVerdict;  ///< "pass" or "fail" when limits are given and a reading was taken
  std::optional<SRunError> error;
  std::string sStarted;  ///< ISO 8601; empty until the step starts
  std::optional<double> dSeconds;
  bool fStopped = false;  ///< the operator (or Ctrl-C) stopped the run in this step
};

/// One test option with the value a run used.
struct SOptionValue {
  std::string sName;
  bool fBoolean = false;
  int32_t lValue = 0;  ///< booleans -1 or 0
};

/// Everything a run's reports show; complete after every step, so that a run that ends at any
/// point leaves a readable record.
struct SRunRecord {
  std::string sPlanName;
  std::string sPlanFile;
  std::string sLink;  ///< "serial:/dev/ttyUSB0", "wireless:HOST:PORT" or "simulated"
  bool fIdentified = false;
  std::string sModel;
  std::string sSerial;
  std::string sFirmware;
  std::vector<SOptionValue> vOptions;
  std::string sStarted;
  std::string sFinished;  ///< empty while the run goes on
  /// "completed", "failed", "stopped", "out of limits", "no analyzer", "unreachable" (the bridge);
  /// "incomplete" while the run goes on (and so in the report of a run that was killed).
  std::string sOutcome = "incomplete";
  std::optional<SRunError> connectionError;  ///< why the connection failed
  /// Why the port of a failed connection cannot be opened, in the system's words; empty when it
  /// can, or was not asked.
  std::string sPortProblem;
  std::vector<SStepRecord> vSteps;
};

}  // namespace ksv940
