// ksv940 history: what the results store holds of one device (a table of its tests over its runs,
// or a page of charts) or of the runs across devices.

#include <stdlib.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <vector>

#include "app/commands/MCommands.h"
#include "app/console/CRunConsole.h"
#include "app/reports/CReportSet.h"
#include "app/store/CStoreError.h"
#include "app/store/IResultsStore.h"
#include "app/store/MHistory.h"

namespace ksv940 {

namespace {

struct SHistoryArgs {
  std::string sAsset;
  bool fRuns = false;
  std::string sDb;
  int32_t lLast = 10;
  bool fLastGiven = false;
  std::string sJson;
  std::string sCsv;
  std::string sHtml;
  std::string sSince;
  std::string sVerdict;
  std::vector<std::string> vDevice;
};

// "-" is standard output; any other name a file, replaced whole.
bool Write(const std::string& sPath, const std::string& sText, SCommandContext& ctx) {
  if (sPath == "-") {
    ctx.out << sText;
    return true;
  }
  std::string sWhy = ReplaceFile(sPath, sText);
  if (!sWhy.empty()) {
    ctx.err << "ksv940 history: cannot write " << sPath << ": " << sWhy << "\n";
    return false;
  }
  return true;
}

int ShowHistory(const SHistoryArgs& args, SCommandContext& ctx) {
  if (args.sAsset.empty() == !args.fRuns) {
    ctx.err << "ksv940 history: give one of --asset ASSET and --runs\n";
    return ecxUsage;
  }
  SRunQuery query;
  query.sSince = args.sSince;
  query.sVerdict = args.sVerdict;
  for (const std::string& sPair : args.vDevice) {
    std::string::size_type nAt = sPair.find('=');
    query.vDevice.emplace_back(sPair.substr(0, nAt), sPair.substr(nAt + 1));
  }
  if (!args.fRuns) {
    query.sAsset = args.sAsset;
    query.fSteps = true;
  }
  if (!args.fRuns || args.fLastGiven) {
    query.lLast = args.lLast;
  }
  // The JSON and CSV of runs across devices carry their steps too, so that they are whole.
  query.fSteps = query.fSteps || !args.sJson.empty() || !args.sCsv.empty();
  std::vector<SStoredRun> vRuns;
  try {
    std::string sWhere = IResultsStore::ChosenWhere(args.sDb);
    // history only reads: a store that is not there is not created.
    if (sWhere.find("://") == std::string::npos && access(sWhere.c_str(), F_OK) != 0) {
      ctx.err << "ksv940 history: there is no results store at " << sWhere << "\n";
      return ecxFailure;
    }
    vRuns = IResultsStore::Open(sWhere, ctx.err)->Runs(query);
  } catch (const CStoreError& e) {
    ctx.err << "ksv940 history: " << e.what() << "\n";
    return ecxFailure;
  }
  bool fWritten = true;
  bool fAny = false;
  for (const auto& [psPath, fnView] :
       {std::pair{&args.sJson, &HistoryJson}, std::pair{&args.sCsv, &HistoryCsv},
        std::pair{&args.sHtml, &HistoryHtml}}) {
    if (!psPath->empty()) {
      fAny = true;
      fWritten = Write(*psPath, fnView(vRuns), ctx) && fWritten;
    }
  }
  if (!fAny) {
    ctx.out << (args.fRuns ? RunsText(vRuns) : HistoryText(vRuns, CRunConsole::Utf8Locale()));
  }
  return fWritten ? ecxOk : ecxFailure;
}

}  // namespace

void AddHistoryCommand(CLI::App& app, SCommandContext& ctx) {
  auto pArgs = std::make_shared<SHistoryArgs>();
  CLI::App* pHistory = app.add_subcommand(
      "history",
      "Show what the results store keeps: --asset ASSET, a table per device with a row per test "
      "and a column per run (newest first); --runs, the runs across devices, newest first; exit 0 "
      "shown, 1 the store cannot be read, 2 bad usage");
  pHistory->add_option("--asset", pArgs->sAsset, "the device's asset number");
  pHistory->add_flag("--runs", pArgs->fRuns, "list the runs across devices");
  pHistory
      ->add_option("--db", pArgs->sDb,
                   "the results store: a file, or postgresql://USER@HOST:PORT/NAME (default "
                   "KSV940_DB, else $XDG_DATA_HOME/ksv940/results.db)")
      ->type_name("FILE|URL");
  pHistory
      ->add_option_function<int32_t>(
          "--last",
          [pArgs](int32_t lLast) {
            pArgs->lLast = lLast;
            pArgs->fLastGiven = true;
          },
          "at most N runs per device (default 10; with --runs, all unless given)")
      ->type_name("N")
      ->check(CLI::PositiveNumber);
  pHistory->add_option("--json", pArgs->sJson, "write the runs as JSON to FILE (- for stdout)")
      ->type_name("FILE");
  pHistory->add_option("--csv", pArgs->sCsv, "write the runs as CSV to FILE (- for stdout)")
      ->type_name("FILE");
  pHistory
      ->add_option("--html", pArgs->sHtml,
                   "write a page to print: the tables and a chart per test (- for stdout)")
      ->type_name("FILE");
  pHistory->add_option("--since", pArgs->sSince, "only runs started on or after DATE (UTC)")
      ->type_name("DATE")
      ->check(CLI::Validator(
          [](std::string& sDate) -> std::string {
            bool fDate = sDate.size() >= 10 && sDate[4] == '-' && sDate[7] == '-' &&
                         std::all_of(sDate.begin(), sDate.begin() + 4, ::isdigit);
            return fDate ? "" : "--since takes a date as YYYY-MM-DD, not " + sDate;
          },
          ""));
  pHistory->add_option("--verdict", pArgs->sVerdict, "only runs with this verdict")
      ->check(CLI::IsMember({"pass", "fail", "incomplete"}));
  pHistory
      ->add_option("--device", pArgs->vDevice,
                   "only runs of devices whose field NAME (asset, manufacturer, model, serial, "
                   "location, class, type) is VALUE (repeatable)")
      ->type_name("NAME=VALUE")
      ->check(CLI::Validator(
          [](std::string& sPair) -> std::string {
            std::string sName = sPair.substr(0, sPair.find('='));
            const auto& fields = SStoredDevice::Fields();
            bool fKnown = sPair.find('=') != std::string::npos &&
                          std::any_of(fields.begin(), fields.end(),
                                      [&](const auto& field) { return sName == field.first; });
            return fKnown ? ""
                          : "--device takes NAME=VALUE with NAME one of asset, "
                            "manufacturer, model, serial, location, class, type";
          },
          ""));
  pHistory->callback([pArgs, &ctx] { ctx.iExitCode = ShowHistory(*pArgs, ctx); });
}

}  // namespace ksv940
