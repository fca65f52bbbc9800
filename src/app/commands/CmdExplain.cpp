// ksv940 explain: what a test would send to the analyzer, one instruction per line.

#include <CLI/CLI.hpp>
#include <iomanip>
#include <memory>

#include "app/commands/MCommands.h"
#include "app/plan/COptionSettings.h"
#include "app/plan/MEnumNames.h"
#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestOptions.h"
#include "model/CMicroSequence.h"
#include "platform/core/CAutomationError.h"
#include "support/MError.h"

namespace ksv940 {

namespace {

struct SExplainArgs {
  int32_t lTest = 0;
  int32_t lPowerConfig = 0;
  std::string sAP;
  std::string sNAP;
  bool fRaw = false;
  bool fAll = false;
  COptionSettings settings;
};

// The sequence a run would build: the test is initialized (and so validated) first.
std::shared_ptr<CMicroSequence> BuildAsRun(int32_t etc, int32_t epc, const SExplainArgs& args,
                                           const CKsvTestOptions& options) {
  CKsvSafetyTest test;
  test.Initialize(etc, epc);
  test.SetAP(args.sAP);
  test.SetNAP(args.sNAP);
  return test.CreateMicroSequence(options);
}

void ReportFailure(SCommandContext& ctx) {
  CAutomationError errFailure = CAutomationError::FromCurrentException();
  ctx.err << OperatorText(errFailure) << "\n";
}

int ExplainOne(const SExplainArgs& args, const CKsvTestOptions& options, SCommandContext& ctx) {
  std::shared_ptr<CMicroSequence> pSequence;
  try {
    if (args.fRaw) {
      pSequence = std::make_shared<CMicroSequence>();
      pSequence->Initialize(args.lTest, args.lPowerConfig, args.sAP, args.sNAP, options);
    } else {
      pSequence = BuildAsRun(args.lTest, args.lPowerConfig, args, options);
    }
  } catch (...) {
    ReportFailure(ctx);
    return ecxFailure;
  }
  for (int32_t i = 0; i < pSequence->Count(); ++i) {
    ctx.out << pSequence->Instruction(i) << "\n";
  }
  return ecxOk;
}

// Every valid combination of the enumerations' members, each with its numbered instructions.
int ExplainAll(const SExplainArgs& args, const CKsvTestOptions& options, SCommandContext& ctx) {
  int iExit = ecxOk;
  bool fFirst = true;
  for (int32_t etc = etcMains; etc <= etcECGTest; ++etc) {
    for (int32_t epc = epcOffOE; epc <= epcAccessOERM; ++epc) {
      CKsvSafetyTest test;
      try {
        test.Initialize(etc, epc);
      } catch (const CAutomationError&) {
        continue;  // not a combination the instrument can perform
      }
      ctx.out << (fFirst ? "" : "\n") << "test " << etc << " " << TestCodeName(etc)
              << ", power configuration " << epc << " " << PowerConfigName(epc) << ", lead "
              << test.LeadNo() << "\n";
      fFirst = false;
      try {
        auto pSequence = BuildAsRun(etc, epc, args, options);
        for (int32_t i = 0; i < pSequence->Count(); ++i) {
          ctx.out << std::setw(4) << i << "  " << pSequence->Instruction(i) << "\n";
        }
      } catch (...) {
        ctx.err << "test " << etc << ", power configuration " << epc << ": ";
        ReportFailure(ctx);
        iExit = ecxFailure;
      }
    }
  }
  return iExit;
}

}  // namespace

void AddExplainCommand(CLI::App& app, SCommandContext& ctx) {
  auto pArgs = std::make_shared<SExplainArgs>();
  CLI::App* pCmd = app.add_subcommand(
      "explain",
      "Print what a test would send to the analyzer: its micro sequence, one instruction per "
      "line");
  CLI::Option* pTest = pCmd->add_option("--test", pArgs->lTest, "test code (1 to 24)");
  CLI::Option* pPower =
      pCmd->add_option("--pc", pArgs->lPowerConfig, "power configuration of the outlet (0 to 16)");
  pCmd->add_option("--ap", pArgs->sAP, "applied-part text (%A)");
  pCmd->add_option("--nap", pArgs->sNAP, "second applied-part (group) text (%X)");
  pArgs->settings.AddTo(*pCmd);
  CLI::Option* pRaw =
      pCmd->add_flag("--raw", pArgs->fRaw, "expand the template only, without the validity check");
  CLI::Option* pAll = pCmd->add_flag(
      "--all", pArgs->fAll, "list every valid test code and power configuration with its sequence");
  pAll->excludes(pTest)->excludes(pPower)->excludes(pRaw);
  pCmd->callback([pArgs, pTest, pPower, &ctx] {
    if (!pArgs->fAll && (pTest->count() == 0 || pPower->count() == 0)) {
      throw CLI::RequiredError("explain needs --test and --pc, or --all",
                               CLI::ExitCodes::RequiredError);
    }
    CKsvTestOptions options;
    pArgs->settings.ApplyTo(options);
    ctx.iExitCode =
        pArgs->fAll ? ExplainAll(*pArgs, options, ctx) : ExplainOne(*pArgs, options, ctx);
  });
}

}  // namespace ksv940
