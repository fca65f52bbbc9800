#pragma once

#include <string>
#include <vector>

#include "platform/forms/EOperatorAnswer.h"

namespace ksv940 {

class CControl;
class CForm;

/// What a form shows, as a text view presents it.
struct SFormText {
  std::string sCaption;
  /// Symbols of the visible pictures.
  std::vector<std::string> vPictures;
  /// Visible, non-empty labels on the form itself, top to bottom (the title, then the body).
  std::vector<std::string> vTexts;
  /// Visible, non-empty labels in a panel (the countdown line).
  std::vector<std::string> vStatus;
  /// Visible buttons, left to right.
  std::vector<const CControl*> vButtons;

  static SFormText Of(const CForm& frm);

  /// Whether pControl is a label in a panel: the line that changes while the form is shown.
  static bool IsStatusLine(const CControl& control);
  /// The plain caption of frm's button that gives eoa, or the empty text when it has none.
  static std::string ButtonCaption(const CForm& frm, EOperatorAnswer eoa);
  /// A caption as it reads: "&" accelerator marks removed, "&&" as "&".
  static std::string PlainCaption(const std::string& sCaption);
  /// sText broken into lines of at most nWidth characters at blanks (longer words stay whole);
  /// line breaks in the text are kept.
  static std::vector<std::string> Wrap(const std::string& sText, size_t nWidth);
};

}  // namespace ksv940
