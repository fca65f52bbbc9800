#include "app/commands/MCommands.h"

namespace ksv940 {

const std::vector<FAddCommand>& AllCommands() {
  static const std::vector<FAddCommand> vCommands = {
      &AddRunCommand,     &AddCalibrateCommand, &AddHvCommand,      &AddHistoryCommand,
      &AddConnectCommand, &AddDialogCommand,    &AddExplainCommand, &AddQueryCommand,
      &AddSendCommand,    &AddSimCommand,
  };
  return vCommands;
}

}  // namespace ksv940
