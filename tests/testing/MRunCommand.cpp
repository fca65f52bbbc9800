#include "testing/MRunCommand.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/commands/MCommands.h"
#include "testing/CTempDir.h"

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
  int iExit = RunCommandLine(AllCommands(), vArgs, out, err);
  return {iExit, out.str(), err.str()};
}

SRun RunBinary(const std::vector<std::string>& vArgs) {
  std::string sCommand = Quoted(KSV940_BINARY);
  for (const std::string& sArg : vArgs) {
    sCommand += " " + Quoted(sArg);
  }
  // Each run has its own files: tests run in parallel processes, and a shared name would let
  // one test read another's output.
  CTempDir dir;
  std::string sOut = dir.PathOf("out");
  std::string sErr = dir.PathOf("err");
  int iStatus = std::system((sCommand + " >" + sOut + " 2>" + sErr).c_str());
  return {WIFEXITED(iStatus) ? WEXITSTATUS(iStatus) : -1, ReadWhole(sOut), ReadWhole(sErr)};
}

}  // namespace ksv940::test
