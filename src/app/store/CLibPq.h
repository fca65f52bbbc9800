#pragma once

#include <libpq-fe.h>

namespace ksv940 {

/// PostgreSQL's client library, loaded the first time a store on a server is opened. A run on an
/// SQLite file never loads it, nor the Kerberos, LDAP and TLS libraries it brings along, which
/// would more than double the memory every run holds. Each member is the library's function of
/// the same name.
class CLibPq {
 public:
  /// The loaded library; throws CStoreError when it cannot be loaded, saying which package
  /// brings it.
  static const CLibPq& Get();

  decltype(&::PQconnectdb) PQconnectdb = nullptr;
  decltype(&::PQstatus) PQstatus = nullptr;
  decltype(&::PQerrorMessage) PQerrorMessage = nullptr;
  decltype(&::PQfinish) PQfinish = nullptr;
  decltype(&::PQsetNoticeProcessor) PQsetNoticeProcessor = nullptr;
  decltype(&::PQexecParams) PQexecParams = nullptr;
  decltype(&::PQresultStatus) PQresultStatus = nullptr;
  decltype(&::PQresultErrorMessage) PQresultErrorMessage = nullptr;
  decltype(&::PQclear) PQclear = nullptr;
  decltype(&::PQntuples) PQntuples = nullptr;
  decltype(&::PQnfields) PQnfields = nullptr;
  decltype(&::PQgetisnull) PQgetisnull = nullptr;
  decltype(&::PQgetvalue) PQgetvalue = nullptr;
  decltype(&::PQgetlength) PQgetlength = nullptr;
  decltype(&::PQftype) PQftype = nullptr;

 private:
  CLibPq() = default;
  static CLibPq Load();
};

}  // namespace ksv940
