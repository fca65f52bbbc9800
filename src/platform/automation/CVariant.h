#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace ksv940 {

/// A value as the automation layer passes it between components: empty, a number or a text.
/// Used for message parameters and for properties that may answer "no value".
class CVariant {
 public:
  CVariant() = default;
  CVariant(int64_t lValue) : mValue(lValue) {}  // NOLINT(google-explicit-constructor)
  CVariant(int32_t lValue) : mValue(static_cast<int64_t>(lValue)) {}  // NOLINT
  CVariant(int16_t iValue) : mValue(static_cast<int64_t>(iValue)) {}  // NOLINT
  CVariant(double dValue) : mValue(dValue) {}                         // NOLINT
  CVariant(std::string sValue) : mValue(std::move(sValue)) {}         // NOLINT
  CVariant(const char* sValue) : mValue(std::string(sValue)) {}       // NOLINT

  bool IsEmpty() const { return std::holds_alternative<std::monostate>(mValue); }
  bool IsText() const { return std::holds_alternative<std::string>(mValue); }

  /// The value as text: numbers in decimal without separators, an empty value as "".
  std::string ToText() const;

  bool operator==(const CVariant& other) const = default;

 private:
  std::variant<std::monostate, int64_t, double, std::string> mValue;
};

using CVariantList = std::vector<CVariant>;

}  // namespace ksv940
