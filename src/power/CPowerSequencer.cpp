#include "power/CPowerSequencer.h"

#include <cctype>

#include "declares/GDeclares.h"
#include "declares/MAnalyzerFacts.h"
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

bool IsOpenNeutral(int32_t epc) {
  return epc == epcON || epc == epcONRM;
}

}  // namespace

CPowerSequencer::CPowerSequencer(CInstrumentLink& link, CPowerConfig& powerConfig,
                                 const CKsvTestOptions& options, CAbortFlags& flags)
    : mLink(link), mPowerConfig(powerConfig), mTestOptions(options), mFlags(flags) {}

void CPowerSequencer::StartTest() {
  mfBeforeStopShown = false;
  mfAfterStopShown = false;
  mfPowerChangeAtBpc = false;
}

void CPowerSequencer::QuitSent() {
  mfQuitSent = true;
}

void CPowerSequencer::ForgetPolarity() {
  msLastPolarity.clear();
}

bool CPowerSequencer::ScreenBefore() const {
  return mTestOptions.PowerOFFScreen() == eepo_before;
}

bool CPowerSequencer::Stopped() const {
  return mFlags.mfStopFlag || mFlags.mfAbort;
}

// ---- Stops around a change of the outlet ------------------------------------------------------

CPowerSequencer::EStopPoint CPowerSequencer::ParseStop(const std::string& sDirective) {
  size_t nEquals = sDirective.find('=');
  std::string sArg = nEquals == std::string::npos ? sDirective : sDirective.substr(nEquals + 1);
  static const struct {
    const char* sText;
    EStopPoint espStop;
  } kStops[] = {{"bpc", espBeforeChange}, {"apc", espAfterChange}, {"ecg", espAfterEcg},
                {"#pol", espPolarity},    {"b", espForcedBefore},  {"a", espForcedAfter}};
  for (const auto& stop : kStops) {
    if (sArg == stop.sText) {
      return stop.espStop;
    }
  }
  return espOther;
}

void CPowerSequencer::PowerChangeStop(const std::string& sDirective, int32_t epcNew,
                                      IWindow* frmOwner, bool fConfigFollows, bool fEndDelay) {
  RunStop(ParseStop(sDirective), epcNew, frmOwner, fConfigFollows, fEndDelay);
}

void CPowerSequencer::RunStop(EStopPoint espStop, int32_t epcNew, IWindow* frmOwner,
                              bool fConfigFollows, bool fEndDelay) {
  FStopOnPC frmStop;
  bool fOn = mPowerConfig.WillToggleOn(epcNew);
  bool fOff = mPowerConfig.WillToggleOff(epcNew);
  bool fBefore = ScreenBefore();

  if (mfForcedStop) {
    if (espStop == espForcedBefore) {
      frmStop.ShowStopBefore(true, true, frmOwner);
    } else if (espStop == espForcedAfter) {
      frmStop.ShowStopAfter(true, frmOwner);
    }
  }
  if (mfDelayPending) {
    ShowPendingDelay(espStop, fOn, fOff, frmOwner, fBefore);
  }

  if (espStop == espBeforeChange) {
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
  } else if (espStop == espAfterEcg || espStop == espAfterChange || espStop == espPolarity) {
    // A configuration instruction follows: its own after-change directive does the work, unless
    // the outlet is only about to go off and the operator is warned before that happens.
    if (fConfigFollows && !(fBefore && fOff && !fOn)) {
      return;
    }
    if ((fOn || fOff) && !mfAfterStopShown) {
      if (espStop == espPolarity) {
        PowerDelayWait(false, fOff, frmOwner, fBefore);
      } else if (mTestOptions.StopAfterNewPC()) {
        frmStop.ShowStopAfter(fOn, frmOwner);
      } else {
        PowerDelayWait(fOn, fOff, frmOwner, fBefore);
      }
    }
    if (espStop != espPolarity) {
      mPowerConfig.Current = epcNew;
    }
  }

  if (frmStop.Cancel()) {
    mFlags.OperatorStop();
  }
}

