#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "app/plan/CTestPlan.h"
#include "app/record/IRunObserver.h"
#include "app/record/SRunRecord.h"
#include "app/store/IResultsStore.h"

namespace ksv940 {

class CKsvVti;
class CReportSet;
class IWindow;

/// Runs a test plan on the plug-in object as the host runs its tests, and keeps the record the
/// reports show.
///
/// The rules of a run: connect; run the steps in order; after a step that ended without an error
/// but with FlagAbort set (the operator's Stop Test), or with errVTI_UserAbort, no further step
/// starts; after a step that failed the run stops too, unless it is told to keep going; an
/// interrupt (Ctrl-C) lets the running step end as the plug-in decides and starts no other;
/// remote operation is ended in every case. The reports are rewritten before the connection,
/// after the connection, when every step starts and ends, and at the end.
class CPlanRunner {
 public:
  /// vti has its options set (the plan's, then the command line's); testGuide owns the dialogs.
  CPlanRunner(CKsvVti& vti, IWindow& testGuide, const CTestPlan& plan, CReportSet& reports,
              IRunObserver& observer);

  /// Runs the plan on the analyzer at iPort (as InitRemote takes it; sLink describes it for the
  /// reports) and answers the exit code: 0 every step completed within its limits; 1 a step or
  /// the connection failed, or a report could not be written; 2 the reports cannot be written
  /// before the run (nothing is sent then); 3 stopped by the operator or an interrupt; 4 the
  /// wireless connector found no analyzer; 5 every step completed but a value is outside its
  /// limits. Of 3, 1 and 5 the first that applies wins.
  int Run(int16_t iPort, const std::string& sLink, bool fKeepGoing);

  /// What says, after a connection that failed or found no analyzer, why the link itself cannot
  /// be used (CLinkSetup::Problem); without one nothing is asked. A wireless bridge that cannot be
  /// reached is then the connection's error, outcome "unreachable" and exit code 6; a port that
  /// cannot be opened is kept beside the operator's text (sPortProblem).
  void CheckLinkWith(std::function<std::string()> fnProblem, bool fWireless) {
    mfnLinkProblem = std::move(fnProblem);
    mfWireless = fWireless;
  }

  /// The operator's interrupt (Ctrl-C). While the connection is being made it is given up, as the
  /// host gives one up, with EndRemote; otherwise the running operation is aborted as the host's
  /// Abort does. Either way no further step starts.
  void Interrupt();

  const SRunRecord& Record() const { return mRecord; }
  /// Keeps the run in pStore: its row before the connection (a store that cannot take it ends the
  /// run with 2, nothing sent), each step when it ends with the device's previous value of it and
  /// a trend remark beyond dTrendWarnPercent of a limit, its end when it ends. A write that fails
  /// during the run is said once on err; the run goes on and answers 1 unless stopped (3).
  void SetStore(IResultsStore& store, double dTrendWarnPercent, std::ostream& err) {
    mpStore = &store;
    mdTrendWarnPercent = dTrendWarnPercent;
    mpStoreErr = &err;
  }
  /// Who tests, for the record.
  void SetTester(const std::string& sTester) { mRecord.sTester = sTester; }

 private:
  bool Connect(int16_t iPort);
  void CheckLink();
  void RunStep(size_t nStep);
  void ReadResult(const SPlanStep& step, SStepRecord& record, bool fNewResult) const;
  int Finish();
  void KeepStep(SStepRecord& step);
  void StoreFailed(const std::string& sWhy);

  CKsvVti& mVti;
  IWindow& mTestGuide;
  const CTestPlan& mPlan;
  CReportSet& mReports;
  IRunObserver& mObserver;
  SRunRecord mRecord;
  bool mfInterrupted = false;
  bool mfNoAnalyzer = false;
  bool mfUnreachable = false;
  std::function<std::string()> mfnLinkProblem;
  bool mfWireless = false;
  IResultsStore* mpStore = nullptr;
  double mdTrendWarnPercent = 20.0;
  std::ostream* mpStoreErr = nullptr;
  int64_t mlStoredRun = 0;
  SStoredDevice mStoredDevice;
  size_t mnStepsKept = 0;  ///< the steps before this one are in the store; the rest go with its end
  bool mfStoreFailed = false;
};

}  // namespace ksv940
