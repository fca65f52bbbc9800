#pragma once

#include <ostream>

namespace ksv940 {

/// What a subcommand writes to and how it ends.
struct SCommandContext {
  std::ostream& out;
  std::ostream& err;
  int iExitCode = 0;
};

}  // namespace ksv940
