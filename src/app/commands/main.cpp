#include <iostream>
#include <string>
#include <vector>

#include "app/commands/MCommands.h"
#include "host/default/MHostDefaults.h"

int main(int argc, char** argv) {
  // The host's services come first, as the host provides them before it loads a component.
  ksv940::InstallHostDefaults();
  std::vector<std::string> vArgs(argv, argv + argc);
  return ksv940::RunCommandLine(ksv940::AllCommands(), vArgs, std::cout, std::cerr);
}
