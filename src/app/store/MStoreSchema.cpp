#include "app/store/MStoreSchema.h"

#include "app/store/CStoreError.h"

namespace ksv940 {

namespace {

// The statements that bring version N-1 to version N, from nothing to version 1 first. "{key}" and
// "{real}" stand for the back end's types; everything else is the same SQL on both.
const std::vector<std::vector<std::string>>& Upgrades() {
  static const std::vector<std::vector<std::string>> vUpgrades = {
      {
          "CREATE TABLE schema_version (version INTEGER NOT NULL)",
          "CREATE TABLE runs (id {key}, report_id TEXT NOT NULL UNIQUE, plan_name TEXT NOT NULL, "
          "plan_file TEXT NOT NULL, device_asset TEXT NOT NULL, device_manufacturer TEXT NOT NULL, "
          "device_model TEXT NOT NULL, device_serial TEXT NOT NULL, device_location TEXT NOT NULL, "
          "device_class TEXT NOT NULL, device_type TEXT NOT NULL, tester TEXT NOT NULL, "
          "analyzer_model TEXT NOT NULL, analyzer_serial TEXT NOT NULL, "
          "analyzer_firmware TEXT NOT NULL, link TEXT NOT NULL, options TEXT NOT NULL, "
          "started TEXT NOT NULL, finished TEXT, outcome TEXT NOT NULL, verdict TEXT NOT NULL)",
          "CREATE INDEX runs_asset ON runs (device_asset, started)",
          "CREATE INDEX runs_identity ON runs (device_manufacturer, device_model, device_serial, "
          "started)",
          "CREATE INDEX runs_started ON runs (started)",
          "CREATE TABLE steps (run_id BIGINT NOT NULL REFERENCES runs (id), idx INTEGER NOT NULL, "
          "kind TEXT NOT NULL, name TEXT NOT NULL, test_id INTEGER, pc INTEGER, ap TEXT, nap TEXT, "
          "lead INTEGER, state TEXT NOT NULL, value {real}, unknown TEXT NOT NULL, "
          "suffix TEXT NOT NULL, unit TEXT NOT NULL, display TEXT NOT NULL, min {real}, "
          "max {real}, verdict TEXT NOT NULL, error_number INTEGER, "
          "error_description TEXT NOT NULL, started TEXT, seconds {real}, "
          "PRIMARY KEY (run_id, idx))",
      },
      {
          // The plan's fingerprint, the analyzer's own words and the step's remark.
          "ALTER TABLE runs ADD COLUMN plan_sha256 TEXT NOT NULL DEFAULT ''",
          "ALTER TABLE steps ADD COLUMN reply TEXT NOT NULL DEFAULT ''",
          "ALTER TABLE steps ADD COLUMN remark TEXT NOT NULL DEFAULT ''",
      },
  };
  return vUpgrades;
}

std::string ForBackEnd(std::string sSql, const ISqlConnection& connection) {
  for (auto [pszMark, pszType] :
       {std::pair{"{key}", connection.KeyColumn()}, std::pair{"{real}", connection.RealColumn()}}) {
    for (size_t nAt; (nAt = sSql.find(pszMark)) != std::string::npos;) {
      sSql.replace(nAt, std::string(pszMark).size(), pszType);
    }
  }
  return sSql;
}

void Upgrade(ISqlConnection& connection, int iFrom, int iTo) {
  for (int iVersion = iFrom + 1; iVersion <= iTo; ++iVersion) {
    for (const std::string& sSql : Upgrades()[static_cast<size_t>(iVersion - 1)]) {
      connection.Query(ForBackEnd(sSql, connection));
    }
  }
  if (iFrom == 0) {
    connection.Query("INSERT INTO schema_version (version) VALUES (?)", {int64_t{iTo}});
  } else {
    connection.Query("UPDATE schema_version SET version = ?", {int64_t{iTo}});
  }
}

}  // namespace

void CreateSchemaVersion(ISqlConnection& connection, int iVersion) {
  connection.BeginExclusive();
  Upgrade(connection, 0, iVersion);
  connection.Query("COMMIT");
}

void PrepareSchema(ISqlConnection& connection, const std::string& sWhere) {
  static_assert(kStoreSchemaVersion > 0);
  connection.BeginExclusive();
  try {
    int iVersion = 0;
    if (connection.HasTable("schema_version")) {
      std::vector<SqlRow> vRows = connection.Query("SELECT MAX(version) FROM schema_version");
      const int64_t* plVersion = std::get_if<int64_t>(&vRows.at(0).at(0));
      if (plVersion == nullptr) {
        throw CStoreError("the results store " + sWhere + " has no schema version");
      }
      iVersion = static_cast<int>(*plVersion);
    } else if (connection.HasTable("runs")) {
      throw CStoreError("the database " + sWhere +
                        " holds a table runs but is not a ksv940 results store");
    }
    if (iVersion > kStoreSchemaVersion) {
      throw CStoreError("the results store " + sWhere + " has schema version " +
                        std::to_string(iVersion) + ", newer than this ksv940 knows (" +
                        std::to_string(kStoreSchemaVersion) +
                        "): use a newer ksv940, or another store");
    }
    if (iVersion < kStoreSchemaVersion) {
      Upgrade(connection, iVersion, kStoreSchemaVersion);
    }
    connection.Query("COMMIT");
  } catch (...) {
    try {
      connection.Query("ROLLBACK");
    } catch (const CStoreError&) {
      // The transaction is gone with the connection; the first failure is the one to tell.
    }
    throw;
  }
}

}  // namespace ksv940
