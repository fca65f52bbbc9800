#include "reliability/MFaultRuns.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>

#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestOptions.h"
#include "model/CKsvTestResult.h"
#include "model/GDeclares.h"
#include "platform/core/CAutomationError.h"
#include "platform/forms/CForm.h"
#include "platform/forms/IFormView.h"

namespace ksv940::test {

// The configurations of the sample plan: one the analyzer accepts for each test code.
const SSweepTemplate kSweepTemplates[24] = {
    {1, 8, "-1"},  {2, 1, "-1"},   {3, 1, "-1"},  {4, 1, "-1"},   {5, 1, "-1"},  {6, 1, "-1"},
    {7, 1, "-1"},  {8, 3, "-1"},   {9, 3, "1"},   {10, 5, "all"}, {11, 3, "1"},  {12, 3, "all"},
    {13, 1, "-1"}, {14, 1, "-1"},  {15, 1, "-1"}, {16, 3, "-1"},  {17, 1, "-1"}, {18, 3, "-1"},
    {19, 6, "-1"}, {20, 3, "all"}, {21, 3, "-1"}, {22, 1, "all"}, {23, 3, "-1"}, {24, 3, "-1"},
};

namespace {

int32_t Raised(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const CAutomationError& err) {
    return err.Number();
  }
  return 0;
}

std::shared_ptr<CKsvSafetyTest> MakeTest(const SSweepTemplate& tmpl) {
  auto pTest = std::make_shared<CKsvSafetyTest>();
  pTest->Initialize(tmpl.etc, tmpl.epc);
  pTest->SetAP(tmpl.szAP);
  return pTest;
}

}  // namespace

void CSweepOperator::Reset(int iStopAt) {
  miStopAt = iStopAt;
  iForms = 0;
  iNoResistance = 0;
  lStoppedUs = -1;
  vBoxes.clear();
  vEventsUs.clear();
}

void CSweepOperator::FormShown(CForm& frm) {
  CMessagePump& pump = CContext::Get<CMessagePump>();
  vEventsUs.push_back(pump.Clock().NowUs());
  int iForm = iForms++;
  CForm* pForm = &frm;
  if (iForm == miStopAt && frm.Offers(eoaStop)) {
    mOpen[pForm] = pump.AddTimer(pump.Clock().NowUs() + 500'000, 0, [this, pForm, &pump] {
      mOpen[pForm] = 0;
      lStoppedUs = pump.Clock().NowUs();
      pForm->Click(eoaStop);
    });
  } else if (frm.Offers(eoaSkip)) {
    // No resistance measured: measure again once, then skip. (An analyzer that never measures
    // keeps asking as long as someone answers Continue, or lets the countdown continue.)
    EOperatorAnswer eoa = iNoResistance++ == 0 ? eoaContinue : eoaSkip;
    mOpen[pForm] = pump.AddTimer(pump.Clock().NowUs() + 1'000'000, 0, [this, pForm, eoa] {
      mOpen[pForm] = 0;
      pForm->Click(eoa);
    });
  } else if (!frm.CountingDown()) {
    mOpen[pForm] = pump.AddTimer(pump.Clock().NowUs() + 1'000'000, 0, [this, pForm] {
      mOpen[pForm] = 0;
      pForm->Click(eoaContinue);
    });
  }
}

void CSweepOperator::FormHidden(CForm& frm) {
  CMessagePump& pump = CContext::Get<CMessagePump>();
  vEventsUs.push_back(pump.Clock().NowUs());
  auto it = mOpen.find(&frm);
  if (it != mOpen.end() && it->second != 0) {
    pump.RemoveTimer(it->second);
  }
  mOpen.erase(&frm);
}

void CSweepOperator::Show(const std::string& sText, const std::string& /*sTitle*/,
                          bool /*fExclamation*/) {
  vBoxes.push_back(sText);
}

SSweepRun RunTest(CRig& rig, CSweepOperator& op, const SSweepTemplate& tmpl,
                  const SSweepDisturbance& d) {
  SSweepRun run;
  op.Reset(d.iStopAtForm);
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

  run.lError = Raised([&] { rig.pVti->RunSafetyTest(MakeTest(tmpl), &rig.guide); });

  if (abort != 0) {
    pump.RemoveTimer(abort);
  }
  rig.sim.SetMonitor({});
  run.lState = rig.pVti->State();
  run.nBoxes = op.vBoxes.size();
  for (const std::string& sBox : op.vBoxes) {
    run.sBoxes += "[" + sBox + "] ";
  }
  run.fNewResult = rig.pVti->TestResult() != pEarlier;
  run.fEarlierResultKept = pEarlier->Value() == fEarlierValue && pEarlier->State() == etsEarlier;
  run.fFlagAbort = rig.pVti->FlagAbort();
  run.vCommands.assign(rig.sim.Commands().begin() + static_cast<std::ptrdiff_t>(nBefore),
                       rig.sim.Commands().end());
  for (const auto& [lAtUs, nChars] : vArrivals) {
    run.vEventsUs.push_back(lAtUs - lStartUs);
    if (op.lStoppedUs >= 0 && lAtUs > op.lStoppedUs) {
      run.nSentAfterStop += nChars;
    }
  }
  for (int64_t lAtUs : op.vEventsUs) {
    run.vEventsUs.push_back(lAtUs - lStartUs);
  }
  std::sort(run.vEventsUs.begin(), run.vEventsUs.end());
  run.iForms = op.iForms;
  run.fStopped = op.lStoppedUs >= 0;
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
  auto pOperator = std::make_shared<CSweepOperator>();
  CContextScope scope;
  InstallView(scope, pOperator);
  PrepareRig(rig);
  rig.Connect();
  SSweepRun run = RunTest(rig, *pOperator, tmpl, d);
  // The next test on the same object, as a host goes on: the analyzer without its faults (a dead
  // line stays dead), the operator's stop lifted.
  rig.pVti->SetStopFlagForAPScreen(false);
  SSweepRun next = RunTest(rig, *pOperator, tmpl, {});
  run.lNextError = next.lError;
  run.lNextState = next.lState;
  rig.pVti->EndRemote(&rig.guide);
  return run;
}

std::string FaultName(const std::string& sCommand) {
  if (sCommand == "\x1b") {
    return "esc";
  }
  std::string sName = sCommand;
  for (char& c : sName) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return sName;
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
