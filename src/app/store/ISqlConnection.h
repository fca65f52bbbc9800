#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace ksv940 {

/// A value bound to a statement or read from a row: NULL, an integer, a real or text.
using SqlValue = std::variant<std::monostate, int64_t, double, std::string>;
using SqlRow = std::vector<SqlValue>;

/// One connection to a database, the part of it the results store needs. Statements are written
/// once for both back ends: parameters as "?", values only ever bound, never spliced.
class ISqlConnection {
 public:
  virtual ~ISqlConnection() = default;

  /// Runs one statement with vParams bound to its "?" in order and answers its rows. Throws
  /// CStoreError.
  virtual std::vector<SqlRow> Query(const std::string& sSql,
                                    const std::vector<SqlValue>& vParams = {}) = 0;
  /// Starts a transaction that no other writer can enter until it ends (the schema's check and
  /// upgrade).
  virtual void BeginExclusive() = 0;
  /// The column type of a generated row number that is the table's key.
  virtual const char* KeyColumn() const = 0;
  /// The column type of a real number.
  virtual const char* RealColumn() const = 0;
  /// Whether the schema's table sName exists.
  virtual bool HasTable(const std::string& sName) = 0;
};

}  // namespace ksv940
