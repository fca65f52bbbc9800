#pragma once

#include <memory>
#include <string>

#include "app/store/IResultsStore.h"
#include "app/store/ISqlConnection.h"

namespace ksv940 {

/// The results store on either back end: the same statements over one connection, whose schema
/// it brings up to date when it opens.
class CResultsStore : public IResultsStore {
 public:
  CResultsStore(std::unique_ptr<ISqlConnection> pConnection, std::string sWhere);

  int64_t BeginRun(const SStoredRun& run) override;
  void AddStep(int64_t lRun, const SStoredStep& step) override;
  void EndRun(int64_t lRun, const SStoredRun& run) override;
  std::vector<SPreviousValue> EarlierValues(int64_t lRun, const SStoredDevice& device,
                                            const SStoredStep& step, int32_t lAtMost) override;
  std::vector<SStoredRun> Runs(const SRunQuery& query) override;
  const std::string& Where() const override { return msWhere; }

 private:
  std::vector<SStoredStep> Steps(int64_t lRun);
  void InsertStep(int64_t lRun, const SStoredStep& step);

  std::unique_ptr<ISqlConnection> mpConnection;
  std::string msWhere;
};

}  // namespace ksv940
