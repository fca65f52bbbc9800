#pragma once

#include "app/record/SRunRecord.h"
#include "app/store/SStoredRun.h"

namespace ksv940 {

/// The run as the results store keeps it (times in UTC), without its steps.
SStoredRun StoredRun(const SRunRecord& record);

/// One step as the results store keeps it.
SStoredStep StoredStep(const SStepRecord& step);

}  // namespace ksv940
