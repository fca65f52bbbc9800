#include "app/run/MPlanCommand.h"

#include <system_error>

#include "app/run/CPlanRunner.h"
#include "app/run/ECommandExit.h"
#include "platform/core/CAutomationError.h"
#include "sim/CSimScenario.h"

namespace ksv940 {

std::optional<int> OpenPlanSession(const std::string& sCommand, const SLinkOptions& link,
                                   const SHostOptions& host, SCommandContext& viewCtx,
                                   std::ostream& err, SPlanSession& session) {
  const std::string sPrefix = "ksv940 " + sCommand + ": ";
  try {
    session.pLink = std::make_unique<CLinkSetup>(link);
    session.pSession = std::make_unique<CHostSession>(host, viewCtx, link.sWifi);
  } catch (const CAutomationError& error) {
    err << sPrefix << error.Description() << "\n";
    return ecxUsage;
  } catch (const CSimScenarioError& error) {
    err << sPrefix << error.what() << "\n";
    return ecxUsage;
  } catch (const std::system_error& error) {
    err << sPrefix << "the simulated analyzer cannot start: " << error.what() << "\n";
    return ecxFailure;
  }
  return std::nullopt;
}

int RunPlan(SPlanSession& session, CPlanRunner& runner, bool fKeepGoing) {
  session.pSession->OnInterrupt([&runner] { runner.Interrupt(); });
  int iExit = runner.Run(session.pLink->Port(), session.pLink->Description(), fKeepGoing);
  session.pSession->OnInterrupt({});
  return iExit;
}

}  // namespace ksv940
