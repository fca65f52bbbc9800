#include "power/CPowerSequencer.h"

#include <cctype>

#include "declares/GDeclares.h"
#include "dialogs/FStopOnPC.h"
#include "dialogs/FWaitOnPC.h"
#include "link/CInstrumentLink.h"
#include "link/MWire.h"
#include "model/CAbortFlags.h"
#include "model/CKsvTestOptions.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/core/MRuntime.h"
#include "power/CPowerConfig.h"

namespace ksv940 {

namespace {

constexpr const char* kTextOn = "21017::ON";
constexpr const char* kTextOff = "21018::OFF";
constexpr int16_t kWirelessWaitMs = 30;
constexpr int32_t kSwitchOffPauseMs = 1000;
// Status word 2: the outlet is powered, and its mains polarity is reversed.
constexpr int32_t kStatusOutletOn = 0x0008;
constexpr int32_t kStatusReversed = 0x0200;

bool IsOpenNeutral(int32_t epc) {
  return epc == epcON || epc == epcONRM;
}

}  // namespace

CPowerSequencer::CPowerSequencer(CInstrumentLink& link, CPowerConfig& powerConfig,
                                 const CKsvTestOptions& options, CAbortFlags& flags)
    : mLink(link), mPowerConfig(powerConfig), mTestOptions(options), mFlags(flags) {}

bool CPowerSequencer::ScreenBefore() const {
  return mTestOptions.PowerOFFScreen() == eepo_before;
}

void CPowerSequencer::PowerChangeStop(const std::string& sDirective, int32_t epcNew,
                                      IWindow* frmOwner, bool fConfigFollows, bool fEndDelay) {
  FStopOnPC frmStop;
  bool fOn = mPowerConfig.WillToggleOn(epcNew);
  bool fOff = mPowerConfig.WillToggleOff(epcNew);
  size_t nEquals = sDirective.find('=');
  std::string sArg = nEquals == std::string::npos ? sDirective : sDirective.substr(nEquals + 1);
  bool fBefore = ScreenBefore();

  if (mfForcedStop) {
    if (sArg == "b") {
      frmStop.ShowStopBefore(true, true, frmOwner);
    } else if (sArg == "a") {
      frmStop.ShowStopAfter(true, frmOwner);
    }
  }

  if (mfDelayPending) {
    if (sArg == "bpc") {
      PowerDelayWait(fOn, fOff, frmOwner, fBefore);
      mfDelayPending = false;
    } else if (sArg == "ecg" || sArg == "apc") {
      PowerDelayWait(true, false, frmOwner, fBefore);
      mfDelayPending = false;
    } else if (sArg == "#pol") {
      PowerDelayWait(false, fOff, frmOwner, fBefore);
      mfDelayPending = false;
    }
  }

  if (sArg == "bpc") {
    if (mTestOptions.StopBeforeNewPC() && (fOn || fOff)) {
      mfBeforeStopShown = true;
      frmStop.ShowStopBefore(fOn, fOff, frmOwner);
    } else if (fEndDelay && fOff) {
      PowerDelayWait(fOn, fOff, frmOwner, fBefore);
    }
    if (fOn || fOff) {
      mfPowerChangeAtBpc = true;
    }
    // The outlet has not changed yet: the record stays until the after-change directive.
  } else if (sArg == "ecg" || sArg == "apc" || sArg == "#pol") {
    // A configuration instruction follows: its own after-change directive does the work, unless
    // the outlet is only about to go off and the operator is warned before that happens.
    if (fConfigFollows && !(fBefore && fOff && !fOn)) {
      return;
    }
    if ((fOn || fOff) && !mfAfterStopShown) {
      if (sArg == "#pol") {
        PowerDelayWait(false, fOff, frmOwner, fBefore);
      } else if (mTestOptions.StopAfterNewPC()) {
        frmStop.ShowStopAfter(fOn, frmOwner);
      } else {
        PowerDelayWait(fOn, fOff, frmOwner, fBefore);
      }
    }
    if (sArg != "#pol") {
      mPowerConfig.Current = epcNew;
    }
  }

  if (frmStop.Cancel()) {
    mFlags.OperatorStop();
  }
}

void CPowerSequencer::PowerDelayWait(bool fOn, bool fOff, IWindow* frmOwner, bool fBefore) {
  FWaitOnPC frmWait;
  int16_t iDelayOn = mTestOptions.DelayTimePowerOn();
  int16_t iDelayOff = mTestOptions.DelayTimePowerOff();
  if (fOn && iDelayOn >= 1) {
    frmWait.WaitOnPC(kTextOn, iDelayOn, frmOwner, false);
  } else if (fOff && iDelayOff >= 1) {
    frmWait.WaitOnPC(kTextOff, iDelayOff, frmOwner, fBefore);
  }
  if (frmWait.Cancel()) {
    mFlags.OperatorStop();
  }
  frmWait.Unload();
}

std::string CPowerSequencer::Exchange(const std::string& sCommand) {
  return mLink.Exchange(sCommand, true, kWirelessWaitMs);
}

void CPowerSequencer::PauseAfterSwitchOff() {
  if (!mLink.Wireless()) {
    mLink.Channel().Wait(kSwitchOffPauseMs);
    return;
  }
  // On the wireless link the serial channel is closed, and its Wait would fail with "not open".
  // The pause is kept as the channel keeps it: the thread goes on processing its messages, and an
  // abort requested meanwhile cuts the pause short.
  auto& pump = CContext::Get<CMessagePump>();
  bool fAbortBefore = mFlags.mfAbort;
  pump.RunUntil(pump.Clock().NowUs() + kSwitchOffPauseMs * 1000LL,
                [&] { return !fAbortBefore && mFlags.mfAbort; });
}

void CPowerSequencer::SendInstruction(const std::string& sInstruction) {
  // The delay is a 16-bit product: above 32 seconds it overflows, and the overflow goes to the
  // caller. The serial link computes it only when it has to pause before sending again.
  int16_t iDelay = mTestOptions.PolaritySwitchingDelay();
  if (mLink.Wireless()) {
    int16_t iWaitMs = CheckedMul16(iDelay, 1000);
    std::string sReply = mLink.Wifi().SendCommand(sInstruction, iWaitMs);
    if (!sReply.empty() && sReply.front() == '!') {
      mLink.Wifi().SendCommand(sInstruction, iWaitMs);
    }
    return;
  }
  CChannel& channel = mLink.Channel();
  std::string sReply = channel.Transmit(sInstruction, kCrLf, true, false);
  if (!sReply.empty() && sReply.front() == '!') {
    // An error reply gets one more try after the polarity switching delay; the reply to that one
    // is left to the channel's own checks.
    channel.Wait(CheckedMul16(iDelay, 1000));
    channel.TransmitCmd(sInstruction, kCrLf, false, 3);
  }
}

void CPowerSequencer::PolaritySwitch(const std::string& sInstruction, int32_t epcConfig,
                                     IWindow* frmOwner) {
  mfForcedStop = false;
  std::string sLetter;
  if (sInstruction.size() >= 5) {
    sLetter = static_cast<char>(std::toupper(static_cast<unsigned char>(sInstruction[4])));
  }

  std::string sStatus = Exchange("stat2");
  bool fBefore = ScreenBefore();
  bool fStopBefore = mTestOptions.StopBeforeNewPC();
  int32_t lStatus = HexStatusValue(sStatus);
  bool fOutletOn = (lStatus & kStatusOutletOn) != 0;
  bool fReversed = (lStatus & kStatusReversed) != 0;
  bool fToggleOff = mPowerConfig.WillToggleOff(epcConfig);

  if (msLastPolarity.empty()) {
    msLastPolarity = sLetter;
    mfLastToggleOff = fToggleOff;
  }

  // Already powered in the requested polarity: nothing to switch.
  if (sLetter == "N" && fOutletOn && !fReversed) {
    mfQuitSent = false;
    msLastPolarity = "N";
    mfLastToggleOff = fToggleOff;
    return;
  }
  if (sLetter == "R" && fOutletOn && fReversed) {
    msLastPolarity = "R";
    mfLastToggleOff = fToggleOff;
    return;
  }

  // Whether the change of polarity takes its own stop: after a "quit"; when this configuration
  // switches the outlet otherwise than the one recorded with the last polarity, neither of them
  // (nor the outlet now) with an open neutral; or when a powered configuration follows one that
  // switched the outlet off and switches it off again, the outlet not now with an open neutral.
  int32_t epcCurrent = mPowerConfig.Current;
  bool fSwitchingDiffers =
      mfLastToggleOff != fToggleOff && !IsOpenNeutral(epcCurrent) && !IsOpenNeutral(epcConfig);
  bool fOffAgain = CPowerConfig::IsOnConfig(epcConfig) && mfLastToggleOff && fToggleOff &&
                   !IsOpenNeutral(epcCurrent);
  bool fPolStop = mfQuitSent || fSwitchingDiffers || fOffAgain;

  bool fPolStopDone = false;
  if (sLetter != msLastPolarity && !sStatus.empty() && !fStopBefore && fBefore && fPolStop) {
    PowerChangeStop("#pol", epcConfig, frmOwner, false, false);
    msLastPolarity = sLetter;
    fPolStopDone = true;
    mfLastToggleOff = fToggleOff;
    mfQuitSent = false;
  }

  if (!mFlags.mfStopFlag && !mFlags.mfAbort) {
    if (mTestOptions.StopBeforeNewPC() && !mfBeforeStopShown) {
      mfForcedStop = true;
      mfDelayPending = true;
      PowerChangeStop("b", epcOff, frmOwner, false, false);
      mfForcedStop = false;
      mfPowerChangeAtBpc = false;
      if (mFlags.mfAbort) {
        return;
      }
    }

    std::string sReply = Exchange("pol=off");
    bool fSwitchedOff = sReply == kAcknowledged;
    if (fSwitchedOff && fPolStopDone) {
      PauseAfterSwitchOff();
    }

    if (fSwitchedOff && sLetter != msLastPolarity && !fBefore && !fStopBefore && fPolStop) {
      PowerChangeStop("#pol", epcConfig, frmOwner, false, false);
      msLastPolarity = sLetter;
      mfQuitSent = false;
      mfLastToggleOff = fToggleOff;
    }

    if (!mFlags.mfStopFlag && !mFlags.mfAbort) {
      SendInstruction(sInstruction);
    }

    if (mTestOptions.StopAfterNewPC() && !mfBeforeStopShown && !mfPowerChangeAtBpc) {
      mfForcedStop = true;
      mfAfterStopShown = true;
      mfDelayPending = false;
      PowerChangeStop("a", epcOff, frmOwner, false, false);
      mfForcedStop = false;
      if (mFlags.mfAbort) {
        return;
      }
    }
  }

  mfBeforeStopShown = false;
  msLastPolarity = sLetter;
  mfPowerChangeAtBpc = false;
}

}  // namespace ksv940
