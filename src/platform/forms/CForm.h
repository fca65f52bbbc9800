#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/CControl.h"
#include "platform/forms/EOperatorAnswer.h"
#include "platform/forms/IControl.h"
#include "platform/forms/IWindow.h"

namespace ksv940 {

class IFormView;

/// A form as its design gives it: name, caption, client area in twips and its controls.
struct SFormDesign {
  const char* sName = "";
  const char* sCaption = "";
  int32_t lClientWidth = 0;
  int32_t lClientHeight = 0;
  std::vector<SControlDesign> vControls;
};

/// A form of the window toolkit: a caption and named controls, loaded on first access, shown
/// modally with an owner window, hidden, and optionally kept in the topmost band of windows.
///
/// How a form looks and how the operator answers is the thread's IFormView: it is told when the
/// form is shown, when a shown control changes and when the form hides, and it presses buttons
/// through Click. A modal display is a nested loop of the thread's message pump that returns when
/// the form hides, so timers and replies keep being handled meanwhile.
class CForm : public IWindow {
 public:
  explicit CForm(const SFormDesign& design);
  ~CForm() override;
  CForm(const CForm&) = delete;
  CForm& operator=(const CForm&) = delete;

  /// The form's class name ("FStopOnPC").
  const std::string& Name() const { return msName; }
  const std::string& Caption() const { return msCaption; }
  void SetCaption(const std::string& sCaption);
  std::string WindowTitle() const override { return msCaption; }
  /// The client area of the design, in twips.
  int32_t ClientWidth() const { return mlClientWidth; }
  int32_t ClientHeight() const { return mlClientHeight; }

  /// Loads the form if it is not loaded: runs Form_Load once. Control and Controls load too, as
  /// the first access to a form does.
  void Load();
  /// Hides the form, stops its timers and puts its controls back to their design state; the next
  /// access loads it again.
  void Unload();

  /// The control of that name; raises error 730 (control not found) for another name.
  CControl& Control(const std::string& sName);
  /// The form's collection of controls, as a translation pass takes it.
  CControlList Controls();
  /// The controls in design order, without loading the form (for views).
  const std::vector<std::unique_ptr<CControl>>& DesignedControls() const { return mvControls; }

  /// Shows the form modally with pOwner (may be null) as owner and returns when it is hidden.
  /// Raises error 400 when the form is already shown. A failure inside the display hides the form
  /// and passes on.
  void ShowModal(IWindow* pOwner);
  /// Ends the modal display (at the nested loop's next turn). Nothing when not shown.
  void Hide();
  bool Visible() const { return mfVisible; }
  /// The owner of the current (or last) display.
  IWindow* Owner() const { return mpOwner; }

  /// Puts the form into the topmost band of windows (or out of it), without activating it.
  void SetTopmost(bool fTopmost) { mfTopmost = fTopmost; }
  bool Topmost() const { return mfTopmost; }

  /// The operator answers: presses the visible, enabled button that gives eoa. False (and nothing
  /// happens) when the form is not shown or offers no such button.
  bool Click(EOperatorAnswer eoa);
  /// Whether a visible, enabled button gives eoa.
  bool Offers(EOperatorAnswer eoa) const;
  /// Whether one of the form's timers is running: the form will close by itself.
  bool CountingDown() const;

 protected:
  /// The form's load handler, run by Load.
  virtual void Form_Load() {}
  /// Sets what a click on button sControl, or a tick of timer sControl, runs (without loading).
  void SetHandler(const std::string& sControl, std::function<void()> fnHandler);

 private:
  friend class CControl;
  void ControlChanged(CControl& ctl);
  CControl* ButtonFor(EOperatorAnswer eoa) const;

  std::string msName;
  std::string msDesignCaption;
  std::string msCaption;
  int32_t mlClientWidth;
  int32_t mlClientHeight;
  std::vector<std::unique_ptr<CControl>> mvControls;
  bool mfLoaded = false;
  bool mfVisible = false;
  bool mfTopmost = false;
  IWindow* mpOwner = nullptr;
  std::shared_ptr<IFormView> mpView;
};

/// Runs one step of a handler that carries on after a failure: a failing step is skipped.
template <class F>
void ResumeNext(F&& fnStep) noexcept {
  try {
    fnStep();
  } catch (...) {
  }
}

}  // namespace ksv940
