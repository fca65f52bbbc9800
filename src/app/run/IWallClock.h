#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace ksv940 {

/// The calendar time a report is stamped with. Durations come from the message pump's clock; this
/// only says when something happened, for a person reading the record later.
class IWallClock {
 public:
  virtual ~IWallClock() = default;

  /// Microseconds since 1970-01-01 00:00 UTC.
  virtual int64_t NowEpochUs() const = 0;
  /// The local time's offset from UTC in seconds (east positive) at lEpochUs.
  virtual int32_t UtcOffsetSeconds(int64_t lEpochUs) const = 0;

  /// lEpochUs as ISO 8601 local time with its offset, to the second: "2024-05-17T09:30:05+02:00".
  std::string IsoTime(int64_t lEpochUs) const;

  /// The operating system's calendar clock and time zone.
  static std::shared_ptr<IWallClock> CreateDefault();
};

}  // namespace ksv940
