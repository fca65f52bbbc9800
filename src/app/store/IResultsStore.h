#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/store/SStoredRun.h"

namespace ksv940 {

/// The results database every run is kept in: an SQLite file on this machine, or a PostgreSQL
/// server several stations share. Every write is durable when it returns; a run that ends at any
/// point leaves the store consistent, with what was written before. Failures throw CStoreError
/// with a message a person can act on (never a password).
class IResultsStore {
 public:
  virtual ~IResultsStore() = default;

  /// Writes a new run's row (its outcome and verdict as given, usually "incomplete") and answers
  /// its number in the store.
  virtual int64_t BeginRun(const SStoredRun& run) = 0;
  /// Writes one step of run lRun that has ended, in a transaction of its own.
  virtual void AddStep(int64_t lRun, const SStoredStep& step) = 0;
  /// Writes how run lRun ended (the analyzer, finished, outcome and verdict) and, in the same
  /// transaction, run.vSteps: the steps that never ran, so that the stored run lists every step
  /// of its plan. All of it is in the store, or none.
  virtual void EndRun(int64_t lRun, const SStoredRun& run) = 0;

  /// The device's earlier values of the same test (code, power configuration, applied parts and
  /// lead) that completed with a value, from runs other than lRun, newest first, at most
  /// lAtMost; none for a device the store cannot recognize.
  virtual std::vector<SPreviousValue> EarlierValues(int64_t lRun, const SStoredDevice& device,
                                                    const SStoredStep& step, int32_t lAtMost) = 0;

  /// The runs query asks for, newest first.
  virtual std::vector<SStoredRun> Runs(const SRunQuery& query) = 0;

  /// Where the store is, as a person may read it: the file, or the URL (which holds no password).
  virtual const std::string& Where() const = 0;

  /// Opens (and creates or upgrades) the store at sWhere: a "postgresql://" or "postgres://" URL,
  /// else a file. Remarks a person should know (WAL not usable) go to notes.
  static std::unique_ptr<IResultsStore> Open(const std::string& sWhere, std::ostream& notes);

  /// Where a run keeps its results when nothing else is said: $XDG_DATA_HOME/ksv940/results.db,
  /// else ~/.local/share/ksv940/results.db.
  static std::string DefaultWhere();
  /// The store a command uses: sDb when given, else KSV940_DB when set, else DefaultWhere().
  static std::string ChosenWhere(const std::string& sDb);
};

}  // namespace ksv940
