#pragma once

#include <vector>

#include "app/commands/MCommandLine.h"

namespace ksv940 {

// The subcommands of the ksv940 command, one per file.
void AddCalibrateCommand(CLI::App& app, SCommandContext& ctx);
void AddConnectCommand(CLI::App& app, SCommandContext& ctx);
void AddDialogCommand(CLI::App& app, SCommandContext& ctx);
void AddExplainCommand(CLI::App& app, SCommandContext& ctx);
void AddHistoryCommand(CLI::App& app, SCommandContext& ctx);
void AddHvCommand(CLI::App& app, SCommandContext& ctx);
void AddQueryCommand(CLI::App& app, SCommandContext& ctx);
void AddRunCommand(CLI::App& app, SCommandContext& ctx);
void AddSendCommand(CLI::App& app, SCommandContext& ctx);
void AddSimCommand(CLI::App& app, SCommandContext& ctx);

/// Every subcommand, in the order help lists them.
const std::vector<FAddCommand>& AllCommands();

}  // namespace ksv940
