#pragma once

#include <memory>

#include "platform/core/CContext.h"
#include "platform/forms/IMessageBox.h"

namespace ksv940 {

class CControl;
class CForm;

/// How forms and message boxes reach the operator: the terminal, an automatic operator, or a
/// test's script. A context service; a view is also the thread's message box.
///
/// The view is told when a form begins its modal display, when something it shows changes, and
/// when the form hides. It answers for the operator by calling CForm::Click, from the message
/// pump (a key read, a timer), never from another thread.
class IFormView : public IMessageBox {
 public:
  /// The form is loaded, its texts are set and Visible() is true; the nested loop starts after
  /// this returns. Throwing ends the display and reaches the caller of ShowModal.
  virtual void FormShown(CForm& frm) = 0;
  /// A control's caption or visibility (pControl), or the form's caption (pControl null), changed
  /// while the form is shown: the countdown.
  virtual void FormChanged(CForm& frm, const CControl* pControl) = 0;
  /// The form was hidden: by a button, its countdown, or its caller.
  virtual void FormHidden(CForm& frm) = 0;

  /// The platform's own view of forms when the host installs none. Without a window system: the
  /// automatic view that answers Continue where a form has no countdown and lets a countdown run
  /// out, printing to standard error.
  static std::shared_ptr<IFormView> CreateDefault();
};

/// Makes pView the view of forms and the message box of the thread for the scope.
void InstallView(CContextScope& scope, const std::shared_ptr<IFormView>& pView);

}  // namespace ksv940
