// The fault sweep, on virtual time: every template in one valid configuration, on the serial link
// and through our wireless bridge client on a loopback bridge; each fault the simulated analyzer
// knows on each command the test sends; an Abort from the host in each of the test's waits; Stop
// Test in each of its dialogs. Every run must end as the failure tables say: the host receives
// nothing, errVTI_Error or errVTI_UserAbort; at most one message box; State back to evsIdle; a new
// TestResult; nothing but the failed exchange's own attempts on the line after a failure; and the
// next test on the same object runs. The output is a table of outcomes per template and fault; a
// broken rule names the template, the link and the scenario line that replays it.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "declares/GDeclares.h"
#include "reliability/MFaultRuns.h"

namespace ksv940::test {
namespace {

struct SFaultKind {
  const char* szName;  // as a scenario line writes it
  ESimFault eFault;
  int32_t lMs = 0;
  const char* szText = "";
  int32_t lSplitAt = 1;
};

const SFaultKind kFaults[] = {
    {"silent", esfSilent},
    {"late 1500", esfLate, 1500},
    {"split 2 20", esfSplit, 20, "", 2},
    {"noise", esfNoise},
    {"garbled", esfGarbled},
    {"error 21", esfError, 0, "21"},
    {"error 22", esfError, 0, "22"},
    {"error 30", esfError, 0, "30"},
    {"error 32", esfError, 0, "32"},
    {"error 33", esfError, 0, "33"},
    {"error 37", esfError, 0, "37"},
    {"error 50", esfError, 0, "50"},
    {"error 57", esfError, 0, "57"},
    {"drop", esfDrop},
};

// What one kind of disturbance did across a template's runs: how many ended without an error,
// with errVTI_Error and with errVTI_UserAbort.
struct SCounts {
  int iNone = 0;
  int iError = 0;
  int iAbort = 0;
  void Add(int32_t lError) {
    (lError == 0 ? iNone : lError == errVTI_Error ? iError : iAbort) += 1;
  }
  std::string Text() const {
    return std::to_string(iNone) + "/" + std::to_string(iError) + "/" + std::to_string(iAbort);
  }
};

class FaultSweep : public ::testing::TestWithParam<ERigLink> {
 protected:
  // The checks every run must pass, whatever disturbed it. sWhat names the run for replaying.
  void CheckRun(const std::string& sWhat, const SSweepRun& run, bool fLineDead,
                bool fLastStruck = false) {
    SCOPED_TRACE(sWhat);
    EXPECT_TRUE(run.lError == 0 || run.lError == errVTI_Error || run.lError == errVTI_UserAbort)
        << "the host received " << run.lError;
    EXPECT_LE(run.nBoxes, run.lError == errVTI_Error ? 1U : 0U) << run.sBoxes;
    if (GetParam() == erlSerial && run.lError == errVTI_Error) {
      EXPECT_EQ(run.nBoxes, 1U) << "a failure on the serial link is told to the operator once";
    }
    EXPECT_EQ(run.lState, evsIdle);
    EXPECT_TRUE(run.fNewResult && run.fEarlierResultKept);
    if (run.lError == errVTI_Error) {
      // A failure comes from a disturbed exchange, and nothing is sent after it: the last line
      // the analyzer received is one the fault struck.
      EXPECT_TRUE(fLastStruck) << "sent after the failure: " << Joined(run.vCommands);
    }
    EXPECT_TRUE(run.lNextError == 0 || (fLineDead && run.lNextError == errVTI_Error))
        << "the next test on the same object received " << run.lNextError;
    EXPECT_EQ(run.lNextState, evsIdle);
  }
};

TEST_P(FaultSweep, EveryDisturbanceAtEveryStepEndsAsTheRulesSay) {
  ERigLink erl = GetParam();
  std::map<std::string, std::map<int32_t, SCounts>> table;  // disturbance, test code
  int iRuns = 0;
  for (const SSweepTemplate& tmpl : kSweepTemplates) {
    std::string sTemplate = std::to_string(tmpl.etc) + "/" + std::to_string(tmpl.epc);
    SSweepRun baseline = RunOnce(erl, tmpl, {});
    ASSERT_EQ(baseline.lError, 0) << "template " << sTemplate << " fails undisturbed";
    ++iRuns;

    // Each fault on each command the test sends.
    for (size_t k = 0; k < baseline.vCommands.size(); ++k) {
      std::string sCommand = FaultName(baseline.vCommands[k]);
      int32_t lOccurrence = Occurrence(baseline.vCommands, k);
      // Once (the retries may recover), and held for the command's next two sends as well.
      for (const SFaultKind& fault : kFaults) {
        for (int iHeld = 1; iHeld <= (fault.eFault == esfDrop ? 1 : 3); iHeld += 2) {
          SSweepDisturbance disturbance;
          std::string sReplay;
          for (int32_t l = lOccurrence; l < lOccurrence + iHeld; ++l) {
            sReplay += "on " + sCommand + " " + std::to_string(l) + " " + fault.szName + "; ";
          }
          disturbance.fnArm = [&](CSimScenario& scenario) {
            for (int32_t l = lOccurrence; l < lOccurrence + iHeld; ++l) {
              scenario.On(sCommand, l, fault.eFault, fault.lMs, fault.szText, fault.lSplitAt);
            }
          };
          SSweepRun run = RunOnce(erl, tmpl, disturbance);
          // Whether the fault struck the last line the analyzer received (after a drop, every
          // line is struck).
          bool fLastStruck = false;
          if (!run.vCommands.empty()) {
            size_t nLast = run.vCommands.size() - 1;
            int32_t lNth = Occurrence(run.vCommands, nLast);
            bool fSame = FaultName(run.vCommands[nLast]) == sCommand;
            fLastStruck = fault.eFault == esfDrop
                              ? nLast >= k
                              : fSame && lNth >= lOccurrence && lNth < lOccurrence + iHeld;
          }
          CheckRun("template " + sTemplate + ", " + LinkName(erl) + ", command " +
                       std::to_string(k) + ": " + sReplay,
                   run, fault.eFault == esfDrop, fLastStruck);
          table[fault.szName + std::string(iHeld > 1 ? " x3" : "")][tmpl.etc].Add(run.lError);
          ++iRuns;
        }
      }
    }

    // An Abort from the host in the middle of each wait of the undisturbed run.
    for (size_t w = 0; w + 1 < baseline.vEventsUs.size(); ++w) {
      int64_t lAtUs = (baseline.vEventsUs[w] + baseline.vEventsUs[w + 1]) / 2;
      if (lAtUs == baseline.vEventsUs[w]) {
        continue;
      }
      SSweepDisturbance disturbance;
      disturbance.lAbortAtUs = lAtUs;
      SSweepRun run = RunOnce(erl, tmpl, disturbance);
      std::string sWhat = "template " + sTemplate + ", " + LinkName(erl) + ", Abort at +" +
                          std::to_string(lAtUs) + " us";
      CheckRun(sWhat, run, false);
      // The serial link skips the rest quietly, the wireless link ends in a user abort.
      EXPECT_EQ(run.lError, erl == erlSerial ? 0 : errVTI_UserAbort) << sWhat;
      EXPECT_TRUE(run.fFlagAbort) << sWhat;
      table["Abort"][tmpl.etc].Add(run.lError);
      ++iRuns;
    }

    // Stop Test in each dialog that offers it.
    for (int iForm = 0; iForm < baseline.iForms; ++iForm) {
      SSweepDisturbance disturbance;
      disturbance.iStopAtForm = iForm;
      SSweepRun run = RunOnce(erl, tmpl, disturbance);
      if (!run.fStopped) {
        continue;  // a countdown without Stop Test
      }
      std::string sWhat = "template " + sTemplate + ", " + LinkName(erl) +
                          ", Stop Test in dialog " + std::to_string(iForm);
      CheckRun(sWhat, run, false);
      EXPECT_EQ(run.lError, erl == erlSerial ? 0 : errVTI_UserAbort) << sWhat;
      EXPECT_TRUE(run.fFlagAbort) << sWhat;
      EXPECT_EQ(run.nSentAfterStop, 0U)
          << sWhat << ": sent after Stop Test: " << Joined(run.vCommands);
      table["Stop Test"][tmpl.etc].Add(run.lError);
      ++iRuns;
    }
  }

  // The table: per disturbance and test code, the runs that ended with no error, with
  // errVTI_Error and with errVTI_UserAbort.
  std::printf("\nFault sweep, %s link, %d runs. Each cell: none/errVTI_Error/errVTI_UserAbort\n",
              LinkName(erl).c_str(), iRuns);
  std::printf("%-15s", "test code");
  for (const SSweepTemplate& tmpl : kSweepTemplates) {
    std::printf(" %6d", tmpl.etc);
  }
  std::printf("\n");
  for (const auto& [sDisturbance, row] : table) {
    std::printf("%-15s", sDisturbance.c_str());
    for (const SSweepTemplate& tmpl : kSweepTemplates) {
      auto it = row.find(tmpl.etc);
      std::printf(" %6s", it == row.end() ? "-" : it->second.Text().c_str());
    }
    std::printf("\n");
  }
}

INSTANTIATE_TEST_SUITE_P(Links, FaultSweep, ::testing::Values(erlSerial, erlBridge),
                         [](const auto& link) { return LinkName(link.param); });

}  // namespace
}  // namespace ksv940::test
