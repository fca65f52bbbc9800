#include "app/run/CPlanRunner.h"

#include <cmath>

#include "app/record/MRunText.h"
#include "app/record/MValueText.h"
#include "app/reports/CReportSet.h"
#include "app/run/ECommandExit.h"
#include "app/run/IWallClock.h"
#include "host/IOrvexMtiData.h"
#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestOptions.h"
#include "model/CKsvTestResult.h"
#include "model/GDeclares.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/core/MText.h"
#include "plugin/CKsvVti.h"
#include "support/MError.h"

namespace ksv940 {

namespace {

// The plug-in's result state as the record keeps it.
EStepState StateOf(int32_t ets) {
  switch (ets) {
    case etsCompleted:
      return essCompleted;
    case etsAborted:
      return essAborted;
    case etsOverflow:
      return essOverflow;
    default:
      return essNotPerformed;
  }
}

// The failure as the host received it, with the words the operator read: the message box's text,
// or for an abort (which shows none) what the error itself says.
SRunError ErrorOf(const CAutomationError& err) {
  std::string sText = err.Number() == errVTI_UserAbort ? err.Description() : OperatorText(err);
  // Control characters other than line breaks would spoil a report; they are shown as escapes.
  std::string sShown;
  for (char c : sText) {
    bool fControl = static_cast<unsigned char>(c) < 32 && c != '\r' && c != '\n' && c != '\t';
    sShown += fControl ? EscapeControls(std::string(1, c)) : std::string(1, c);
  }
  return {err.Number(), sShown};
}

// The zeroing runs the protective-earth sequence: its reading has that test's format and unit.
CKsvSafetyTest ProtectiveEarthTest() {
  CKsvSafetyTest protectiveEarth;
  protectiveEarth.Initialize(etcProtEarth, epcOff);
  return protectiveEarth;
}

CAutomationError Caught() {
  return CAutomationError::FromCurrentException();
}

}  // namespace

CPlanRunner::CPlanRunner(CKsvVti& vti, IWindow& testGuide, const CTestPlan& plan,
                         CReportSet& reports, IRunObserver& observer)
    : mVti(vti), mTestGuide(testGuide), mPlan(plan), mReports(reports), mObserver(observer) {
  mRecord.sPlanName = plan.Name();
  mRecord.sPlanFile = plan.File();
  int32_t lIndex = 0;
  for (const SPlanStep& step : plan.Steps()) {
    SStepRecord record;
    record.lIndex = ++lIndex;
    record.esk = step.esk;
    record.sName = step.sName;
    record.dMin = step.dMin;
    record.dMax = step.dMax;
    if (step.pTest) {
      record.lId = step.pTest->TestCode();
      record.lPc = step.pTest->PowerConfig();
      record.sAp = step.pTest->AP();
      record.sNap = step.pTest->NAP();
      record.iLead = step.pTest->LeadNo();
      record.sUnit = step.pTest->Unit().value_or("");
    } else if (step.esk == eskCalibrate) {
      record.sUnit = ProtectiveEarthTest().Unit().value_or("");
    }
    mRecord.vSteps.push_back(record);
  }
}

void CPlanRunner::Interrupt() {
  mfInterrupted = true;
  if (mVti.State() == evsConnecting) {
    mVti.EndRemote(&mTestGuide);
  } else {
    mVti.Abort();
  }
}

int CPlanRunner::Run(int16_t iPort, const std::string& sLink, bool fKeepGoing) {
  IWallClock& wall = CContext::Get<IWallClock>();
  mRecord.sLink = sLink;
  mRecord.sStarted = wall.IsoTime(wall.NowEpochUs());
  const CKsvTestOptions& options = *mVti.testOptions();
  for (const SOptionProperty& property : CKsvTestOptions::Properties()) {
    mRecord.vOptions.push_back(
        {property.sName, property.eok == eokBoolean, property.fnGet(options)});
  }
  // A report that cannot be written is found before anything is sent to the analyzer.
  if (!mReports.Write(mRecord)) {
    return ecxUsage;
  }

  if (Connect(iPort)) {
    mReports.Write(mRecord);
    CMessagePump& pump = CContext::Get<CMessagePump>();
    for (size_t n = 0; n < mRecord.vSteps.size(); ++n) {
      // An interrupt that came while nothing waited is taken in before the next step.
      pump.ProcessPending();
      if (mfInterrupted) {
        break;
      }
      RunStep(n);
      const SStepRecord& step = mRecord.vSteps[n];
      mReports.Write(mRecord);
      mObserver.StepEnded(mRecord, n);
      if (step.est != estNone || mfInterrupted || (StepFailed(step) && !fKeepGoing)) {
        break;
      }
    }
  }
  // Remote operation is ended whatever happened; what goes to the analyzer then is the plug-in's
  // own rule (after a failed exchange, nothing).
  mVti.EndRemote(&mTestGuide);
  return Finish();
}

bool CPlanRunner::Connect(int16_t iPort) {
  mObserver.Connecting(mRecord);
  bool fConnected = false;
  try {
    mVti.InitRemote(iPort);
    fConnected = mVti.State() != evsClosed;
    mfNoAnalyzer = !fConnected;
  } catch (...) {
    mRecord.connectionError = ErrorOf(Caught());
  }
  if (auto pMtiData = mVti.MtiData()) {
    mRecord.fIdentified = true;
    mRecord.sModel = EscapeControls(pMtiData->Model());
    mRecord.sSerial = EscapeControls(pMtiData->SerialNumber());
    mRecord.sFirmware = EscapeControls(pMtiData->FirmwareVersion());
  }
  mObserver.Connected(mRecord);
  return fConnected && !mfInterrupted;
}

void CPlanRunner::RunStep(size_t nStep) {
  const SPlanStep& step = mPlan.Steps()[nStep];
  SStepRecord& record = mRecord.vSteps[nStep];
  IWallClock& wall = CContext::Get<IWallClock>();
  IClock& clock = CContext::Get<CMessagePump>().Clock();
  record.sStarted = wall.IsoTime(wall.NowEpochUs());
  record.ess = essNotPerformed;
  mObserver.StepStarting(mRecord, nStep);
  int64_t lStartUs = clock.NowUs();
  bool fFlagBefore = mVti.FlagAbort();
  bool fFailed = false;
  try {
    if (step.esk == eskTest) {
      mVti.RunSafetyTest(step.pTest, &mTestGuide);
    } else if (step.esk == eskCalibrate) {
      mVti.Calibrate();
    } else {
      mVti.InHighVoltageMode();
    }
  } catch (...) {
    fFailed = true;
    record.error = ErrorOf(Caught());
  }
  record.dSeconds = std::round(static_cast<double>(clock.NowUs() - lStartUs) / 1000.0) / 1000.0;

  if (step.esk == eskHighVoltage) {
    record.ess = fFailed ? essNotPerformed : essCompleted;
    // After a failed exchange the plug-in sends nothing until a zeroing, and an empty status reads
    // as "off": when the latch of that failure is still set afterwards, the analyzer was not
    // asked, and the record must not claim it was.
    bool fNotAsked = fFlagBefore && mVti.FlagAbort();
    if (!fFailed) {
      record.sDisplay = fNotAsked ? "High voltage: off (not asked: an earlier exchange failed)"
                                  : "High voltage: off";
    }
  } else {
    ReadResult(step, record);
  }
  // Stop Test in a dialog ends a test without an error (on the serial link) and leaves FlagAbort
  // set; on the wireless link it ends with errVTI_UserAbort. Zeroing and the high-voltage check
  // show no dialogs, so there FlagAbort only tells of a failed exchange.
  bool fUserAbort = record.error && record.error->lNumber == errVTI_UserAbort;
  if (fUserAbort || (!fFailed && step.esk == eskTest && mVti.FlagAbort())) {
    record.est = estOperator;
  }

  if ((record.dMin || record.dMax) && HasResult(record)) {
    bool fComparable = record.dValue && record.sUnknown.empty() && record.ess == essCompleted;
    bool fWithin = fComparable && (!record.dMin || *record.dValue >= *record.dMin) &&
                   (!record.dMax || *record.dValue <= *record.dMax);
    record.esv = fWithin ? esvPass : esvFail;
  }
}

void CPlanRunner::ReadResult(const SPlanStep& step, SStepRecord& record) const {
  const CKsvTestResult& result = *mVti.TestResult();
  record.ess = StateOf(result.State());
  record.sUnknown = result.ValueUnknown();
  record.sSuffix = result.UnitSuffix();
  if (!HasResult(record) || !step.fTakesReading) {
    return;
  }
  record.dValue = ReadableValue(result.Value());
  std::string sFormat = step.pTest ? step.pTest->ValueFormat().value_or("")
                                   : ProtectiveEarthTest().ValueFormat().value_or("");
  std::string sUnit = record.sUnit.empty() ? "" : " " + record.sUnit;
  if (!record.sUnknown.empty()) {
    record.sDisplay = record.sUnknown + sUnit;
  } else if (result.State() == etsOverflow) {
    record.sDisplay = "over range";
  } else {
    record.sDisplay = FormatValue(result.Value(), sFormat) + sUnit;
  }
  if (!record.sSuffix.empty()) {
    record.sDisplay += " " + record.sSuffix;
  }
}

int CPlanRunner::Finish() {
  IWallClock& wall = CContext::Get<IWallClock>();
  mRecord.sFinished = wall.IsoTime(wall.NowEpochUs());
  bool fStopped = mfInterrupted ||
                  (mRecord.connectionError && mRecord.connectionError->lNumber == errVTI_UserAbort);
  bool fFailed = mRecord.connectionError.has_value();
  bool fOutOfLimits = false;
  for (const SStepRecord& step : mRecord.vSteps) {
    fStopped = fStopped || step.est != estNone;
    fOutOfLimits = fOutOfLimits || step.esv == esvFail;
    fFailed = fFailed || StepFailed(step);
  }
  int iExit = ecxOk;
  if (mfNoAnalyzer && !fStopped) {
    mRecord.ero = eroNoAnalyzer;
    iExit = ecxNoInstrument;
  } else if (fStopped) {
    mRecord.ero = eroStopped;
    iExit = ecxUserAbort;
  } else if (fFailed) {
    mRecord.ero = eroFailed;
    iExit = ecxFailure;
  } else if (fOutOfLimits) {
    mRecord.ero = eroOutOfLimits;
    iExit = ecxOutOfLimits;
  } else {
    mRecord.ero = eroCompleted;
  }
  mReports.Write(mRecord);
  mObserver.Finished(mRecord);
  if (mReports.Failed() && (iExit == ecxOk || iExit == ecxOutOfLimits)) {
    iExit = ecxFailure;
  }
  return iExit;
}

}  // namespace ksv940
