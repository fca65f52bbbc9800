#pragma once

#include <cstdint>
#include <string>

namespace ksv940 {

/// The line settings a serial control is given as text: "BAUD,PARITY,DATA,STOP", as in
/// "115200,N,8,1". Parity is N, E, O, M or S (either case); data bits 5 to 8; stop bits 1, 1.5 or
/// 2.
class CLineSettings {
 public:
  /// 115200 baud, no parity, 8 data bits, 1 stop bit.
  CLineSettings() = default;

  /// Reads the text; raises Invalid property value (380) naming it when it is malformed.
  static CLineSettings Parse(const std::string& sSettings);

  int32_t Baud() const { return mlBaud; }
  char Parity() const { return mcParity; }
  int32_t DataBits() const { return mlDataBits; }
  /// Stop bits times two: 2, 3 or 4.
  int32_t HalfStopBits() const { return mlHalfStopBits; }
  /// Microseconds one character takes on the line: start, data, parity and stop bits.
  double CharacterTimeUs() const;

 private:
  int32_t mlBaud = 115200;
  char mcParity = 'N';
  int32_t mlDataBits = 8;
  int32_t mlHalfStopBits = 2;
};

}  // namespace ksv940
