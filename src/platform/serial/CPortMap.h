#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace ksv940 {

/// Turns the port numbers the host knows into device paths. Numbers are mapped by the host (the
/// command registers a device given by path under a free number) or by $KSV940_PORTS
/// ("5=/dev/ttyUSB0,7=/dev/pts/3"); an unmapped number n stands for /dev/ttyS{n-1}.
class CPortMap {
 public:
  CPortMap() = default;

  /// The map of $KSV940_PORTS; raises Invalid procedure call (5), naming the fault, when the
  /// variable is malformed.
  static std::shared_ptr<CPortMap> CreateDefault();

  /// The device of port lPort; the empty text for numbers below 1.
  std::string DevicePath(int32_t lPort) const;
  void Map(int32_t lPort, const std::string& sPath);
  /// The number sPath is mapped under; when it has none, maps it under the lowest number that is
  /// neither mapped nor the fallback of an existing device, and answers that.
  int32_t Register(const std::string& sPath);
  /// Adds "N=PATH,N=PATH" entries; raises Invalid procedure call (5) naming the first bad entry.
  void AddMappings(const std::string& sMappings);
  const std::map<int32_t, std::string>& Entries() const { return mPorts; }

 private:
  std::map<int32_t, std::string> mPorts;
};

}  // namespace ksv940
