#include <iostream>
#include <string>
#include <vector>

#include "app/CCommandRegistry.h"

int main(int argc, char** argv) {
  std::vector<std::string> vArgs(argv, argv + argc);
  return ksv940::CCommandRegistry::Run(vArgs, std::cout, std::cerr);
}
