#pragma once

#include <string>
#include <vector>

#include "app/store/ISqlConnection.h"

namespace ksv940 {

/// The schema version this ksv940 writes.
constexpr int kStoreSchemaVersion = 2;

/// Brings the schema of the store on connection to kStoreSchemaVersion: creates it in an empty
/// database, upgrades an older one in place, in one transaction that other writers wait for.
/// Throws CStoreError for a schema newer than this ksv940 knows; sWhere names the store.
void PrepareSchema(ISqlConnection& connection, const std::string& sWhere);

/// Creates the schema as version iVersion had it (what an older ksv940 left): the tests' older
/// stores.
void CreateSchemaVersion(ISqlConnection& connection, int iVersion);

}  // namespace ksv940
