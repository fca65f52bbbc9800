#include "app/store/CPostgresConnection.h"

#include <charconv>
#include <memory>

#include "app/store/CLibPq.h"
#include "app/store/CStoreError.h"

namespace ksv940 {

namespace {

// The types of the columns the store reads back (pg_type's numbers, fixed since PostgreSQL 7).
constexpr Oid kInt8 = 20;
constexpr Oid kInt2 = 21;
constexpr Oid kInt4 = 23;
constexpr Oid kFloat8 = 701;

struct SClear {
  void operator()(PGresult* pResult) const { CLibPq::Get().PQclear(pResult); }
};

// The server's message without its trailing line end.
std::string Reason(const char* pszMessage) {
  std::string sReason = pszMessage != nullptr ? pszMessage : "";
  while (!sReason.empty() && (sReason.back() == '\n' || sReason.back() == ' ')) {
    sReason.pop_back();
  }
  return sReason;
}

// Statements are written with "?" for both back ends; the server numbers its parameters.
std::string NumberedParameters(const std::string& sSql) {
  std::string sOut;
  int iNext = 1;
  for (char ch : sSql) {
    if (ch == '?') {
      sOut += "$" + std::to_string(iNext++);
    } else {
      sOut += ch;
    }
  }
  return sOut;
}

std::string ValueText(const SqlValue& value) {
  if (const int64_t* pl = std::get_if<int64_t>(&value)) {
    return std::to_string(*pl);
  }
  if (const double* pd = std::get_if<double>(&value)) {
    char szText[64];
    auto [pEnd, ec] = std::to_chars(szText, szText + sizeof szText, *pd);
    return std::string(szText, pEnd);
  }
  return std::get<std::string>(value);
}

SqlValue ColumnValue(const CLibPq& pq, const PGresult* pResult, int iRow, int iColumn) {
  if (pq.PQgetisnull(pResult, iRow, iColumn) != 0) {
    return std::monostate();
  }
  std::string sText(pq.PQgetvalue(pResult, iRow, iColumn),
                    static_cast<size_t>(pq.PQgetlength(pResult, iRow, iColumn)));
  Oid type = pq.PQftype(pResult, iColumn);
  if (type == kInt8 || type == kInt4 || type == kInt2) {
    int64_t lValue = 0;
    std::from_chars(sText.data(), sText.data() + sText.size(), lValue);
    return lValue;
  }
  if (type == kFloat8) {
    double dValue = 0.0;
    std::from_chars(sText.data(), sText.data() + sText.size(), dValue);
    return dValue;
  }
  return sText;
}

}  // namespace

bool CPostgresConnection::IsUrl(const std::string& sWhere) {
  return sWhere.starts_with("postgresql://") || sWhere.starts_with("postgres://");
}

CPostgresConnection::CPostgresConnection(const std::string& sUrl) : msUrl(sUrl) {
  // USER:PASSWORD@ before the host would put the password wherever the URL is shown.
  std::string::size_type nAt = sUrl.find('@');
  std::string::size_type nUser = sUrl.find("://") + 3;
  if (nAt != std::string::npos && sUrl.find(':', nUser) < nAt) {
    throw CStoreError(
        "the results store's URL holds a password: give it in PGPASSWORD or ~/.pgpass instead, "
        "and the URL as postgresql://USER@HOST:PORT/NAME");
  }
  const CLibPq& pq = CLibPq::Get();
  mpConnection = pq.PQconnectdb(sUrl.c_str());
  if (pq.PQstatus(mpConnection) != CONNECTION_OK) {
    std::string sWhy = Reason(pq.PQerrorMessage(mpConnection));
    pq.PQfinish(mpConnection);
    mpConnection = nullptr;
    throw CStoreError("the results store " + sUrl + " cannot be opened: " + sWhy);
  }
  // Notices (a table that already exists) are not for the person at the console.
  pq.PQsetNoticeProcessor(
      mpConnection, [](void*, const char*) {}, nullptr);
  // Each step's commit must survive a power loss, whatever the server's default. A failure here
  // leaves no destructor to end the connection, so it is ended before the failure goes on.
  try {
    Query("SET synchronous_commit = on");
    Query("SET TIME ZONE 'UTC'");
  } catch (...) {
    pq.PQfinish(mpConnection);
    mpConnection = nullptr;
    throw;
  }
}

CPostgresConnection::~CPostgresConnection() {
  if (mpConnection != nullptr) {
    CLibPq::Get().PQfinish(mpConnection);
  }
}

std::vector<SqlRow> CPostgresConnection::Query(const std::string& sSql,
                                               const std::vector<SqlValue>& vParams) {
  std::vector<std::string> vTexts;
  vTexts.reserve(vParams.size());
  std::vector<const char*> vValues;
  for (const SqlValue& value : vParams) {
    if (std::holds_alternative<std::monostate>(value)) {
      vValues.push_back(nullptr);
    } else {
      vValues.push_back(vTexts.emplace_back(ValueText(value)).c_str());
    }
  }
  const CLibPq& pq = CLibPq::Get();
  std::unique_ptr<PGresult, SClear> pResult(pq.PQexecParams(
      mpConnection, NumberedParameters(sSql).c_str(), static_cast<int>(vValues.size()), nullptr,
      vValues.data(), nullptr, nullptr, 0));
  ExecStatusType status = pq.PQresultStatus(pResult.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    throw CStoreError("the results store " + msUrl + " cannot be read or written: " +
                      Reason(pq.PQresultErrorMessage(pResult.get())));
  }
  std::vector<SqlRow> vRows;
  int nRows = pq.PQntuples(pResult.get());
  int nColumns = pq.PQnfields(pResult.get());
  for (int iRow = 0; iRow < nRows; ++iRow) {
    SqlRow& row = vRows.emplace_back();
    for (int iColumn = 0; iColumn < nColumns; ++iColumn) {
      row.push_back(ColumnValue(pq, pResult.get(), iRow, iColumn));
    }
  }
  return vRows;
}

void CPostgresConnection::BeginExclusive() {
  Query("BEGIN");
  // One lock for the schema's check and upgrade, whether the tables exist yet or not.
  Query("SELECT pg_advisory_xact_lock(940940)");
}

bool CPostgresConnection::HasTable(const std::string& sName) {
  return !Query(
              "SELECT 1 FROM information_schema.tables WHERE table_schema = current_schema() "
              "AND table_name = ?",
              {sName})
              .empty();
}

}  // namespace ksv940
