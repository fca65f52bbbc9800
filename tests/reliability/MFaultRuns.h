#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/CSimScenario.h"
#include "testing/CRig.h"

// One safety test run on a fresh plug-in object against the simulated analyzer, on virtual time,
// disturbed at will, and what the host and the line saw of it: the ground both the fault sweep and
// the soak stand on.

namespace ksv940::test {

/// A test code with a power configuration and applied parts the analyzer accepts.
struct SSweepTemplate {
  int32_t etc;
  int32_t epc;
  const char* szAP;
};

/// Every test code once.
extern const SSweepTemplate kSweepTemplates[24];

/// What disturbs a run: faults set on the analyzer before the test, an Abort from the host at a
/// time after the test's start, Stop Test in the nth dialog (counted from 0).
struct SSweepDisturbance {
  std::function<void(CSimScenario&)> fnArm;
  int64_t lAbortAtUs = -1;
  int iStopAtForm = -1;
};

/// What the host and the analyzer saw of a run, and of the next test on the same object.
struct SSweepRun {
  int32_t lError = 0;  ///< what RunSafetyTest raised to the host (0: nothing)
  int32_t lState = 0;  ///< State afterwards
  size_t nBoxes = 0;
  std::string sBoxes;               ///< their texts, for a message
  bool fNewResult = false;          ///< TestResult is another object than before
  bool fEarlierResultKept = false;  ///< the result kept from before is unchanged
  bool fFlagAbort = false;
  std::vector<std::string> vCommands;  ///< the lines the analyzer received during the test
  std::vector<int64_t> vEventsUs;  ///< when something reached the analyzer or a dialog came or went
  int iForms = 0;                  ///< dialogs shown
  bool fStopped = false;           ///< Stop Test was pressed
  size_t nSentAfterStop = 0;       ///< characters the analyzer received after that
  int32_t lNextError = 0;          ///< the next test on the same object
  int32_t lNextState = 0;
};

/// Sets the options of these runs: stops before and after power changes, one-second delays.
void PrepareRig(CRig& rig);
/// Runs tmpl once on the rig's connected object, disturbed as d says (its faults replace those
/// the analyzer had), answered by the rig's operator on its own (CScriptedView::AnswerUnscripted).
/// lNextError and lNextState are left alone.
SSweepRun RunTest(CRig& rig, const SSweepTemplate& tmpl, const SSweepDisturbance& d);
/// Runs tmpl once on a new object connected over erl (options: stops before and after power
/// changes, one-second power delays), disturbed as d says; then, with the faults cleared and the
/// operator stop lifted as a host lifts it, the same test once more on the same object.
SSweepRun RunOnce(ERigLink erl, const SSweepTemplate& tmpl, const SSweepDisturbance& d);

/// The name a fault uses for a command: "esc" for the escape character, the command in lower case
/// otherwise.
std::string FaultName(const std::string& sCommand);
/// Which occurrence of its own text vCommands[k] is, from 1.
int32_t Occurrence(const std::vector<std::string>& vCommands, size_t k);
std::string Joined(const std::vector<std::string>& vCommands);
std::string LinkName(ERigLink erl);

}  // namespace ksv940::test
