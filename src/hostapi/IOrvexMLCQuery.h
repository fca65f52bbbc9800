#pragma once

#include <cstdint>
#include <string>

namespace ksv940 {

/// The record a discovery query answers, in the host's field order.
struct MtiQueryResult {
  std::string Model;     ///< "KSV940" when an instrument answered, else empty
  std::string Serial;    ///< serial number, or empty
  std::string Firmware;  ///< firmware version, or empty
  int32_t Result = 0;    ///< 0 nothing identified; 1 answered its status only; 2 identified
};

/// The host's interface for asking one port which instrument is attached.
class IOrvexMLCQuery {
 public:
  virtual ~IOrvexMLCQuery() = default;
  virtual std::string FWVersion() const = 0;
  virtual std::string MtiType() const = 0;
  virtual std::string SerialNo() const = 0;
  /// Never raises: every failure ends in a record with Result 0.
  virtual MtiQueryResult QueryMTI(int32_t lPort) = 0;
};

}  // namespace ksv940
