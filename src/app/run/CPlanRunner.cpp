#include "app/run/CPlanRunner.h"

#include <cmath>
#include <random>

#include "app/record/MRunText.h"
#include "app/record/MValueText.h"
#include "app/reports/CReportSet.h"
#include "app/run/ECommandExit.h"
#include "app/run/IWallClock.h"
#include "app/run/MStoredRecord.h"
#include "app/store/CStoreError.h"
#include "app/store/MTrend.h"
#include "dialogs/FStopOnPC.h"
#include "hostapi/IOrvexMtiData.h"
#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestOptions.h"
#include "model/CKsvTestResult.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/core/MText.h"
#include "platform/forms/IFormView.h"
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

// A version 4 UUID from the system's random source: the report's id, new for every run.
std::string NewReportId() {
  std::random_device random;
  unsigned char bytes[16] = {};
  for (unsigned char& byte : bytes) {
    byte = static_cast<unsigned char>(random());
  }
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string sId;
  for (size_t i = 0; i < sizeof bytes; ++i) {
    sId += (i == 4 || i == 6 || i == 8 || i == 10) ? "-" : "";
    sId += kHex[bytes[i] >> 4];
    sId += kHex[bytes[i] & 0xF];
  }
  return sId;
}

// Passes forms on to the operator's view and notes a Stop Test pressed in a stop dialog. While
// remote operation ends, such a press changes nothing the plug-in sends; the record keeps it.
class CStopNotingView : public IFormView {
 public:
  explicit CStopNotingView(std::shared_ptr<IFormView> pView) : mpView(std::move(pView)) {}
  void FormShown(CForm& frm) override { mpView->FormShown(frm); }
  void FormChanged(CForm& frm, const CControl* pControl) override {
    mpView->FormChanged(frm, pControl);
  }
  void FormHidden(CForm& frm) override {
    mpView->FormHidden(frm);
    const auto* pStop = dynamic_cast<const FStopOnPC*>(&frm);
    mfStopPressed = mfStopPressed || (pStop != nullptr && pStop->Cancel());
  }
  void Show(const std::string& sText, const std::string& sTitle, bool fExclamation) override {
    mpView->Show(sText, sTitle, fExclamation);
  }
  bool StopPressed() const { return mfStopPressed; }

 private:
  std::shared_ptr<IFormView> mpView;
  bool mfStopPressed = false;
};

CAutomationError Caught() {
  return CAutomationError::FromCurrentException();
}

}  // namespace

CPlanRunner::CPlanRunner(CKsvVti& vti, IWindow& testGuide, const CTestPlan& plan,
                         CReportSet& reports, IRunObserver& observer)
    : mVti(vti), mTestGuide(testGuide), mPlan(plan), mReports(reports), mObserver(observer) {
  mRecord.sReportId = NewReportId();
  mRecord.sPlanName = plan.Name();
  mRecord.sPlanFile = plan.File();
  mRecord.sPlanPath = plan.AbsolutePath();
  mRecord.sPlanSha256 = plan.Sha256();
  mRecord.device = plan.Device();
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
  // So is a results store that cannot take the run.
  if (mpStore != nullptr) {
    try {
      SStoredRun run = StoredRun(mRecord);
      mStoredDevice = run.device;
      mlStoredRun = mpStore->BeginRun(run);
    } catch (const CStoreError& e) {
      *mpStoreErr << "ksv940 run: " << e.what() << "\n";
      return ecxUsage;
    }
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
      KeepStep(mRecord.vSteps[n]);
      mnStepsKept = n + 1;
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
  auto pView = std::make_shared<CStopNotingView>(CContext::Share<IFormView>());
  {
    CContextScope scope;
    scope.Set<IFormView>(pView);
    mVti.EndRemote(&mTestGuide);
  }
  if (pView->StopPressed()) {
    mRecord.vRemarks.push_back("Stop Test was pressed while remote operation ended");
  }
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
  CheckLink();
  if (auto pMtiData = mVti.MtiData()) {
    mRecord.fIdentified = true;
    mRecord.sModel = EscapeControls(pMtiData->Model());
    mRecord.sSerial = EscapeControls(pMtiData->SerialNumber());
    mRecord.sFirmware = EscapeControls(pMtiData->FirmwareVersion());
  }
  mObserver.Connected(mRecord);
  return fConnected && !mfInterrupted;
}

void CPlanRunner::CheckLink() {
  bool fFailed = mRecord.connectionError && mRecord.connectionError->lNumber != errVTI_UserAbort;
  if (!mfnLinkProblem || mfInterrupted || !(fFailed || mfNoAnalyzer)) {
    return;
  }
  // Asked only now, so that a working link is never touched twice.
  std::string sProblem = mfnLinkProblem();
  if (sProblem.empty()) {
    return;
  }
  if (mfWireless) {
    mfUnreachable = true;
    mfNoAnalyzer = false;
    mRecord.connectionError = SRunError{0, sProblem};
  } else {
    mRecord.sPortProblem = sProblem;
  }
}

void CPlanRunner::RunStep(size_t nStep) {
  const SPlanStep& step = mPlan.Steps()[nStep];
  SStepRecord& record = mRecord.vSteps[nStep];
  IWallClock& wall = CContext::Get<IWallClock>();
  IClock& clock = CContext::Get<CMessagePump>().Clock();
  record.sStarted = wall.IsoTime(wall.NowEpochUs());
  // The reports say which step runs, so that a run killed in it reads as one.
  record.ess = essRunning;
  mReports.Write(mRecord);
  mObserver.StepStarting(mRecord, nStep);
  int64_t lStartUs = clock.NowUs();
  bool fFlagBefore = mVti.FlagAbort();
  std::shared_ptr<CKsvTestResult> pResultBefore = mVti.TestResult();
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
    // The plug-in starts a new result with every test and zeroing; one that failed before it
    // did leaves the earlier step's result, which is not this step's reading.
    bool fNewResult = mVti.TestResult() != pResultBefore;
    ReadResult(step, record, fNewResult);
  }
  // Stop Test in a dialog ends a test without an error (on the serial link) and leaves FlagAbort
  // set; on the wireless link it ends with errVTI_UserAbort. Zeroing and the high-voltage check
  // show no dialogs, so there FlagAbort only tells of a failed exchange.
  bool fUserAbort = record.error && record.error->lNumber == errVTI_UserAbort;
  if (fUserAbort || (!fFailed && step.esk == eskTest && mVti.FlagAbort())) {
    record.est = mfInterrupted ? estInterrupt : estOperator;
  }

  if (record.ess == essUnreadable) {
    record.esv = esvFail;
  } else if ((record.dMin || record.dMax) && HasResult(record)) {
    bool fComparable = record.dValue && record.sUnknown.empty() && record.ess == essCompleted;
    bool fWithin = fComparable && (!record.dMin || *record.dValue >= *record.dMin) &&
                   (!record.dMax || *record.dValue <= *record.dMax);
    record.esv = fWithin ? esvPass : esvFail;
  }
}

