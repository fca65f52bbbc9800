#pragma once

#include <string>

#include "app/store/ISqlConnection.h"

struct pg_conn;

namespace ksv940 {

/// A connection to a PostgreSQL server by its URL, postgresql://USER@HOST:PORT/NAME. A password
/// comes only from the environment (PGPASSWORD) or ~/.pgpass, as libpq finds it: a URL that holds
/// one is refused, so that it cannot end up in a report, a log or a message. Throws CStoreError.
class CPostgresConnection : public ISqlConnection {
 public:
  explicit CPostgresConnection(const std::string& sUrl);
  ~CPostgresConnection() override;
  CPostgresConnection(const CPostgresConnection&) = delete;
  CPostgresConnection& operator=(const CPostgresConnection&) = delete;

  std::vector<SqlRow> Query(const std::string& sSql,
                            const std::vector<SqlValue>& vParams = {}) override;
  void BeginExclusive() override;
  const char* KeyColumn() const override { return "BIGSERIAL PRIMARY KEY"; }
  const char* RealColumn() const override { return "DOUBLE PRECISION"; }
  bool HasTable(const std::string& sName) override;

  /// Whether sWhere names a PostgreSQL server rather than a file.
  static bool IsUrl(const std::string& sWhere);

 private:
  std::string msUrl;
  pg_conn* mpConnection = nullptr;
};

}  // namespace ksv940
