#pragma once

#include <stdexcept>
#include <string>

namespace ksv940 {

/// A results store that cannot be opened, read or written; what() says which and why.
class CStoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace ksv940
