#include "app/store/CSqliteConnection.h"

#include <sqlite3.h>

#include <memory>

#include "app/store/CStoreError.h"

namespace ksv940 {

namespace {

// How long a write waits for another run's commit before it fails.
constexpr int kBusyMs = 30000;

struct SFinalize {
  void operator()(sqlite3_stmt* pStatement) const { sqlite3_finalize(pStatement); }
};

}  // namespace

CSqliteConnection::CSqliteConnection(const std::string& sPath, std::ostream& notes,
                                     bool fNetworkFileSystem)
    : msPath(sPath) {
  int iResult =
      sqlite3_open_v2(sPath.c_str(), &mpDb,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  if (iResult != SQLITE_OK) {
    std::string sWhy = mpDb != nullptr ? sqlite3_errmsg(mpDb) : sqlite3_errstr(iResult);
    sqlite3_close(mpDb);
    mpDb = nullptr;
    throw CStoreError("the results store " + sPath + " cannot be opened: " + sWhy);
  }
  // A file that opens but is no database fails only at its first statement, here, where no
  // destructor will close the connection: close it before the failure goes on.
  try {
    sqlite3_busy_timeout(mpDb, kBusyMs);
    // A shared write-ahead log needs shared memory between the writers, which a network file
    // system does not give: there the rollback journal serves, and runs wait for each other.
    if (fNetworkFileSystem) {
      notes << "ksv940: the results store " << sPath
            << " is on a network file system, where write-ahead logging cannot be used: it keeps a "
               "rollback journal, and two runs writing at once wait for each other\n";
    } else {
      std::vector<SqlRow> vMode = Query("PRAGMA journal_mode=WAL");
      const std::string* psMode =
          vMode.empty() ? nullptr : std::get_if<std::string>(&vMode.front().front());
      if (psMode == nullptr || *psMode != "wal") {
        notes << "ksv940: the results store " << sPath
              << " cannot use write-ahead logging (journal mode "
              << (psMode != nullptr ? *psMode : std::string("unknown"))
              << "): two runs writing at once wait for each other\n";
      }
    }
    // Each step's commit must survive a power loss, so every commit waits for the disk.
    Query("PRAGMA synchronous=FULL");
    Query("PRAGMA foreign_keys=ON");
  } catch (...) {
    sqlite3_close(mpDb);
    mpDb = nullptr;
    throw;
  }
}

CSqliteConnection::~CSqliteConnection() {
  sqlite3_close(mpDb);
}

void CSqliteConnection::Fail(const std::string& sWhat) const {
  throw CStoreError("the results store " + msPath + " cannot be " + sWhat + ": " +
                    sqlite3_errmsg(mpDb));
}

std::vector<SqlRow> CSqliteConnection::Query(const std::string& sSql,
                                             const std::vector<SqlValue>& vParams) {
  sqlite3_stmt* pRaw = nullptr;
  if (sqlite3_prepare_v2(mpDb, sSql.c_str(), static_cast<int>(sSql.size()), &pRaw, nullptr) !=
      SQLITE_OK) {
    Fail("read or written");
  }
  std::unique_ptr<sqlite3_stmt, SFinalize> pStatement(pRaw);
  for (size_t i = 0; i < vParams.size(); ++i) {
    int iAt = static_cast<int>(i + 1);
    const SqlValue& value = vParams[i];
    if (const int64_t* pl = std::get_if<int64_t>(&value)) {
      sqlite3_bind_int64(pRaw, iAt, *pl);
    } else if (const double* pd = std::get_if<double>(&value)) {
      sqlite3_bind_double(pRaw, iAt, *pd);
    } else if (const std::string* ps = std::get_if<std::string>(&value)) {
      sqlite3_bind_text(pRaw, iAt, ps->data(), static_cast<int>(ps->size()), SQLITE_TRANSIENT);
    } else {
      sqlite3_bind_null(pRaw, iAt);
    }
  }
  std::vector<SqlRow> vRows;
  for (;;) {
    int iStep = sqlite3_step(pRaw);
    if (iStep == SQLITE_DONE) {
      return vRows;
    }
    if (iStep != SQLITE_ROW) {
      Fail("read or written");
    }
    SqlRow& row = vRows.emplace_back();
    int nColumns = sqlite3_column_count(pRaw);
    for (int iColumn = 0; iColumn < nColumns; ++iColumn) {
      switch (sqlite3_column_type(pRaw, iColumn)) {
        case SQLITE_INTEGER:
          row.emplace_back(static_cast<int64_t>(sqlite3_column_int64(pRaw, iColumn)));
          break;
        case SQLITE_FLOAT:
          row.emplace_back(sqlite3_column_double(pRaw, iColumn));
          break;
        case SQLITE_NULL:
          row.emplace_back(std::monostate());
          break;
        default: {
          const auto* pText = sqlite3_column_text(pRaw, iColumn);
          row.emplace_back(std::string(reinterpret_cast<const char*>(pText),
                                       static_cast<size_t>(sqlite3_column_bytes(pRaw, iColumn))));
        }
      }
    }
  }
}

void CSqliteConnection::BeginExclusive() {
  Query("BEGIN IMMEDIATE");
}

bool CSqliteConnection::HasTable(const std::string& sName) {
  return !Query("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?", {sName}).empty();
}

}  // namespace ksv940
