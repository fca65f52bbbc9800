#pragma once

#include <gtest/gtest.h>

#include "platform/core/CAutomationError.h"

namespace ksv940::test {

/// The automation error that fn raised. When fn returns normally: an error numbered 0 with the
/// description "returned", and a failed expectation unless fMayReturn.
template <class F>
CAutomationError Caught(F fn, bool fMayReturn = false) {
  try {
    fn();
  } catch (const CAutomationError& err) {
    return err;
  }
  EXPECT_TRUE(fMayReturn) << "nothing was raised";
  return CAutomationError(0, "", "returned");
}

}  // namespace ksv940::test
