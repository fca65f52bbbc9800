#pragma once

#include <cstdint>
#include <string>

#include "platform/forms/CForm.h"
#include "platform/forms/IWindow.h"

namespace ksv940 {

/// The modal dialog that pauses a running test with a countdown around a change of the equipment
/// outlet's power: the operator may go on at once (Continue) or halt the test (Stop Test); left
/// alone it continues by itself when the countdown runs out. The caller reads Cancel after
/// WaitOnPC returns. One dialog per pause.
///
/// Every text shown goes through the thread's text service with the module "KSV940". WaitOnPC
/// passes a failing translation on to the caller; the load, button and timer handlers skip a
/// failing step and go on.
class FWaitOnPC : public CForm {
 public:
  FWaitOnPC();

  /// True after Stop Test.
  bool Cancel() const { return mfCancel; }

  /// Pauses lDelayTime seconds; nothing is shown when it is 0 or less. sLidOnOff is the outlet's
  /// state in text-number form ("21017::ON", "21018::OFF"). When it translates to ON or OFF and
  /// fBefore is false, the title tells that the power is now in that state and that the test
  /// pauses for the delay; otherwise it tells that the DUT will switch off after the delay.
  void WaitOnPC(const std::string& sLidOnOff, int32_t lDelayTime, IWindow* frmOwner,
                bool fBefore = false);

  /// The seconds left before the automatic continue.
  int32_t SecondsLeft() const { return mlSecondsLeft; }

  static const SFormDesign& Design();

 protected:
  void Form_Load() override;

 private:
  void cmdContinue_Click();
  void cmdStop_Click();
  void tmrContinue_Timer();

  bool mfCancel = false;
  int32_t mlSecondsLeft = 0;
};

}  // namespace ksv940