// The delay owed is shown at the next stop that knows which way the outlet went: before a change
// as that change goes, after one (or after the ECG set-up) as power coming on, at the polarity
// switching's own stop as power going off. Any other stop leaves it owed.
void CPowerSequencer::ShowPendingDelay(EStopPoint espStop, bool fOn, bool fOff, IWindow* frmOwner,
                                       bool fBefore) {
  if (espStop == espBeforeChange) {
    PowerDelayWait(fOn, fOff, frmOwner, fBefore);
  } else if (espStop == espAfterEcg || espStop == espAfterChange) {
    PowerDelayWait(true, false, frmOwner, fBefore);
  } else if (espStop == espPolarity) {
    PowerDelayWait(false, fOff, frmOwner, fBefore);
  } else {
    return;
  }
  mfDelayPending = false;
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

// ---- Polarity switching -------------------------------------------------------------------------

void CPowerSequencer::PolaritySwitch(const std::string& sInstruction, int32_t epcConfig,
                                     IWindow* frmOwner) {
  mfForcedStop = false;
  SPolarityRequest request = AskStatus(sInstruction, epcConfig);
  if (msLastPolarity.empty()) {
    RecordPolarity(request.sLetter, request.fToggleOff);
  }
  if (AlreadyInPolarity(request)) {
    return;
  }
  bool fPolStop = PolarityStopDue(request, epcConfig);
  bool fPolStopDone = StopBeforeSwitchOff(request, fPolStop, epcConfig, frmOwner);
  if (!Stopped()) {
    if (!ForcedStopBefore(frmOwner)) {
      return;
    }
    bool fSwitchedOff = SwitchOutletOff(fPolStopDone);
    StopAfterSwitchOff(request, fSwitchedOff, fPolStop, epcConfig, frmOwner);
    if (!Stopped()) {
      SendInstruction(sInstruction);
    }
    if (!ForcedStopAfter(frmOwner)) {
      return;
    }
  }
  mfBeforeStopShown = false;
  msLastPolarity = request.sLetter;
  mfPowerChangeAtBpc = false;
}

CPowerSequencer::SPolarityRequest CPowerSequencer::AskStatus(const std::string& sInstruction,
                                                             int32_t epcConfig) {
  SPolarityRequest request;
  if (sInstruction.size() >= 5) {
    request.sLetter = static_cast<char>(std::toupper(static_cast<unsigned char>(sInstruction[4])));
  }
  request.sStatus = Exchange("stat2");
  // The options are read after the exchange: the host may change them while it waits.
  request.fBefore = ScreenBefore();
  request.fStopBefore = mTestOptions.StopBeforeNewPC();
  int32_t lStatus = HexStatusValue(request.sStatus);
  request.fOutletOn = (lStatus & kStat2OutletOn) != 0;
  request.fReversed = (lStatus & kStat2Reversed) != 0;
  request.fToggleOff = mPowerConfig.WillToggleOff(epcConfig);
  return request;
}

void CPowerSequencer::RecordPolarity(const std::string& sLetter, bool fToggleOff) {
  msLastPolarity = sLetter;
  mfLastToggleOff = fToggleOff;
}

// Already powered in the requested polarity: nothing to switch, nothing sent. Only the normal
// polarity ends a "quit"'s claim on the next change.
bool CPowerSequencer::AlreadyInPolarity(const SPolarityRequest& request) {
  if (request.sLetter == "N" && request.fOutletOn && !request.fReversed) {
    mfQuitSent = false;
    RecordPolarity("N", request.fToggleOff);
    return true;
  }
  if (request.sLetter == "R" && request.fOutletOn && request.fReversed) {
    RecordPolarity("R", request.fToggleOff);
    return true;
  }
  return false;
}

// Whether the change of polarity takes its own stop: after a "quit"; when this configuration
// switches the outlet otherwise than the one recorded with the last polarity, neither of them
// (nor the outlet now) with an open neutral; or when a powered configuration follows one that
// switched the outlet off and switches it off again, the outlet not now with an open neutral.
bool CPowerSequencer::PolarityStopDue(const SPolarityRequest& request, int32_t epcConfig) const {
  int32_t epcCurrent = mPowerConfig.Current;
  bool fSwitchingDiffers = mfLastToggleOff != request.fToggleOff && !IsOpenNeutral(epcCurrent) &&
                           !IsOpenNeutral(epcConfig);
  bool fOffAgain = CPowerConfig::IsOnConfig(epcConfig) && mfLastToggleOff && request.fToggleOff &&
                   !IsOpenNeutral(epcCurrent);
  return mfQuitSent || fSwitchingDiffers || fOffAgain;
}

// The operator warned before power goes off takes the polarity's stop before "pol=off"; answers
// whether it was taken.
bool CPowerSequencer::StopBeforeSwitchOff(const SPolarityRequest& request, bool fPolStop,
                                          int32_t epcConfig, IWindow* frmOwner) {
  if (request.sLetter == msLastPolarity || request.sStatus.empty() || request.fStopBefore ||
      !request.fBefore || !fPolStop) {
    return false;
  }
  RunStop(espPolarity, epcConfig, frmOwner, false, false);
  RecordPolarity(request.sLetter, request.fToggleOff);
  mfQuitSent = false;
  return true;
}

// The fixed before-change stop, when the options ask for one and "#stop=bpc" did not show it. It
// leaves a power delay owed. Answers false when the operator stopped the test.
bool CPowerSequencer::ForcedStopBefore(IWindow* frmOwner) {
  if (!mTestOptions.StopBeforeNewPC() || mfBeforeStopShown) {
    return true;
  }
  mfForcedStop = true;
  mfDelayPending = true;
  RunStop(espForcedBefore, epcOff, frmOwner, false, false);
  mfForcedStop = false;
  mfPowerChangeAtBpc = false;
  return !mFlags.mfAbort;
}

// "pol=off"; answers whether the instrument acknowledged it. After the polarity's own stop the
// outlet is given a second to go off.
bool CPowerSequencer::SwitchOutletOff(bool fPolStopDone) {
  bool fSwitchedOff = Exchange("pol=off") == kAcknowledged;
  if (fSwitchedOff && fPolStopDone) {
    PauseAfterSwitchOff();
  }
  return fSwitchedOff;
}

// The operator warned after power went off takes the polarity's stop once the outlet is off.
void CPowerSequencer::StopAfterSwitchOff(const SPolarityRequest& request, bool fSwitchedOff,
                                         bool fPolStop, int32_t epcConfig, IWindow* frmOwner) {
  if (!fSwitchedOff || request.sLetter == msLastPolarity || request.fBefore ||
      request.fStopBefore || !fPolStop) {
    return;
  }
  RunStop(espPolarity, epcConfig, frmOwner, false, false);
  mfQuitSent = false;
  RecordPolarity(request.sLetter, request.fToggleOff);
}

// The fixed after-change stop, when the options ask for one and no before-change stop or change
// at "#stop=bpc" came first. The test's later after-change stops and delays are then skipped.
// Answers false when the operator stopped the test.
bool CPowerSequencer::ForcedStopAfter(IWindow* frmOwner) {
  if (!mTestOptions.StopAfterNewPC() || mfBeforeStopShown || mfPowerChangeAtBpc) {
    return true;
  }
  mfForcedStop = true;
  mfAfterStopShown = true;
  mfDelayPending = false;
  RunStop(espForcedAfter, epcOff, frmOwner, false, false);
  mfForcedStop = false;
  return !mFlags.mfAbort;
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
    if (sReply.starts_with(kErrorMark)) {
      mLink.Wifi().SendCommand(sInstruction, iWaitMs);
    }
    return;
  }
  CChannel& channel = mLink.Channel();
  std::string sReply = channel.Transmit(sInstruction, kCrLf, true, false);
  if (sReply.starts_with(kErrorMark)) {
    // An error reply gets one more try after the polarity switching delay; the reply to that one
    // is left to the channel's own checks.
    channel.Wait(CheckedMul16(iDelay, 1000));
    channel.TransmitCmd(sInstruction, kCrLf, false, 3);
  }
}

}  // namespace ksv940
