// ksv940 calibrate and ksv940 hv: connect, zero the test leads (Calibrate) or ask whether high
// voltage is active (InHighVoltageMode), end remote operation.

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "app/commands/MCommandLine.h"
#include "app/commands/MCommands.h"
#include "app/plan/CTestPlan.h"
#include "app/record/MRunText.h"
#include "app/reports/CReportSet.h"
#include "app/run/CHostSession.h"
#include "app/run/CPlanRunner.h"
#include "app/run/MPlanCommand.h"
#include "plugin/CKsvVti.h"

namespace ksv940 {

namespace {

struct SOperationArgs {
  SLinkOptions link;
  SHostOptions host;
};

// Prints the operation's answer, and a failure's text where no message box has shown it.
class COperationPrinter : public IRunObserver {
 public:
  COperationPrinter(const std::string& sCommand, CHostSession& session, SCommandContext& ctx)
      : msCommand(sCommand), mSession(session), mCtx(ctx) {}

  void Connecting(const SRunRecord& /*record*/) override { Mark(); }
  void Connected(const SRunRecord& record) override {
    if (record.connectionError) {
      Failed(*record.connectionError);
    } else if (!record.fIdentified) {
      mCtx.err << "ksv940 " << msCommand << ": the wireless connector found no instrument\n";
    }
  }
  void StepStarting(const SRunRecord& /*record*/, size_t /*nStep*/) override { Mark(); }
  void StepEnded(const SRunRecord& record, size_t nStep) override {
    const SStepRecord& step = record.vSteps[nStep];
    if (step.error) {
      Failed(*step.error);
    } else if (step.esk == eskCalibrate) {
      mCtx.out << "Zero reading: " << (step.sDisplay.empty() ? "none" : step.sDisplay) << " ("
               << StateText(step.ess) << ")\n";
    } else {
      mCtx.out << step.sDisplay << "\n";
    }
    mCtx.out.flush();
  }

 private:
  void Mark() { mnBoxes = mSession.MessageBoxesShown(); }
  void Failed(const SRunError& error) { mSession.TellFailure(error, mnBoxes, mCtx.err); }

  std::string msCommand;
  CHostSession& mSession;
  SCommandContext& mCtx;
  size_t mnBoxes = 0;
};

int RunOperation(const std::string& sCommand, EStepKind esk, const SOperationArgs& args,
                 SCommandContext& ctx) {
  if (args.link.Given() != 1) {
    ctx.err << "ksv940 " << sCommand << ": give one of --port, --wifi and --simulate\n";
    return ecxUsage;
  }
  SPlanSession session;
  if (std::optional<int> iFailed =
          OpenPlanSession(sCommand, args.link, args.host, ctx, ctx.err, session)) {
    return *iFailed;
  }
  CTestPlan plan =
      CTestPlan::OfOneStep(esk, esk == eskCalibrate ? "Zero the test leads" : "High voltage check");
  CReportSet reports({}, ctx.err);
  COperationPrinter printer(sCommand, *session.pSession, ctx);
  CPlanRunner runner(session.pSession->Vti(), session.pSession->TestGuide(), plan, reports,
                     printer);
  return RunPlan(session, runner, false);
}

void Register(CLI::App& app, SCommandContext& ctx, const std::string& sCommand, EStepKind esk,
              const std::string& sDescription) {
  auto pArgs = std::make_shared<SOperationArgs>();
  CLI::App* pCmd = app.add_subcommand(sCommand, sDescription);
  pArgs->link.AddTo(*pCmd, true);
  pArgs->host.AddTo(*pCmd);
  pCmd->callback(
      [pArgs, &ctx, sCommand, esk] { ctx.iExitCode = RunOperation(sCommand, esk, *pArgs, ctx); });
}

}  // namespace

void AddCalibrateCommand(CLI::App& app, SCommandContext& ctx) {
  Register(app, ctx, "calibrate", eskCalibrate,
           "Connect, zero the test leads (Calibrate) and print the zero reading, end remote "
           "operation");
}

void AddHvCommand(CLI::App& app, SCommandContext& ctx) {
  Register(app, ctx, "hv", eskHighVoltage,
           "Connect, ask whether high voltage is active (InHighVoltageMode): print \"High "
           "voltage: off\" or fail (exit 1), end remote operation");
}

}  // namespace ksv940
