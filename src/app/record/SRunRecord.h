#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/plan/CTestPlan.h"
#include "app/store/SStoredRun.h"

namespace ksv940 {

/// Where a step of a run stands. The plug-in's result states (completed, aborted, not performed,
/// overflow) as the step left them, and the run's own: a step not (yet) run, a step running, a
/// step whose reading the analyzer sent as something that is not a reading.
enum EStepState : int {
  essNotRun = 0,
  essRunning = 1,
  essCompleted = 2,
  essAborted = 3,
  essNotPerformed = 4,
  essOverflow = 5,
  essUnreadable = 6
};

/// How many of a device's earlier values of a test a run's record keeps beside each step: the
/// last one to compare with, and the rest for the step's trend chart.
constexpr int32_t kEarlierValues = 10;

/// A step's value against its limits: none without limits or without a result.
enum EStepVerdict : int { esvNone = 0, esvPass = 1, esvFail = 2 };

/// Who ended the run in a step: nobody, the operator's Stop Test, or an interrupt (Ctrl-C).
enum EStepStop : int { estNone = 0, estOperator = 1, estInterrupt = 2 };

/// How a run ended; incomplete while it goes on, and so in the record of a run that was killed.
enum ERunOutcome : int {
  eroIncomplete = 0,
  eroCompleted = 1,
  eroFailed = 2,
  eroStopped = 3,
  eroInterrupted = 4,
  eroOutOfLimits = 5,
  eroNoAnalyzer = 6,
  eroUnreachable = 7  ///< the wireless bridge could not be reached
};

/// What the run says of the device: every step completed within its limits, something failed,
/// or the run did not get to the end.
enum ERunVerdict : int { ervIncomplete = 0, ervPass = 1, ervFail = 2 };

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
  EStepState ess = essNotRun;
  /// The reading in the test's unit: set when the result holds one (completed or overflow).
  std::optional<double> dValue;
  std::string sUnknown;  ///< "OL" when the analyzer could not measure, else empty
  std::string sSuffix;   ///< the AC/DC marker
  std::string sUnit;
  std::string sDisplay;  ///< what a person reads: "1 234.5 V", "250 uA AC+DC", "OL MOhm"
  /// The reply the analyzer sent for the reading, control characters escaped; none for a step
  /// that took no reading.
  std::optional<std::string> sReply;
  std::optional<double> dMin;
  std::optional<double> dMax;
  EStepVerdict esv = esvNone;  ///< given limits and a reading
  std::optional<SRunError> error;
  std::string sStarted;  ///< ISO 8601; empty until the step starts
  std::optional<double> dSeconds;
  EStepStop est = estNone;  ///< the operator (or Ctrl-C) stopped the run in this step
  /// The device's earlier values of this test from the results store, newest first (at most
  /// kEarlierValues); none without history.
  std::vector<SPreviousValue> vEarlier;
  /// "worse since DATE (+x uA)" for a value that moved toward a limit; never changes a verdict.
  std::string sTrend;

  /// The latest of vEarlier, the value this one is compared with; null without history.
  const SPreviousValue* Previous() const { return vEarlier.empty() ? nullptr : &vEarlier.front(); }
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
  std::string sReportId;  ///< a UUID, new for every run
  std::string sPlanName;
  std::string sPlanFile;
  std::string sPlanPath;    ///< the plan file's absolute path
  std::string sPlanSha256;  ///< of the plan file's bytes
  CDeviceUnderTest device;
  std::string sTester;  ///< who tested; empty where not given
  std::string sLink;    ///< "serial:/dev/ttyUSB0", "wireless:HOST:PORT" or "simulated"
  bool fIdentified = false;
  std::string sModel;
  std::string sSerial;
  std::string sFirmware;
  std::vector<SOptionValue> vOptions;
  std::string sStarted;
  std::string sFinished;  ///< empty while the run goes on
  ERunOutcome ero = eroIncomplete;
  /// Remarks on the run as a whole: a Stop Test pressed while remote operation ended.
  std::vector<std::string> vRemarks;
  std::optional<SRunError> connectionError;  ///< why the connection failed
  /// Why the port of a failed connection cannot be opened, in the system's words; empty when it
  /// can, or was not asked.
  std::string sPortProblem;
  std::vector<SStepRecord> vSteps;
};

}  // namespace ksv940
