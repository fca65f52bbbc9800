#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ksv940 {

/// A picture a form's picture control shows: an image in XPM form (a header "WIDTH HEIGHT COLOURS
/// CHARS-PER-PIXEL", the colour lines, then one text row per pixel row) and the short symbol a
/// text view shows in its place.
class CPicture {
 public:
  CPicture() = default;
  CPicture(std::vector<std::string> vXpm, std::string sSymbol);

  /// The size the header declares; 0 for a picture without one.
  int32_t WidthPx() const { return mlWidthPx; }
  int32_t HeightPx() const { return mlHeightPx; }
  const std::string& Symbol() const { return msSymbol; }
  const std::vector<std::string>& Xpm() const { return mvXpm; }

  /// True when the rows agree with the header: as many colour lines as declared, HEIGHT pixel rows
  /// of WIDTH x CHARS-PER-PIXEL characters, and every pixel a declared colour.
  bool IsWellFormed() const;

 private:
  std::vector<std::string> mvXpm;
  std::string msSymbol;
  int32_t mlWidthPx = 0;
  int32_t mlHeightPx = 0;
  int32_t mlColours = 0;
  int32_t mlCharsPerPixel = 0;
};

}  // namespace ksv940
