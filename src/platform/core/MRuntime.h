#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ksv940 {

/// Run-time failures with their classic automation numbers, so that an operator who reads one
/// finds the usual meaning.
enum ERuntimeError : int32_t {
  erInvalidCall = 5,           ///< "Invalid procedure call or argument"
  erOverflow = 6,              ///< "Overflow"
  erOutOfMemory = 7,           ///< "Out of memory"
  erSubscript = 9,             ///< "Subscript out of range"
  erTypeMismatch = 13,         ///< "Type mismatch"
  erInternal = 51,             ///< "Internal error"
  erCannotCreateObject = 429,  ///< "ActiveX component can't create object"
  erNoSuchMember = 438         ///< "Object doesn't support this property or method"
};

/// The classic text of a run-time failure ("Overflow" for 6); "Application-defined or
/// object-defined error" for numbers it does not know.
std::string RuntimeErrorText(int32_t lNumber);

/// Raises run-time failure lNumber with its classic text and the component as source.
[[noreturn]] void RaiseRuntimeError(int32_t lNumber);

/// Narrowing that raises Overflow (6) instead of wrapping.
int16_t CheckedInt16(int64_t lValue);
int32_t CheckedInt32(int64_t lValue);

/// 16- and 32-bit arithmetic that raises Overflow (6) when the result does not fit.
int16_t CheckedMul16(int16_t iA, int16_t iB);
int32_t CheckedMul32(int32_t lA, int32_t lB);
int32_t CheckedAdd32(int32_t lA, int32_t lB);
int32_t CheckedSub32(int32_t lA, int32_t lB);

/// Narrowing of a reading to a 32-bit float; Overflow (6) when it is beyond the float's range (an
/// infinity included).
float CheckedSingle(double dValue);

/// Rounds to the nearest 32-bit integer, a half to the even neighbour (2.5 gives 2, 3.5 gives 4);
/// Overflow (6) when the result does not fit.
int32_t RoundToInt32(double dValue);

/// Converts a text to a 32-bit or 16-bit integer the way the automation layer coerces text to a
/// number: blanks around it are allowed, an optional sign, digits with an optional fraction and
/// exponent, or a hexadecimal (&H) or octal (&O) literal. A fraction rounds half to even. Text that
/// is not a number raises Type mismatch (13); a number out of range raises Overflow (6).
int32_t TextToInt32(std::string_view sText);
int16_t TextToInt16(std::string_view sText);

/// True when TextToInt32 would accept the text's number format (whatever its range).
bool IsNumericText(std::string_view sText);

/// Reads a status word with hexadecimal-literal rules: the hexadecimal digits from the start up to
/// the first other character; none gives 0. Up to four digits read as a 16-bit literal, more as a
/// 32-bit one; more than eight significant digits raise Overflow (6). Callers test the low 16 bits.
int32_t HexStatusValue(std::string_view sText);

/// The number at the start of a reading, as a reading is scanned: blanks, tabs and line feeds are
/// ignored wherever they stand; an optional sign, digits, an optional "." fraction and an optional
/// exponent; the first other character ends the number; no number gives 0.
double LeadingNumber(std::string_view sText);

}  // namespace ksv940
