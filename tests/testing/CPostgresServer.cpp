#include "testing/CPostgresServer.h"

#include <stdlib.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace ksv940::test {

namespace {

const std::string kSandbox = std::string(KSV940_SOURCE_DIR) + "/scripts/pg-sandbox";

// Runs the sandbox script with sArgs; answers its exit status and its first line of output.
int Sandbox(const std::string& sArgs, std::string& sLine) {
  FILE* pOut = popen((kSandbox + " " + sArgs + " 2>&1").c_str(), "r");
  if (pOut == nullptr) {
    sLine = "the sandbox script cannot be started";
    return -1;
  }
  std::array<char, 512> szLine{};
  sLine =
      fgets(szLine.data(), static_cast<int>(szLine.size()), pOut) != nullptr ? szLine.data() : "";
  while (!sLine.empty() && sLine.back() == '\n') {
    sLine.pop_back();
  }
  while (fgets(szLine.data(), static_cast<int>(szLine.size()), pOut) != nullptr) {
  }
  return pclose(pOut);
}

}  // namespace

CPostgresServer::CPostgresServer(bool fDurable) {
  // /tmp keeps the socket's path well under the 107 bytes a Unix socket's name may have.
  std::string sTemplate = "/tmp/ksvpg-XXXXXX";
  if (mkdtemp(sTemplate.data()) == nullptr) {
    msProblem = "no temporary folder for the server";
    return;
  }
  msDir = sTemplate;
  std::string sLine;
  if (Sandbox("start " + msDir + (fDurable ? "" : " --no-fsync"), sLine) != 0) {
    msProblem = sLine;
    return;
  }
  mfStarted = true;
}

CPostgresServer::~CPostgresServer() {
  // A server that did not start leaves its folder and logs for a person to read.
  if (mfStarted) {
    std::string sLine;
    Sandbox("stop " + msDir, sLine);
  }
}

std::string CPostgresServer::NewDatabase(const std::string& sName) {
  std::string sUrl;
  if (Sandbox("createdb " + msDir + " " + sName, sUrl) != 0) {
    // What the script said is no URL: taken as one, it would name an SQLite file.
    throw std::runtime_error("database " + sName + " cannot be made: " + sUrl);
  }
  return sUrl;
}

std::string CPostgresServer::IntegrityProblem(const std::string& sName) {
  std::string sLine;
  if (Sandbox("check " + msDir + " " + sName, sLine) == 0) {
    return {};
  }
  return sLine.empty() ? "pg_amcheck failed" : sLine;
}

}  // namespace ksv940::test
