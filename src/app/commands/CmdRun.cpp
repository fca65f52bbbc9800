// ksv940 run: runs a test plan on an analyzer (or the built-in simulated one), shows each step's
// result, and keeps reports of the run that survive however it ends.

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <memory>
#include <string>
#include <vector>

#include "app/commands/MCommandLine.h"
#include "app/commands/MCommands.h"
#include "app/console/CPausingView.h"
#include "app/console/CRunConsole.h"
#include "app/plan/CTestPlan.h"
#include "app/plan/MEnumNames.h"
#include "app/record/MRunText.h"
#include "app/reports/CReportSet.h"
#include "app/run/CHostSession.h"
#include "app/run/CPlanRunner.h"
#include "app/run/MPlanCommand.h"
#include "app/store/CStoreError.h"
#include "app/store/IResultsStore.h"
#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestOptions.h"
#include "model/CMicroSequence.h"
#include "platform/core/CContext.h"
#include "platform/forms/IFormView.h"
#include "plugin/CKsvVti.h"

namespace ksv940 {

namespace {

struct SRunArgs {
  std::string sPlan;
  SLinkOptions link;
  SHostOptions host;
  std::vector<std::string> vReports;
  std::vector<std::string> vDevice;
  std::string sTester;
  bool fKeepGoing = false;
  bool fDryRun = false;
  std::string sDb;
  bool fNoDb = false;
  double dTrendWarn = 20.0;
};

// The results store the run is kept in, opened (and made) before anything is sent; null with
// --no-db. Throws CStoreError.
std::unique_ptr<IResultsStore> OpenStore(const SRunArgs& args, std::ostream& err) {
  if (args.fNoDb) {
    return nullptr;
  }
  std::string sWhere = IResultsStore::ChosenWhere(args.sDb);
  if (sWhere.find("://") == std::string::npos) {
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::path(sWhere).parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder) &&
        !std::filesystem::create_directories(folder, ec)) {
      throw CStoreError("the results store " + sWhere + " cannot be made: " + ec.message());
    }
  }
  return IResultsStore::Open(sWhere, err);
}

// Each step and, for tests, the micro sequence a run would build with the options in force.
int DryRun(const CTestPlan& plan, const SRunArgs& args, SCommandContext& ctx) {
  CKsvTestOptions options;
  plan.ApplyOptions(options);
  args.host.settings.ApplyTo(options);
  ctx.out << "Plan: " << plan.Name() << " (" << plan.File() << "), "
          << Counted(plan.Steps().size(), "step", "steps") << "\n";
  size_t nStep = 0;
  for (const SPlanStep& step : plan.Steps()) {
    ctx.out << "\n" << ++nStep << "/" << plan.Steps().size() << " " << step.sName << "\n";
    if (step.esk != eskTest) {
      ctx.out << (step.esk == eskCalibrate ? "  zeroes the test leads (Calibrate)\n"
                                           : "  asks whether high voltage is active "
                                             "(InHighVoltageMode)\n");
      continue;
    }
    const CKsvSafetyTest& test = *step.pTest;
    ctx.out << "  test " << test.TestCode() << " " << TestCodeName(test.TestCode())
            << ", power configuration " << test.PowerConfig() << " "
            << PowerConfigName(test.PowerConfig()) << ", lead " << test.LeadNo() << ", AP \""
            << test.AP() << "\", NAP \"" << test.NAP() << "\"\n";
    SStepRecord limits;
    limits.dMin = step.dMin;
    limits.dMax = step.dMax;
    limits.sUnit = test.Unit().value_or("");
    std::string sLimits = LimitsText(limits);
    ctx.out << "  limits: " << (sLimits.empty() ? "none" : sLimits) << "\n";
    std::shared_ptr<CMicroSequence> pSequence = test.CreateMicroSequence(options);
    for (int32_t i = 0; i < pSequence->Count(); ++i) {
      ctx.out << std::setw(4) << i << "  " << pSequence->Instruction(i) << "\n";
    }
  }
  return ecxOk;
}

