#include "dialogs/FStopOnPC.h"

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
constexpr const char* kTextTitleBefore =
    "21011::Power configuration on Equipment Output is about to change";
constexpr const char* kTextOnToOff =
    "21012::The power on the KSV940's equipment output will now change from ON to OFF. Perform "
    "any required operations on the DUT, then click Continue to keep on testing.";
constexpr const char* kTextOffToOn =
    "21013::The power on the KSV940's equipment output will now change from OFF to ON. Perform "
    "any required operations on the DUT, then click Continue to keep on testing.";
constexpr const char* kTextOnToOffToOn =
    "21014::The power on the KSV940's equipment output will now change from ON to OFF and then to "
    "ON again. Perform any required operations on the DUT, then click Continue to keep on testing.";
constexpr const char* kTextTitleAfter = "21015::Power is now %%1.";
constexpr const char* kTextBodyAfter =
    "21016::The power on the the KSV940's equipment output is now set to %%1. Perform any "
    "required operations on the DUT, then click Continue to keep on testing.";
constexpr const char* kTextOn = "21017::ON";
constexpr const char* kTextOff = "21018::OFF";
constexpr const char* kTextCaptionNoResistance = "21019::No Resistance Measurement";
constexpr const char* kTextTitleNoResistance =
    "21020::The KSV940 was unable to make a resistance measurement";
constexpr const char* kTextBodyNoResistance =
    "21021::Check that the test leads are properly connected and click Continue to repeat the "
    "test.";

constexpr int32_t kAutomaticContinueSeconds = 30;
constexpr uint32_t kGrey = 0x808080;

std::string Translated(const std::string& sText, const CVariantList& vParams = {}) {
  return CContext::Get<ILanguageService>().GetText(kTextModule, sText, vParams);
}

}  // namespace

const SFormDesign& FStopOnPC::Design() {
  static const SFormDesign design{
      "FStopOnPC",
      "21010::Stop On Power Configuration",
      6975,
      3405,
      {
          {.sName = "imgIcon",
           .eckKind = eckPicture,
           .lLeft = 120,
           .lTop = 120,
           .lWidth = 720,
           .lHeight = 720,
           .fnPicture = &StopIconPicture},
          {.sName = "imgX",
           .eckKind = eckPicture,
           .lLeft = 105,
           .lTop = 105,
           .lWidth = 750,
           .lHeight = 735,
           .fVisible = false,
           .fnPicture = &NoResistancePicture},
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
           .lTop = 720,
           .lWidth = 5415,
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
           .lForeColour = kGrey,
           .fVisible = false},
          {.sName = "cmdSkip",
           .eckKind = eckButton,
           .sContainer = "pboButtonBar",
           .lLeft = 2640,
           .lTop = 60,
           .lWidth = 1400,
           .lHeight = 375,
           .sCaption = "20013::&Skip",
           .font = {"Tahoma", 8.25, false},
           .eoaAnswer = eoaSkip},
          {.sName = "cmdContinue",
           .eckKind = eckButton,
           .sContainer = "pboButtonBar",
           .lLeft = 4080,
           .lTop = 60,
           .lWidth = 1400,
           .lHeight = 375,
           .sCaption = "20010::&Continue",
           .font = {"Tahoma", 8.25, false},
           .eoaAnswer = eoaContinue},
          {.sName = "cmdStop",
           .eckKind = eckButton,
           .sContainer = "pboButtonBar",
           .lLeft = 5520,
           .lTop = 60,
           .lWidth = 1400,
           .lHeight = 375,
           .sCaption = "20011::Stop &Test",
           .font = {"Tahoma", 8.25, false},
           .eoaAnswer = eoaStop},
          {.sName = "tmrContinue", .eckKind = eckTimer, .lIntervalMs = 1000},
      }};
  return design;
}

