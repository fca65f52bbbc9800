#include "testing/CPostgresServer.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "app/store/CPostgresConnection.h"
#include "app/store/CStoreError.h"

namespace ksv940::test {

namespace {

constexpr const char* kBin = "/usr/lib/postgresql/15/bin";

// The URL's host is the socket's folder, percent-encoded.
std::string Encoded(const std::string& sText) {
  std::string sOut;
  for (char ch : sText) {
    sOut += ch == '/' ? std::string("%2F") : std::string(1, ch);
  }
  return sOut;
}

}  // namespace

CPostgresServer::CPostgresServer(bool fDurable) {
  if (!std::filesystem::exists(std::string(kBin) + "/initdb")) {
    msProblem = std::string("PostgreSQL 15's server is not installed (no ") + kBin +
                "/initdb): scripts/setup installs it";
    return;
  }
  // /tmp keeps the socket's path well under the 107 bytes a Unix socket's name may have.
  std::string sTemplate = "/tmp/ksvpg-XXXXXX";
  msDir = mkdtemp(sTemplate.data()) != nullptr ? sTemplate : std::string();
  std::string sAs;
  if (geteuid() == 0) {
    const passwd* pUser = getpwnam("postgres");
    if (pUser == nullptr || chown(msDir.c_str(), pUser->pw_uid, pUser->pw_gid) != 0) {
      msProblem = "running as root, and there is no postgres user to run the server as";
      return;
    }
    sAs = "runuser -u postgres -- ";
  }
  std::string sInit = sAs + kBin + "/initdb -D " + msDir + "/data -U ksv940 -A trust -E UTF8 " +
                      "--locale=C --no-sync >" + msDir + "/initdb.log 2>&1";
  std::string sStart = sAs + kBin + "/pg_ctl -D " + msDir + "/data -l " + msDir +
                       "/server.log -w -o \"-k " + msDir + " -c listen_addresses= -p 5432" +
                       (fDurable ? "" : " -c fsync=off") + "\" start >/dev/null 2>&1";
  if (std::system(sInit.c_str()) != 0) {
    msProblem = "initdb failed: see " + msDir + "/initdb.log";
    return;
  }
  mfStarted = std::system(sStart.c_str()) == 0;
  if (!mfStarted) {
    msProblem = "the server did not start: see " + msDir + "/server.log";
  }
}

CPostgresServer::~CPostgresServer() {
  if (mfStarted) {
    std::string sStop = std::string(geteuid() == 0 ? "runuser -u postgres -- " : "") + kBin +
                        "/pg_ctl -D " + msDir + "/data -m immediate -w stop >/dev/null 2>&1";
    (void)std::system(sStop.c_str());
  }
  if (!msDir.empty() && msProblem.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(msDir, ec);
  }
}

std::string CPostgresServer::NewDatabase(const std::string& sName) {
  std::string sServer = "postgresql://ksv940@" + Encoded(msDir) + ":5432/";
  try {
    CPostgresConnection(sServer + "postgres").Query("CREATE DATABASE " + sName);
  } catch (const CStoreError&) {
    // The database is there already, or the server is not: the store's own opening tells which.
  }
  return sServer + sName;
}

}  // namespace ksv940::test
