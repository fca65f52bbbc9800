#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "app/run/CHostSession.h"
#include "app/run/CLinkSetup.h"
#include "app/run/SCommandContext.h"

namespace ksv940 {

class CPlanRunner;

/// The link and the host session of a command that runs a plan on the analyzer (run, calibrate,
/// hv).
struct SPlanSession {
  std::unique_ptr<CLinkSetup> pLink;
  std::unique_ptr<CHostSession> pSession;
};

/// Sets up the link and the host session (its dialogs shown through viewCtx) for
/// "ksv940 sCommand". What fails is said on err after "ksv940 sCommand: " and answered as the exit
/// code: a bad link or scenario is bad usage, a simulator that cannot start a failure. nullopt
/// when both are up.
std::optional<int> OpenPlanSession(const std::string& sCommand, const SLinkOptions& link,
                                   const SHostOptions& host, SCommandContext& viewCtx,
                                   std::ostream& err, SPlanSession& session);

/// Runs runner over the session's link, Ctrl-C interrupting it as the host's Abort does, and
/// answers its exit code.
int RunPlan(SPlanSession& session, CPlanRunner& runner, bool fKeepGoing);

}  // namespace ksv940
