#pragma once

#include <cstdint>

#include "platform/forms/CForm.h"
#include "platform/forms/IWindow.h"

namespace ksv940 {

/// The modal dialog that stops a running test for the operator: before the equipment outlet's
/// power configuration changes, after it has changed, and when the instrument could not measure a
/// resistance. The operator answers Continue or Stop Test, or Skip where the caller made Skip
/// visible (Control("cmdSkip").SetVisible(true) before ShowNoResistance); the caller reads Cancel
/// and SkipScreen after the call returns. One dialog per use.
///
/// Every text shown goes through the thread's text service with the module "KSV940". The three
/// operations pass a failing translation on to the caller; the load, button and timer handlers
/// skip a failing step and go on.
class FStopOnPC : public CForm {
 public:
  FStopOnPC();

  /// True after Stop Test.
  bool Cancel() const { return mfCancel; }
  /// True after Skip.
  bool SkipScreen() const { return mfSkipScreen; }

  /// Announces a coming change: from OFF to ON (fToOn), from ON to OFF (fToOff), or, with both,
  /// from the outlet state the last stop dialog announced to the other and back. Sets gfOutletOn
  /// to the state announced by one flag alone.
  void ShowStopBefore(bool fToOn, bool fToOff, IWindow* frmOwner);
  /// Announces that the outlet is now on (fToOn) or off, and records that state in gfOutletOn.
  void ShowStopAfter(bool fToOn, IWindow* frmOwner);
  /// Tells that no resistance could be measured and continues by itself after 30 seconds.
  void ShowNoResistance(IWindow* frmOwner);

  /// The seconds left before the automatic continue: 30 after loading.
  int32_t SecondsLeft() const { return mlSecondsLeft; }

  static const SFormDesign& Design();

 protected:
  void Form_Load() override;

 private:
  void cmdContinue_Click();
  void cmdSkip_Click();
  void cmdStop_Click();
  void tmrContinue_Timer();
  void ShowModalOnTop(IWindow* frmOwner);

  bool mfCancel = false;
  bool mfSkipScreen = false;
  int32_t mlSecondsLeft = 0;
};

}  // namespace ksv940
