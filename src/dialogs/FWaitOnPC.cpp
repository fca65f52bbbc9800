#include "dialogs/FWaitOnPC.h"

#include "declares/GDeclares.h"
#include "dialogs/MPictures.h"
#include "hostapi/ILanguageService.h"
#include "platform/core/CContext.h"
#include "platform/core/MRuntime.h"
#include "support/MDeclares.h"

namespace ksv940 {

namespace {

constexpr const char* kTextCountdown =
    "20030::The test will automatically continue in %%1 seconds.";
constexpr const char* kTextPowerIsNow = "21015::Power is now %%1.";
constexpr const char* kTextPause =
    "21031::In order for the DUT to stabilize, the test will pause for %%1 seconds.";
constexpr const char* kTextSwitchOff = "21022::DUT will switch off after %%1 seconds.";
constexpr const char* kTextOn = "21017::ON";
constexpr const char* kTextOff = "21018::OFF";

constexpr uint32_t kGrey = 0x808080;

std::string Translated(const std::string& sText, const CVariantList& vParams = {}) {
  return CContext::Get<ILanguageService>().GetText(kTextModule, sText, vParams);
}

}  // namespace

const SFormDesign& FWaitOnPC::Design() {
  static const SFormDesign design{
      "FWaitOnPC",
      "21030::Power On/Off Delay",
      6975,
      3405,
      {
          {.sName = "imgIcon",
           .eckKind = eckPicture,
           .lLeft = 120,
           .lTop = 120,
           .lWidth = 720,
           .lHeight = 720,
           .fnPicture = &WaitIconPicture},
          {.sName = "lblTitle",
           .eckKind = eckLabel,
           .lLeft = 1080,
           .lTop = 120,
           .lWidth = 5715,
           .lHeight = 555,
           .font = {"Verdana", 9.75, true},
           .lForeColour = kColourWindowText},
          {.sName = "lblBody",
           .eckKind = eckLabel,
           .lLeft = 1080,
           .lTop = 840,
           .lWidth = 5475,
           .lHeight = 1560,
           .sCaption = "21032::When the time has elapsed the test will automatically continue. "
                       "Click Continue to advance the test immediately, or click Stop Test to "
                       "halt the safety test.",
           .font = {"Tahoma", 9.75, false}},
          {.sName = "pboButtonBar",
           .eckKind = eckPanel,
           .lLeft = 0,
           .lTop = 2910,
           .lWidth = 6975,
           .lHeight = 495},
          {.sName = "lblTimer",
           .eckKind = eckLabel,
           .sContainer = "pboButtonBar",
           .lLeft = 120,
           .lTop = 60,
           .lWidth = 2475,
           .lHeight = 195,
           .font = {"Tahoma", 8.25, false},
           .lForeColour = kGrey},
          {.sName = "cmdContinue",
           .eckKind = eckButton,
           .sContainer = "pboButtonBar",
           .lLeft = 4080,
           .lTop = 60,
           .lWidth = 1335,
           .lHeight = 375,
           .sCaption = "20010::&Continue",
           .font = {"Tahoma", 8.25, false},
           .eoaAnswer = eoaContinue},
          {.sName = "cmdStop",
           .eckKind = eckButton,
           .sContainer = "pboButtonBar",
           .lLeft = 5520,
           .lTop = 60,
           .lWidth = 1335,
           .lHeight = 375,
           .sCaption = "20011::Stop &Test",
           .font = {"Tahoma", 8.25, false},
           .eoaAnswer = eoaStop},
          {.sName = "tmrContinue", .eckKind = eckTimer, .lIntervalMs = 1000},
      }};
  return design;
}

FWaitOnPC::FWaitOnPC() : CForm(Design()) {
  SetHandler("cmdContinue", [this] { cmdContinue_Click(); });
  SetHandler("cmdStop", [this] { cmdStop_Click(); });
  SetHandler("tmrContinue", [this] { tmrContinue_Timer(); });
}

void FWaitOnPC::Form_Load() {
  ResumeNext([&] { SetCaption(Translated(Caption())); });
  ResumeNext([&] { CContext::Get<ILanguageService>().TranslateControls(kTextModule, Controls()); });
}

void FWaitOnPC::WaitOnPC(const std::string& sLidOnOff, int32_t lDelayTime, IWindow* frmOwner,
                         bool fBefore) {
  Load();
  if (lDelayTime <= 0) {
    return;
  }
  std::string sState = Translated(sLidOnOff);
  std::string sOn = Translated(kTextOn);
  std::string sOff = Translated(kTextOff);
  std::string sTitle;
  if ((sState == sOn || sState == sOff) && !fBefore) {
    sTitle = Translated(kTextPowerIsNow, {sState}) + " " + Translated(kTextPause, {lDelayTime});
  } else {
    // The state goes along as a second parameter for translations that name it.
    sTitle = Translated(kTextSwitchOff, {lDelayTime, sState});
  }
  Control("lblTitle").SetCaption(sTitle);
  mlSecondsLeft = lDelayTime;
  Control("lblTimer").SetCaption(Translated(kTextCountdown, {mlSecondsLeft}));
  Control("tmrContinue").SetEnabled(true);
  if (DialogsOnTop()) {
    ksv940::SetTopmost(*this);
  }
  ShowModal(frmOwner);
  // The countdown belongs to the shown dialog: once Stop Test has hidden it, a late tick must not
  // turn the answer into Continue.
  Control("tmrContinue").SetEnabled(false);
}

void FWaitOnPC::cmdContinue_Click() {
  mfCancel = false;
  ResumeNext([&] { Hide(); });
}

void FWaitOnPC::cmdStop_Click() {
  mfCancel = true;
  ResumeNext([&] { Hide(); });
}

void FWaitOnPC::tmrContinue_Timer() {
  ResumeNext([&] { mlSecondsLeft = CheckedSub32(mlSecondsLeft, 1); });
  if (mlSecondsLeft != 0) {
    ResumeNext(
        [&] { Control("lblTimer").SetCaption(Translated(kTextCountdown, {mlSecondsLeft})); });
  } else {
    cmdContinue_Click();
  }
}

}  // namespace ksv940
