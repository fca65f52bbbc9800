#include "testing/MRunCommand.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/CCommandRegistry.h"

namespace ksv940::test {

namespace {

std::string ReadWhole(const std::string& sPath) {
  std::ifstream in(sPath);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Quoted(const std::string& sArg) {
  std::string sOut = "'";
  for (char c : sArg) {
    sOut += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return sOut + "'";
}

}  // namespace

SRun RunInProcess(std::vector<std::string> vArgs) {
  vArgs.insert(vArgs.begin(), "ksv940");
  std::ostringstream out;
  std::ostringstream err;
  int iExit = CCommandRegistry::Run(vArgs, out, err);
  return {iExit, out.str(), err.str()};
}

SRun RunBinary(const std::vector<std::string>& vArgs) {
  std::string sCommand = Quoted(KSV940_BINARY);
  for (const std::string& sArg : vArgs) {
    sCommand += " " + Quoted(sArg);
  }
  std::string sOut = ::testing::TempDir() + "ksv940-run.out";
  std::string sErr = ::testing::TempDir() + "ksv940-run.err";
  int iStatus = std::system((sCommand + " >" + sOut + " 2>" + sErr).c_str());
  return {WIFEXITED(iStatus) ? WEXITSTATUS(iStatus) : -1, ReadWhole(sOut), ReadWhole(sErr)};
}

}  // namespace ksv940::test
