#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ksv940 {

/// The component's string table: error texts 901 to 911, the micro-sequence templates 8001 to
/// 8024, the value formats 8101 to 8122 and the units 8201 to 8222, each block with its heading
/// row (8000, 8100, 8200).
class CStringTable {
 public:
  /// The text stored under lId; nothing when the table has no such row.
  static std::optional<std::string> Load(int32_t lId);
  static bool Has(int32_t lId) { return Load(lId).has_value(); }

  static constexpr int32_t kTemplateBase = 8000;
  static constexpr int32_t kValueFormatBase = 8100;
  static constexpr int32_t kUnitBase = 8200;
  static constexpr int32_t kErrorTextBase = 900;
};

}  // namespace ksv940
