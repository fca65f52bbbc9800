#pragma once

#include <gtest/gtest.h>

#include "platform/core/CAutomationError.h"

namespace ksv940::test {

/// The automation error that fn raised; when fn returns normally, a failed expectation and an
/// error numbered 0.
template <class F>
CAutomationError Caught(F fn) {
  try {
    fn();
  } catch (const CAutomationError& err) {
    return err;
  }
  ADD_FAILURE() << "nothing was raised";
  return CAutomationError(0, "", "");
}

}  // namespace ksv940::test
