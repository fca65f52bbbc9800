// ksv940 dialog: shows one operator dialog with the chosen operator view, for a person or a
// translator to try it, then prints what the caller would read from it.

#include <CLI/CLI.hpp>
#include <memory>

#include "app/commands/MCommands.h"
#include "app/console/COperatorOption.h"
#include "app/console/CTestGuideWindow.h"
#include "dialogs/FStopOnPC.h"
#include "dialogs/FWaitOnPC.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/settings/ISettingsStore.h"
#include "support/MDeclares.h"

namespace ksv940 {

namespace {

enum EDialogUse : int { edu_StopBefore, edu_StopAfter, edu_NoResistance, edu_Wait };

struct SDialogArgs {
  std::string sOperator;
  bool fToOn = false;
  bool fToOff = false;
  bool fOn = false;
  bool fOff = false;
  std::string sState;
  int32_t lSeconds = 0;
  bool fBefore = false;
};

// A settings file that cannot be read keeps the dialogs off the top; say so once, here, since the
// dialogs themselves pass over it in silence.
void WarnAboutSettings(std::ostream& err) {
  try {
    CContext::Get<ISettingsStore>().ReadDword(kTestGuideSettingsKey, kTestGuideSettingsValue);
  } catch (const CAutomationError& e) {
    err << "ksv940: warning: " << e.Description() << "; dialogs are not kept on top\n";
  }
}

void ShowDialog(EDialogUse edu, const SDialogArgs& args, SCommandContext& ctx) {
  COperatorOption option = COperatorOption::FromText(args.sOperator);
  WarnAboutSettings(ctx.err);
  ctx.out.flush();
  CContextScope scope;
  InstallView(scope, option.MakeView(ctx.out, ctx.err));
  CTestGuideWindow owner;
  bool fCancel = false;
  bool fSkipScreen = false;
  try {
    if (edu == edu_Wait) {
      FWaitOnPC frm;
      frm.WaitOnPC(args.sState, args.lSeconds, &owner, args.fBefore);
      fCancel = frm.Cancel();
    } else {
      FStopOnPC frm;
      if (edu == edu_StopBefore) {
        frm.ShowStopBefore(args.fToOn, args.fToOff, &owner);
      } else if (edu == edu_StopAfter) {
        frm.ShowStopAfter(args.fOn, &owner);
      } else {
        // As the measurement reading offers it: the operator may skip the test.
        frm.Control("cmdSkip").SetVisible(true);
        frm.ShowNoResistance(&owner);
      }
      fCancel = frm.Cancel();
      fSkipScreen = frm.SkipScreen();
    }
  } catch (...) {
    CAutomationError err = CAutomationError::FromCurrentException();
    ctx.err << "ksv940: " << err.Description() << " (error " << err.Number() << ", " << err.Source()
            << ")\n";
    ctx.iExitCode = ecxFailure;
    return;
  }
  ctx.out << "Cancel: " << (fCancel ? "true" : "false") << "\n"
          << "SkipScreen: " << (fSkipScreen ? "true" : "false") << "\n";
  ctx.iExitCode = ecxOk;
}

}  // namespace

void AddDialogCommand(CLI::App& app, SCommandContext& ctx) {
  auto pArgs = std::make_shared<SDialogArgs>();
  CLI::App* pDialog = app.add_subcommand(
      "dialog",
      "Shows one operator dialog, then prints Cancel and SkipScreen as its caller reads them");
  pDialog->require_subcommand(1);
  pDialog->fallthrough();
  COperatorOption::AddTo(*pDialog, pArgs->sOperator);

  CLI::App* pBefore = pDialog->add_subcommand(
      "stop-before", "The stop before the outlet's power configuration changes");
  pBefore->add_flag("--to-on", pArgs->fToOn, "the outlet will be switched on");
  pBefore->add_flag("--to-off", pArgs->fToOff, "the outlet will be switched off");
  pBefore->callback([pArgs, &ctx] { ShowDialog(edu_StopBefore, *pArgs, ctx); });

  CLI::App* pAfter =
      pDialog->add_subcommand("stop-after", "The stop after the outlet's power has changed");
  CLI::Option* pOn = pAfter->add_flag("--on", pArgs->fOn, "the outlet is now on");
  CLI::Option* pOff = pAfter->add_flag("--off", pArgs->fOff, "the outlet is now off");
  pOn->excludes(pOff);
  pAfter->callback([pArgs, &ctx] {
    if (!pArgs->fOn && !pArgs->fOff) {
      throw CLI::ValidationError("stop-after", "give --on or --off");
    }
    ShowDialog(edu_StopAfter, *pArgs, ctx);
  });

  CLI::App* pNoResistance = pDialog->add_subcommand(
      "no-resistance", "The question when no resistance could be measured (with Skip)");
  pNoResistance->callback([pArgs, &ctx] { ShowDialog(edu_NoResistance, *pArgs, ctx); });

  CLI::App* pWait =
      pDialog->add_subcommand("wait", "The power-on or power-off delay with its countdown");
  pWait
      ->add_option("--state", pArgs->sState,
                   "the outlet's state in text-number form: 21017::ON or 21018::OFF")
      ->required();
  pWait->add_option("--seconds", pArgs->lSeconds, "the delay; 0 or less shows nothing")->required();
  pWait->add_flag("--before", pArgs->fBefore, "announced before the outlet is switched off");
  pWait->callback([pArgs, &ctx] { ShowDialog(edu_Wait, *pArgs, ctx); });
}

}  // namespace ksv940
