#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "platform/forms/IFormView.h"

namespace ksv940 {

/// Forms as real windows and message boxes as the system's message boxes, on the thread that shows
/// them. A shown form is a top-level window of the class kWindowClass with a static control for
/// each label and picture and a push button for each button, laid out from the form's design
/// (twips turned into pixels at the screen's resolution), owned by the owner's window when the
/// owner has one; the owner is disabled while the form is shown, as for any modal dialog. A click
/// on a button, or its mnemonic or Enter for the default Continue, answers through CForm::Click.
/// The dialog has no close box: only its buttons and its countdown end it.
class CWin32FormView : public IFormView {
 public:
  static constexpr const wchar_t* kWindowClass = L"OrvexKSV940Form";

  CWin32FormView();
  ~CWin32FormView() override;
  CWin32FormView(const CWin32FormView&) = delete;
  CWin32FormView& operator=(const CWin32FormView&) = delete;

  void FormShown(CForm& frm) override;
  void FormChanged(CForm& frm, const CControl* pControl) override;
  void FormHidden(CForm& frm) override;
  /// MessageBox with an OK button, the exclamation icon when asked, owned by the thread's active
  /// window (modal for the whole thread when there is none).
  void Show(const std::string& sText, const std::string& sTitle, bool fExclamation) override;

  /// Removes the window class; the library calls it when it is unloaded.
  static void UnregisterWindowClass();

  /// One shown form's window, its controls and what it made for them.
  struct SWindow;

 private:
  std::map<CForm*, std::unique_ptr<SWindow>> mWindows;
};

}  // namespace ksv940
