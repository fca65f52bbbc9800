#pragma once

#include <cstddef>

#include "app/record/SRunRecord.h"

namespace ksv940 {

/// Told how a run of a plan goes, for a person to follow it. Every call comes from the run's own
/// thread; the record is complete as far as the run has got.
class IRunObserver {
 public:
  virtual ~IRunObserver() = default;
  /// The connection to the analyzer is about to be made.
  virtual void Connecting(const SRunRecord& /*record*/) {}
  /// The connection has been made, has failed (record.connectionError) or found no analyzer.
  virtual void Connected(const SRunRecord& /*record*/) {}
  /// Step nStep (from 0) begins.
  virtual void StepStarting(const SRunRecord& /*record*/, size_t /*nStep*/) {}
  /// Step nStep has ended; its record is filled in.
  virtual void StepEnded(const SRunRecord& /*record*/, size_t /*nStep*/) {}
  /// The run is over and remote operation ended; the record holds the outcome.
  virtual void Finished(const SRunRecord& /*record*/) {}
};

}  // namespace ksv940
