#include <unistd.h>

#include <iostream>

#include "app/console/CRunConsole.h"

namespace ksv940 {

bool CRunConsole::IsTerminal(const std::ostream& stream) {
  if (&stream == &std::cerr || &stream == &std::clog) {
    return isatty(STDERR_FILENO) == 1;
  }
  return &stream == &std::cout && isatty(STDOUT_FILENO) == 1;
}

}  // namespace ksv940