int RunPlan(const SRunArgs& args, SCommandContext& ctx) {
  // The whole plan is read and checked before anything is opened or sent.
  std::unique_ptr<CTestPlan> pPlan;
  try {
    pPlan = std::make_unique<CTestPlan>(CTestPlan::Read(args.sPlan, args.host.settings));
  } catch (const CPlanError& e) {
    ctx.err << e.what() << "\n";
    return ecxUsage;
  }
  for (const std::string& sSetting : args.vDevice) {
    pPlan->SetDevice(sSetting);
  }
  if (args.fDryRun) {
    return DryRun(*pPlan, args, ctx);
  }
  if (args.link.Given() != 1) {
    ctx.err << "ksv940 run: give one of --port, --wifi and --simulate (or --dry-run)\n";
    return ecxUsage;
  }

  // A store that cannot be opened is found before anything is sent, as a report is.
  std::unique_ptr<IResultsStore> pStore;
  try {
    pStore = OpenStore(args, ctx.err);
  } catch (const CStoreError& e) {
    ctx.err << "ksv940 run: " << e.what() << "\n";
    return ecxUsage;
  }

  // Dialogs go to standard error with the progress, so that standard output holds the results.
  SCommandContext viewCtx{ctx.err, ctx.err, ecxOk};
  SPlanSession session;
  if (std::optional<int> iFailed =
          OpenPlanSession("run", args.link, args.host, viewCtx, ctx.err, session)) {
    return *iFailed;
  }
  CKsvVti& vti = session.pSession->Vti();
  // The plan's options first, then the command line's, which override them.
  pPlan->ApplyOptions(*vti.testOptions());
  args.host.settings.ApplyTo(*vti.testOptions());

  CRunConsole console(ctx.out, ctx.err, CRunConsole::IsTerminal(ctx.err),
                      CRunConsole::Utf8Locale());
  CContextScope viewScope;
  auto pView =
      std::make_shared<CPausingView>(CContext::Share<IFormView>(), CContext::Share<IMessageBox>(),
                                     [&console](bool fShowing) { console.Showing(fShowing); });
  viewScope.Set<IFormView>(pView).Set<IMessageBox>(pView);

  CReportSet reports(args.vReports, ctx.err);
  CPlanRunner runner(vti, session.pSession->TestGuide(), *pPlan, reports, console);
  const char* szTester = std::getenv("KSV940_TESTER");
  runner.SetTester(!args.sTester.empty() ? args.sTester : szTester != nullptr ? szTester : "");
  if (pStore) {
    runner.SetStore(*pStore, args.dTrendWarn, ctx.err);
  }
  int iExit = RunPlan(session, runner, args.fKeepGoing);
  if (!reports.Paths().empty() && iExit != ecxUsage) {
    ctx.err << "Reports:";
    for (const std::string& sPath : reports.Paths()) {
      ctx.err << " " << sPath;
    }
    ctx.err << "\n";
  }
  return iExit;
}

}  // namespace

void AddRunCommand(CLI::App& app, SCommandContext& ctx) {
  auto pArgs = std::make_shared<SRunArgs>();
  CLI::App* pRun = app.add_subcommand(
      "run",
      "Run a test plan on the analyzer: connect, run its steps in order, print each result, end "
      "remote operation; exit 0 all completed within limits, 1 a failure, 2 bad usage or plan, 3 "
      "stopped, 4 no analyzer behind the bridge, 5 a value outside its limits, 6 the bridge cannot "
      "be reached");
  pRun->add_option("PLAN", pArgs->sPlan, "the plan file (XML, root element KSV940Plan)")
      ->required();
  pArgs->link.AddTo(*pRun, true);
  pArgs->host.AddTo(*pRun);
  pRun->add_option("--report", pArgs->vReports,
                   "write a report, rewritten after every step: FILE.json, FILE.csv, FILE.xml "
                   "(JUnit) or FILE.html (repeatable)")
      ->type_name("FILE")
      ->check(CLI::Validator([](std::string& sPath) { return CReportSet::Problem(sPath); }, ""));
  pRun->add_option("--device", pArgs->vDevice,
                   "the device under test: asset, manufacturer, model, serial, location, class "
                   "(I, II or internal) or type (B, BF or CF), over the plan's <Device> "
                   "(repeatable)")
      ->type_name("NAME=VALUE")
      ->check(CLI::Validator(
          [](std::string& sSetting) { return CDeviceUnderTest::SettingProblem(sSetting); }, ""));
  pRun->add_option("--tester", pArgs->sTester,
                   "who tests, for the reports (else the environment variable KSV940_TESTER)")
      ->type_name("NAME");
  pRun->add_flag("--keep-going", pArgs->fKeepGoing, "go on with the next step after a failed one");
  pRun->add_option("--db", pArgs->sDb,
                   "keep the run in this results store: a file, or "
                   "postgresql://USER@HOST:PORT/NAME (default KSV940_DB, else "
                   "$XDG_DATA_HOME/ksv940/results.db)")
      ->type_name("FILE|URL");
  pRun->add_flag("--no-db", pArgs->fNoDb, "keep the run in no results store")->excludes("--db");
  pRun->add_option("--trend-warn", pArgs->dTrendWarn,
                   "remark a value that moved toward a limit by more than PERCENT of it since the "
                   "device's previous run (default 20)")
      ->type_name("PERCENT")
      ->check(CLI::NonNegativeNumber);
  pRun->add_flag("--dry-run", pArgs->fDryRun,
                 "send nothing: print each step and the micro sequence of each test");
  pRun->callback([pArgs, &ctx] { ctx.iExitCode = RunPlan(*pArgs, ctx); });
}

}  // namespace ksv940