FStopOnPC::FStopOnPC() : CForm(Design()) {
  SetHandler("cmdContinue", [this] { cmdContinue_Click(); });
  SetHandler("cmdSkip", [this] { cmdSkip_Click(); });
  SetHandler("cmdStop", [this] { cmdStop_Click(); });
  SetHandler("tmrContinue", [this] { tmrContinue_Timer(); });
}

void FStopOnPC::Form_Load() {
  ResumeNext([&] { SetCaption(Translated(Caption())); });
  ResumeNext([&] { CContext::Get<ILanguageService>().TranslateControls(kTextModule, Controls()); });
  ResumeNext([&] { Control("cmdSkip").SetVisible(false); });
  ResumeNext([&] { mlSecondsLeft = kAutomaticContinueSeconds; });
  ResumeNext([&] { Control("lblTimer").SetCaption(Translated(kTextCountdown, {mlSecondsLeft})); });
}

void FStopOnPC::ShowStopBefore(bool fToOn, bool fToOff, IWindow* frmOwner) {
  Load();
  Control("lblTitle").SetCaption(Translated(kTextTitleBefore));
  std::string sBody;
  if (fToOn && fToOff) {
    // Off and on again: the outlet goes first to the state opposite to the one last announced.
    sBody = gfOutletOn ? kTextOnToOffToOn : kTextOffToOn;
  } else if (fToOn) {
    sBody = kTextOffToOn;
    gfOutletOn = true;
  } else if (fToOff) {
    sBody = kTextOnToOff;
    gfOutletOn = false;
  }
  Control("lblBody").SetCaption(Translated(sBody));
  ShowModalOnTop(frmOwner);
}

void FStopOnPC::ShowStopAfter(bool fToOn, IWindow* frmOwner) {
  Load();
  std::string sState = Translated(fToOn ? kTextOn : kTextOff);
  Control("lblTitle").SetCaption(Translated(kTextTitleAfter, {sState}));
  Control("lblBody").SetCaption(Translated(kTextBodyAfter, {sState}));
  gfOutletOn = sState == Translated(kTextOn);
  ShowModalOnTop(frmOwner);
}

void FStopOnPC::ShowNoResistance(IWindow* frmOwner) {
  Load();
  Control("imgIcon").SetVisible(false);
  Control("imgX").SetVisible(true);
  SetCaption(Translated(kTextCaptionNoResistance));
  Control("lblTitle").SetCaption(Translated(kTextTitleNoResistance));
  Control("lblBody").SetCaption(Translated(kTextBodyNoResistance));
  Control("tmrContinue").SetEnabled(true);
  Control("lblTimer").SetVisible(true);
  ShowModalOnTop(frmOwner);
}

void FStopOnPC::ShowModalOnTop(IWindow* frmOwner) {
  if (DialogsOnTop()) {
    ksv940::SetTopmost(*this);
  }
  ShowModal(frmOwner);
  // The countdown belongs to the shown dialog: once an answer has hidden it, a late tick must not
  // turn that answer into Continue.
  Control("tmrContinue").SetEnabled(false);
}

void FStopOnPC::cmdContinue_Click() {
  mfCancel = false;
  mfSkipScreen = false;
  ResumeNext([&] { Hide(); });
}

void FStopOnPC::cmdSkip_Click() {
  mfCancel = false;
  mfSkipScreen = true;
  ResumeNext([&] { Hide(); });
}

void FStopOnPC::cmdStop_Click() {
  mfCancel = true;
  mfSkipScreen = false;
  ResumeNext([&] { Hide(); });
}

void FStopOnPC::tmrContinue_Timer() {
  ResumeNext([&] { mlSecondsLeft = CheckedSub32(mlSecondsLeft, 1); });
  if (mlSecondsLeft != 0) {
    ResumeNext(
        [&] { Control("lblTimer").SetCaption(Translated(kTextCountdown, {mlSecondsLeft})); });
  } else {
    cmdContinue_Click();
  }
}

}  // namespace ksv940
