#pragma once

#include <memory>
#include <string>

namespace ksv940 {

/// Modal message boxes: a text, a title, an OK button and, when asked, the exclamation icon. Show
/// returns when the operator has closed the box.
class IMessageBox {
 public:
  virtual ~IMessageBox() = default;

  /// sTitle empty means the default title, the component's name. fExclamation asks for the
  /// exclamation icon.
  virtual void Show(const std::string& sText, const std::string& sTitle, bool fExclamation) = 0;

  /// Without an operator view: on Linux each box is written to standard error as "TITLE: TEXT";
  /// on Windows it is the system's message box.
  static std::shared_ptr<IMessageBox> CreateDefault();
};

/// The title a box shows: sTitle, or the component's name when it is empty.
std::string MessageBoxTitle(const std::string& sTitle);

}  // namespace ksv940