void CPlanRunner::ReadResult(const SPlanStep& step, SStepRecord& record, bool fNewResult) const {
  const CKsvTestResult& result = *mVti.TestResult();
  record.ess = StateOf(result.State());
  if (fNewResult && result.Reading()) {
    record.sReply = EscapeControls(*result.Reading());
    // The plug-in reads any reply as a number (a garbled one as 0); the record does not take a
    // reply that is not a reading as a value. An empty reply leaves no result already.
    if (!result.Reading()->empty() && !IsReadingReply(*result.Reading())) {
      record.ess = essUnreadable;
      return;
    }
  }
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
  if (mfUnreachable && !fStopped) {
    mRecord.ero = eroUnreachable;
    iExit = ecxUnreachable;
  } else if (mfNoAnalyzer && !fStopped) {
    mRecord.ero = eroNoAnalyzer;
    iExit = ecxNoInstrument;
  } else if (fStopped) {
    mRecord.ero = mfInterrupted ? eroInterrupted : eroStopped;
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
  if (mpStore != nullptr && !mfStoreFailed) {
    try {
      SStoredRun run = StoredRun(mRecord);
      for (size_t n = mnStepsKept; n < mRecord.vSteps.size(); ++n) {
        run.vSteps.push_back(StoredStep(mRecord.vSteps[n]));
      }
      mpStore->EndRun(mlStoredRun, run);
    } catch (const CStoreError& e) {
      StoreFailed(e.what());
    }
  }
  mReports.Write(mRecord);
  mObserver.Finished(mRecord);
  if ((mReports.Failed() || mfStoreFailed) && (iExit == ecxOk || iExit == ecxOutOfLimits)) {
    iExit = ecxFailure;
  }
  return iExit;
}

void CPlanRunner::KeepStep(SStepRecord& step) {
  // Once a write has failed the store is left alone: the failure is said once, and a run's
  // record in the store is whole up to the step that could not be written.
  if (mpStore == nullptr || mfStoreFailed) {
    return;
  }
  try {
    if (step.lId) {
      SStoredStep stored = StoredStep(step);
      step.vEarlier = mpStore->EarlierValues(mlStoredRun, mStoredDevice, stored, kEarlierValues);
      if (const SPreviousValue* pPrevious = step.Previous()) {
        step.sTrend = TrendRemark(stored, *pPrevious, mdTrendWarnPercent);
      }
    }
    mpStore->AddStep(mlStoredRun, StoredStep(step));
  } catch (const CStoreError& e) {
    StoreFailed(e.what());
  }
}

void CPlanRunner::StoreFailed(const std::string& sWhy) {
  mfStoreFailed = true;
  *mpStoreErr << "ksv940 run: " << sWhy << "; the run goes on without the store\n";
}

}  // namespace ksv940
