#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace ksv940 {

/// The host's knowledge of which port an instrument is attached to.
class IMtiPortLookup {
 public:
  virtual ~IMtiPortLookup() = default;

  /// The port number of the instrument of model sModel (and serial number sSerial when not empty);
  /// 0 or less when no port is known.
  virtual int32_t FindPort(const std::string& sModel, const std::string& sSerial) = 0;
};

}  // namespace ksv940
