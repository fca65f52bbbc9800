#pragma once

#include <ostream>
#include <string>

#include "app/store/ISqlConnection.h"

struct sqlite3;

namespace ksv940 {

/// An SQLite database file, opened (and created) for reading and writing: write-ahead logging
/// where the file system allows it, a busy time-out so that two runs can write at once, every
/// commit synchronous. Throws CStoreError when the file cannot be opened.
class CSqliteConnection : public ISqlConnection {
 public:
  /// Opens sPath; a remark why WAL is not used goes to notes. On a network file system
  /// (fNetworkFileSystem, as IsNetworkFileSystem finds it) the file keeps a rollback journal.
  CSqliteConnection(const std::string& sPath, std::ostream& notes, bool fNetworkFileSystem);
  ~CSqliteConnection() override;
  CSqliteConnection(const CSqliteConnection&) = delete;
  CSqliteConnection& operator=(const CSqliteConnection&) = delete;

  std::vector<SqlRow> Query(const std::string& sSql,
                            const std::vector<SqlValue>& vParams = {}) override;
  void BeginExclusive() override;
  const char* KeyColumn() const override { return "INTEGER PRIMARY KEY AUTOINCREMENT"; }
  const char* RealColumn() const override { return "REAL"; }
  bool HasTable(const std::string& sName) override;

 private:
  [[noreturn]] void Fail(const std::string& sWhat) const;

  std::string msPath;
  sqlite3* mpDb = nullptr;
};

/// Whether sPath lies on a network file system, where SQLite's write-ahead log cannot be shared.
bool IsNetworkFileSystem(const std::string& sPath);
/// Whether a file system of type ulType (statfs's f_type) is a network one: NFS, SMB, CIFS, AFS
/// or FUSE (sshfs and the like).
bool IsNetworkFileSystemType(unsigned long ulType);

}  // namespace ksv940
