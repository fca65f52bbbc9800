#pragma once

#include <string>

namespace ksv940::test {

/// A PostgreSQL 15 server of its own in a fresh temporary folder, reached through a Unix socket
/// there; stopped and removed with the object. scripts/pg-sandbox does the work, as it does for a
/// person trying the shared store. Problem() says why there is none (the server's programs
/// missing, no postgres user to run it as root).
class CPostgresServer {
 public:
  /// fDurable false turns fsync off, for tests that do not measure it.
  explicit CPostgresServer(bool fDurable = false);
  ~CPostgresServer();
  CPostgresServer(const CPostgresServer&) = delete;
  CPostgresServer& operator=(const CPostgresServer&) = delete;

  /// Empty when the server runs; else why it does not.
  const std::string& Problem() const { return msProblem; }
  /// A new empty database sName on the server, as the URL a store opens; throws
  /// std::runtime_error when it cannot be made.
  std::string NewDatabase(const std::string& sName);
  /// What PostgreSQL's integrity check (pg_amcheck, every table and index) finds wrong in
  /// database sName; empty when it is clean.
  std::string IntegrityProblem(const std::string& sName);

 private:
  std::string msDir;
  std::string msProblem;
  bool mfStarted = false;
};

}  // namespace ksv940::test
