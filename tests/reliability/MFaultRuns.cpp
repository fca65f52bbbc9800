#include "reliability/MFaultRuns.h"

#include <algorithm>
#include <map>
#include <memory>

#include "declares/GDeclares.h"
#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestOptions.h"
#include "model/CKsvTestResult.h"
#include "platform/core/MText.h"
#include "testing/CScriptedView.h"
#include "testing/MCaught.h"

namespace ksv940::test {

// The configurations of the sample plan: one the analyzer accepts for each test code.
const SSweepTemplate kSweepTemplates[24] = {
    {1, 8, "-1"},  {2, 1, "-1"},   {3, 1, "-1"},  {4, 1, "-1"},   {5, 1, "-1"},  {6, 1, "-1"},
    {7, 1, "-1"},  {8, 3, "-1"},   {9, 3, "1"},   {10, 5, "all"}, {11, 3, "1"},  {12, 3, "all"},
    {13, 1, "-1"}, {14, 1, "-1"},  {15, 1, "-1"}, {16, 3, "-1"},  {17, 1, "-1"}, {18, 3, "-1"},
    {19, 6, "-1"}, {20, 3, "all"}, {21, 3, "-1"}, {22, 1, "all"}, {23, 3, "-1"}, {24, 3, "-1"},
};

namespace {

std::shared_ptr<CKsvSafetyTest> MakeTest(const SSweepTemplate& tmpl) {
  auto pTest = std::make_shared<CKsvSafetyTest>();
  pTest->Initialize(tmpl.etc, tmpl.epc);
  pTest->SetAP(tmpl.szAP);
  return pTest;
}

}  // namespace

SSweepRun RunTest(CRig& rig, const SSweepTemplate& tmpl, const SSweepDisturbance& d) {
  SSweepRun run;
  CScriptedView& op = rig.ctx.Operator();
  op.AnswerUnscripted(d.iStopAtForm);
  const size_t nFormsBefore = op.Forms().size();
  const size_t nBoxesBefore = op.MessageBoxes().size();
  CMessagePump& pump = rig.ctx.Pump();
  int64_t lStartUs = pump.Clock().NowUs();
  std::vector<std::pair<int64_t, size_t>> vArrivals;  // when, how many characters
  rig.sim.SetMonitor([&](bool fFromHost, std::string_view sBytes) {
    if (fFromHost) {
      vArrivals.emplace_back(pump.Clock().NowUs(), sBytes.size());
    }
  });
  rig.sim.Scenario().vFaults.clear();
  if (d.fnArm) {
    d.fnArm(rig.sim.Scenario());
  }
  CMessagePump::Id abort = 0;
  if (d.lAbortAtUs >= 0) {
    abort = pump.AddTimer(lStartUs + d.lAbortAtUs, 0, [&] {
      abort = 0;
      rig.pVti->Abort();
    });
  }
  std::shared_ptr<CKsvTestResult> pEarlier = rig.pVti->TestResult();
  float fEarlierValue = pEarlier->Value();
  EKsvTestState etsEarlier = pEarlier->State();
  size_t nBefore = rig.sim.Commands().size();

  run.lError = Caught([&] { rig.pVti->RunSafetyTest(MakeTest(tmpl), &rig.guide); }, true).Number();

  if (abort != 0) {
    pump.RemoveTimer(abort);
  }
  rig.sim.SetMonitor({});
  run.lState = rig.pVti->State();
  run.nBoxes = op.MessageBoxes().size() - nBoxesBefore;
  for (size_t n = nBoxesBefore; n < op.MessageBoxes().size(); ++n) {
    run.sBoxes += "[" + op.MessageBoxes()[n].sText + "] ";
  }
  int64_t lStoppedUs = -1;
  for (size_t n = nFormsBefore; n < op.Forms().size(); ++n) {
    const SRecordedForm& form = op.Forms()[n];
    run.vEventsUs.push_back(form.lShownUs - lStartUs);
    if (form.lHiddenUs >= 0) {
      run.vEventsUs.push_back(form.lHiddenUs - lStartUs);
    }
    if (form.eoaAnswer == eoaStop) {
      lStoppedUs = form.lHiddenUs;
    }
  }
  run.fNewResult = rig.pVti->TestResult() != pEarlier;
  run.fEarlierResultKept = pEarlier->Value() == fEarlierValue && pEarlier->State() == etsEarlier;
  run.fFlagAbort = rig.pVti->FlagAbort();
  run.vCommands.assign(rig.sim.Commands().begin() + static_cast<std::ptrdiff_t>(nBefore),
                       rig.sim.Commands().end());
  for (const auto& [lAtUs, nChars] : vArrivals) {
    run.vEventsUs.push_back(lAtUs - lStartUs);
    if (lStoppedUs >= 0 && lAtUs > lStoppedUs) {
      run.nSentAfterStop += nChars;
    }
  }
  std::sort(run.vEventsUs.begin(), run.vEventsUs.end());
  run.iForms = static_cast<int>(op.Forms().size() - nFormsBefore);
  run.fStopped = lStoppedUs >= 0;
  return run;
}

void PrepareRig(CRig& rig) {
  CKsvTestOptions& options = *rig.pVti->testOptions();
  options.SetStopBeforeNewPC(true);
  options.SetStopAfterNewPC(true);
  options.SetDelayTimePowerOn(1);
  options.SetDelayTimePowerOff(1);
}

SSweepRun RunOnce(ERigLink erl, const SSweepTemplate& tmpl, const SSweepDisturbance& d) {
  CRig rig(CSimScenario(), erl);
  PrepareRig(rig);
  rig.Connect();
  SSweepRun run = RunTest(rig, tmpl, d);
  // The next test on the same object, as a host goes on: the analyzer without its faults (a dead
  // line stays dead), the operator's stop lifted.
  rig.pVti->SetStopFlagForAPScreen(false);
  SSweepRun next = RunTest(rig, tmpl, {});
  run.lNextError = next.lError;
  run.lNextState = next.lState;
  rig.pVti->EndRemote(&rig.guide);
  return run;
}

std::string FaultName(const std::string& sCommand) {
  if (sCommand == "\x1b") {
    return "esc";
  }
  return LowerAscii(sCommand);
}

int32_t Occurrence(const std::vector<std::string>& vCommands, size_t k) {
  int32_t lCount = 0;
  for (size_t i = 0; i <= k; ++i) {
    lCount += FaultName(vCommands[i]) == FaultName(vCommands[k]) ? 1 : 0;
  }
  return lCount;
}

std::string Joined(const std::vector<std::string>& vCommands) {
  std::string sJoined;
  for (const std::string& s : vCommands) {
    sJoined += (sJoined.empty() ? "" : " ") + (s == "\x1b" ? std::string("\\e") : s);
  }
  return sJoined;
}

std::string LinkName(ERigLink erl) {
  return erl == erlSerial ? "serial" : "wireless";
}

}  // namespace ksv940::test
