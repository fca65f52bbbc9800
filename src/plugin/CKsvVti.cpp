#include "plugin/CKsvVti.h"

#include <array>

#include "declares/GDeclares.h"
#include "declares/MAnalyzerFacts.h"
#include "hostapi/ILanguageService.h"
#include "hostapi/IMtiPortLookup.h"
#include "hostapi/IOrvexMtiData.h"
#include "link/IWifiConnector.h"
#include "link/MWire.h"
#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestOptions.h"
#include "model/CKsvTestResult.h"
#include "model/CMicroSequence.h"
#include "platform/automation/CClassRegistry.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/core/MRuntime.h"
#include "platform/forms/IMessageBox.h"
#include "reading/MCommandHelpers.h"
#include "support/MError.h"

namespace ksv940 {

namespace {

constexpr const char* kSource = "CKsvVti";
constexpr const char* kWifiLogFile = "KSV940Log_WIFI_Connector.txt";
constexpr double kLowestFirmware = 1.17;

std::shared_ptr<IWifiConnector> CreateWifiConnector() {
  auto pWifi = std::dynamic_pointer_cast<IWifiConnector>(
      CContext::Get<CClassRegistry>().CreateInstance(IWifiConnector::kClassId));
  if (!pWifi) {
    RaiseRuntimeError(erCannotCreateObject);
  }
  return pWifi;
}

// The firmware's version number: from the first digit 1 to 9 on, its leading decimal number with
// "." as the separator ("V1.20" is 1.2, "01.17" is 1.17, "1.17.3" is 1.17, "0.99" is 99).
double FirmwareVersionNumber(const std::string& sFirmware) {
  size_t nStart = sFirmware.find_first_of("123456789");
  if (nStart == std::string::npos) {
    return 0.0;
  }
  return LeadingNumber(std::string_view(sFirmware).substr(nStart));
}

// Runs one step of a procedure that goes on whatever fails.
template <class F>
void IgnoringErrors(F fnStep) {
  try {
    fnStep();
  } catch (...) {
  }
}

}  // namespace

CKsvVti::CKsvVti()
    : mTestOptions(std::make_shared<CKsvTestOptions>()),
      mTestResult(std::make_shared<CKsvTestResult>()),
      mLink(CreateWifiConnector()),
      mReader(mLink, *mTestOptions, mFlags, [this] { Abort(); }),
      mPower(mLink, mPowerConfig, *mTestOptions, mFlags) {
  mLink.Wifi().SetLogPath(kWifiLogFile);
  mLink.Wifi().SetMonitorData(true);
}

// The owned channel closes its port as it goes; nothing is sent to the instrument.
CKsvVti::~CKsvVti() = default;

void CKsvVti::Abort() {
  mFlags.mfAbort = true;
  mFlags.mfStopFlag = true;
  mLink.Channel().Abort();
}

bool CKsvVti::FlagAbort() const {
  return mFlags.mfStopFlag || mLink.Channel().TestAbortFlag();
}

bool CKsvVti::ChkCmdAppPODelay(const std::string& sCommandName) const {
  static const std::array<const char*, 11> kNames = {
      "SAF", "PPL", "PPR", "PPV", "INSB", "INSD", "INSE", "APINS", "MINS", "ERES", "MAINS"};
  std::string sName = sCommandName.substr(0, sCommandName.find('='));
  for (const char* szName : kNames) {
    if (sName == szName) {
      return true;
    }
  }
  return false;
}

// ---- Connection ----------------------------------------------------------------------------

void CKsvVti::InitRemote(int16_t iPort) {
  try {
    mfPca2 = false;
    mFlags.mfStopFlag = false;
    mLink.Channel().SetTestAbortFlag(false);
    if (mState != evsClosed) {
      RaiseError(errVTI_AlreadyOpen, kSource, {}, {mLink.Channel().Port()});
    }
    mState = evsConnecting;
    mFlags.mfAbort = false;
    mfGivingUp = false;
    mPowerConfig.Current = epcOff;
    Connect(iPort);
  } catch (...) {
    FailInitRemote();
  }
}

void CKsvVti::Connect(int16_t iPort) {
  // A new connection talks over the link it makes; an earlier wireless connection does not
  // carry a serial port over to the connector.
  mLink.SetWireless(false);
  IWifiConnector& wifi = mLink.Wifi();
  if (!wifi.isWireless()) {
    if (wifi.ScanUSBPorts("940") && iPort == 0) {
      iPort = CheckedInt16(CContext::Get<IMtiPortLookup>().FindPort(kInstrumentType, ""));
    }
  }
  if (iPort > 0) {
    SerialHandshake(iPort);
  } else {
    WirelessHandshake();
    if (!mLink.Wireless()) {
      // No instrument within reach: not a failure, the host looks at State.
      CContext::Get<IMtiPortLookup>().FindPort(kInstrumentType, "");
      mState = evsClosed;
      return;
    }
  }

  mMtiData = mReader.ReadIdentity();
  CheckGivenUp();
  if (FirmwareVersionNumber(mMtiData->FirmwareVersion()) < kLowestFirmware) {
    RaiseError(errVTI_WrongFWVer, kSource, {}, {"1.17"});
  }
  mState = evsIdle;
}

void CKsvVti::SerialHandshake(int16_t iPort) {
  CChannel& channel = mLink.Channel();
  channel.OpenPort(iPort);
  channel.TransmitCmd(kEscape, kCrLf, false, 3);
  channel.Wait(250);
  CheckGivenUp();
  std::string sStatus = channel.TransmitCmd("stat", kCrLf, true, 3);
  CheckGivenUp();
  if ((HexStatusValue(sStatus) & kStatRemote) == 0) {
    channel.Wait(10);
    std::string sReply = channel.TransmitCmd("remote", kCrLf, true, 3);
    if (sReply != kAcknowledged) {
      // An operator abort during the exchange is kept, so that FlagAbort tells the host.
      mFlags.mfStopFlag = channel.TestAbortFlag();
      if (mFlags.mfStopFlag) {
        channel.SetTestAbortFlag(false);
      }
      RaiseError(errVTI_InvalidReply, kSource, {}, {sReply});
    }
  }
  CheckGivenUp();
  std::string sPcaType;
  try {
    sPcaType = channel.TransmitCmd("PCA_TYPE?", kCrLf, true, 3);
  } catch (const CAutomationError& err) {
    // An analyzer that answers the PCA type with an error reply has the first applied-part board:
    // the refusal is not a failure of the connection, and its latch must not silence what follows.
    if (err.Number() != errVTI_InvalidReply) {
      throw;
    }
    channel.SetTestAbortFlag(false);
    channel.SetTransmitReceiveFlag(false);
    sPcaType = kErrorMark;
  }
  if (!sPcaType.starts_with(kErrorMark)) {
    std::vector<std::string> vFields;
    size_t nStart = 0;
    for (size_t nSlash; (nSlash = sPcaType.find('/', nStart)) != std::string::npos;
         nStart = nSlash + 1) {
      vFields.push_back(sPcaType.substr(nStart, nSlash - nStart));
    }
    vFields.push_back(sPcaType.substr(nStart));
    mfPca2 = vFields.size() >= 3 && vFields[2] == "2";
  }
  CheckGivenUp();
  channel.TransmitCmd("rptime=" + std::to_string(mTestOptions->PolaritySwitchingDelay()), kCrLf,
                      true, 3);
  channel.Wait(10);
  CheckGivenUp();
}

void CKsvVti::WirelessHandshake() {
  IWifiConnector& wifi = mLink.Wifi();
  wifi.SetMonitorData(true);
  if (wifi.ConnectWireless() &&
      wifi.ScanPort(kScanQuery, kIdentityModel, kScanNumbers[0], kScanNumbers[1], kScanNumbers[2],
                    kScanNumbers[3], kScanNumbers[4])) {
    mLink.SetWireless(true);
  }
  if (!mLink.Wireless()) {
    return;
  }
  wifi.FlushData(300);
  CheckGivenUp();
  std::string sStatus = wifi.SendCommand("stat", 50);
  CheckGivenUp();
  if ((HexStatusValue(sStatus) & kStatRemote) == 0) {
    wifi.SendCommand("remote", 30);
  }
  CheckGivenUp();
  wifi.SendCommand("rptime=" + std::to_string(mTestOptions->PolaritySwitchingDelay()), 30);
  CheckGivenUp();
}

void CKsvVti::CheckGivenUp() const {
  // EndRemote during the connection attempt makes it give up after the exchange that was
  // waiting: EndRemote cannot wait for the attempt further down this thread's stack. A host's
  // Abort only ends the wait it interrupts; the attempt goes on with what the exchange answered.
  if (mfGivingUp) {
    RaiseError(errVTI_UserAbort, kSource);
  }
}

void CKsvVti::FailInitRemote() {
  CAutomationError errFailure = CAutomationError::FromCurrentException();
  if (mfGivingUp) {
    // Whatever the interrupted exchange ended in, the attempt ended because the host gave it up.
    errFailure = CAutomationError(errVTI_UserAbort, kSource, {});
    mfGivingUp = false;
  }
  // The analyzer is returned to local operation only while the serial channel is open, through
  // TransmitCmd: after a failed exchange its latch sends nothing. Each step on its own: a failing
  // one must not keep the port from being closed.
  CChannel& channel = mLink.Channel();
  if (channel.State() != evsClosed) {
    IgnoringErrors([&] { channel.Wait(50); });
    IgnoringErrors([&] { channel.TransmitCmd("local", "", false, 3); });
    IgnoringErrors([&] { channel.ClosePort(); });
  }
  mState = evsClosed;
  ReportError(errFailure);
}

void CKsvVti::EndRemote(IWindow* frmTestGuide) {
  const bool fScreenBefore = mTestOptions->PowerOFFScreen() == eepo_before;
  mPower.ForgetPolarity();
  if (mfEndingRemote) {
    return;
  }
  mfEndingRemote = true;
  if (mState == evsConnecting) {
    GiveUpConnecting();
    mfEndingRemote = false;
    return;
  }

  // The end of remote operation gives up on nothing: every exchange and every stop below is tried
  // on its own, whatever the one before it did (a failed ESC still sends "stat1", a status word
  // that never came reads as 0), so that as much as can be is handed back to the operator.
  const bool fWireless = mLink.Wireless();
  CChannel& channel = mLink.Channel();
  if (mState != evsClosed) {
    IgnoringErrors(
        [&] { mPower.PowerChangeStop("#stop=bpc", epcOff, frmTestGuide, false, false); });
    if (!channel.TransmitReceiveFlag()) {
      LeaveMeasurementScreen();
      ResetGroundFault();
      if (fScreenBefore) {
        IgnoringErrors(
            [&] { mPower.PowerChangeStop("#stop=bpc", epcOff, frmTestGuide, false, true); });
      }
      ReturnToLocal();
    } else if (!fWireless) {
      channel.SetTransmitReceiveFlag(false);
    }
  }
  if (!fWireless) {
    IgnoringErrors([&] { channel.ClosePort(); });
  }
  mState = evsClosed;
  mPowerConfig.Current = epcOff;
  mfEndingRemote = false;
}

// The connection attempt is further down this thread's stack, waiting in its message loop:
// waiting for it here would never end. Abort it and have it give up instead; its failure path
// closes the link as it unwinds.
void CKsvVti::GiveUpConnecting() {
  mFlags.mfAbort = true;
  mfGivingUp = true;
  mLink.Channel().Abort();
}

// Ends what the analyzer is doing and, unless its main menu shows, leaves the measurement screen.
void CKsvVti::LeaveMeasurementScreen() {
  if (mLink.Wireless()) {
    IgnoringErrors([&] { mLink.Wifi().FlushData(300); });
  } else {
    IgnoringErrors([&] { mLink.Channel().Transmit(kEscape, kCrLf, false, false); });
  }
  std::string sStat1;
  IgnoringErrors([&] { sStat1 = mLink.ExchangeOnce("stat1", 50); });
  int32_t lStat1 = 0;
  IgnoringErrors([&] { lStat1 = HexStatusValue(sStat1); });
  if ((lStat1 & kStat1MainMenu) == 0) {
    IgnoringErrors([&] { mLink.ExchangeOnce("exit", 30); });
  }
}

// A tripped ground fault interrupter is shown to the operator, then reset.
void CKsvVti::ResetGroundFault() {
  std::string sStat3;
  IgnoringErrors([&] { sStat3 = mLink.ExchangeOnce("stat3", 50); });
  int32_t lStat3 = 0;
  IgnoringErrors([&] { lStat3 = HexStatusValue(sStat3); });
  if ((lStat3 & kStat3GroundFault) == 0) {
    return;
  }
  IgnoringErrors([&] {
    std::string sText =
        CContext::Get<ILanguageService>().GetText(kTextModule, kTextGroundFault, {});
    CContext::Get<IMessageBox>().Show(sText, "", false);
  });
  IgnoringErrors([&] { mLink.ExchangeOnce("gfir", 30); });
}

void CKsvVti::ReturnToLocal() {
  if (mLink.Wireless()) {
    IgnoringErrors([&] { mLink.Wifi().FlushData(50); });
  } else {
    IgnoringErrors([&] { mLink.Channel().Wait(200); });
  }
  IgnoringErrors([&] { mLink.ExchangeOnce("local", 30); });
}

// ---- Operations on a connected instrument -------------------------------------------------

void CKsvVti::CheckPreconditions() const {
  if (mState == evsClosed) {
    RaiseError(errVTI_NotOpen, kSource);
  }
  if (mState == evsBusy) {
    RaiseError(errVTI_Busy, kSource);
  }
}

void CKsvVti::FailOperation() {
  CAutomationError errFailure = CAutomationError::FromCurrentException();
  mState = evsIdle;
  ReportError(errFailure);
}

void CKsvVti::SendResetInstructions(const CMicroSequence& sequence, int32_t iCurrent) {
  std::string sReset = sequence.GetResetInstructions(iCurrent);
  if (sReset.empty()) {
    return;
  }
  if (mLink.Wireless()) {
    mLink.Wifi().SendCommand(sReset);
  } else {
    mLink.Channel().Transmit(sReset, kAcknowledged, false, false);
  }
}

bool CKsvVti::InHighVoltageMode() {
  try {
    CheckPreconditions();
    mState = evsBusy;
    // A latch left by an earlier failure sends nothing: the empty status reads as 0.
    std::string sStatus;
    if (mLink.Wireless()) {
      mLink.Wifi().FlushData(50);
      sStatus = mLink.Wifi().SendCommand("stat2", 30);
    } else {
      mLink.Channel().TransmitCmd(kEscape, kCrLf, false, 3);
      sStatus = mLink.Channel().TransmitCmd("stat2", kCrLf, false, 3);
    }
    if ((HexStatusValue(sStatus) & kStat2HighVoltage) != 0) {
      RaiseError(errVTI_Busy, kSource);
    }
    mState = evsIdle;
    return false;
  } catch (...) {
    FailOperation();
  }
}

bool CKsvVti::Calibrate() {
  try {
    CheckPreconditions();
    mFlags.mfAbort = false;
    mState = evsBusy;
    mTestResult = std::make_shared<CKsvTestResult>();
    // A latch left by an earlier failure skips the set-up commands until "zero" clears it.
    CMicroSequence sequence;
    sequence.Initialize(etcProtEarth, epcOff, "-1", "", *mTestOptions);
    int32_t i = 0;
    for (; i < sequence.Count(); ++i) {
      std::string s = sequence.Instruction(i);
      if (!s.starts_with("#")) {
        if (mLink.Wireless()) {
          mLink.Wifi().SendCommand(s, 30);
        } else {
          mLink.Channel().TransmitCmd(s, kCrLf, false, 3);
        }
      } else {
        std::string sLower = s;
        for (char& c : sLower) {
          c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        // The reading becomes the zeroing; stops and pauses do not apply to zeroing the leads.
        if (sLower == "#many" || sLower == "#read") {
          mReader.ReadValue("zero", nullptr, *mTestResult);
        }
      }
      if (mFlags.mfAbort) {
        break;
      }
    }
    if (mFlags.mfAbort) {
      SendResetInstructions(sequence, i);
      mTestResult->SetState(etsAborted);
      RaiseError(errVTI_UserAbort, kSource);
    }
    mState = evsIdle;
    return true;
  } catch (...) {
    FailOperation();
  }
}

}  // namespace ksv940

namespace ksv940 {

namespace {

std::vector<std::string> Split(const std::string& sText, const std::string& sSeparator) {
  std::vector<std::string> vPieces;
  size_t nStart = 0;
  for (size_t nFound; (nFound = sText.find(sSeparator, nStart)) != std::string::npos;
       nStart = nFound + sSeparator.size()) {
    vPieces.push_back(sText.substr(nStart, nFound - nStart));
  }
  vPieces.push_back(sText.substr(nStart));
  return vPieces;
}

void ReplaceAll(std::string& sText, const std::string& sFrom, const std::string& sTo) {
  for (size_t nAt = 0; (nAt = sText.find(sFrom, nAt)) != std::string::npos; nAt += sTo.size()) {
    sText.replace(nAt, sFrom.size(), sTo);
  }
}

}  // namespace

std::string CKsvVti::RewriteAppliedParts(const std::string& sInstruction, bool fPca2) {
  std::vector<std::string> vFields = Split(sInstruction, "=");
  if (vFields.size() < 2) {
    return sInstruction;
  }
  std::string s = sInstruction;
  if (fPca2) {
    // The second-generation applied-part board takes "ap2=" and calls ground "ALL".
    s = "ap2=" + vFields[1];
    ReplaceAll(s, "GND", "ALL");
    ReplaceAll(s, "gnd", "ALL");
  } else if (vFields[1].find("//") != std::string::npos) {
    std::vector<std::string> vPieces = Split(s, "//");
    if (vPieces.size() >= 2 && vPieces[1] != "OPEN" && vPieces[1] != "open" &&
        !vPieces[1].empty()) {
      s = vPieces[0] + "//GND";
    }
  } else {
    std::vector<std::string> vPieces = Split(s, "/");
    if (vPieces.size() >= 3 && !vPieces[2].empty()) {
      s = vPieces[0] + "/" + vPieces[1] + "/GND";
    }
  }
  return s;
}

void CKsvVti::RunSafetyTest(const std::shared_ptr<CKsvSafetyTest>& cetTest, IWindow* frmTestGuide) {
  mPower.StartTest();
  try {
    CheckPreconditions();
    if (!cetTest) {
      RaiseError(errVTI_InvalidTest, kSource);
    }
    mFlags.mfAbort = false;
    mState = evsBusy;
    mTestResult = std::make_shared<CKsvTestResult>();
    std::shared_ptr<CMicroSequence> pSequence = cetTest->CreateMicroSequence(*mTestOptions);

    std::string sStandard = StandardCommand(*mTestOptions);
    std::string sReply;
    if (!sStandard.empty()) {
      sReply = mLink.Exchange(sStandard, true, 30);
    }
    // A latch left from an earlier failure skipped the standard command; it is cleared here.
    mLink.Channel().SetTestAbortFlag(false);
    if (sReply.starts_with(kErrorMark)) {
      RaiseError(errVTI_InvalidReply, kSource, {}, {sReply});
    }
    // A test without a polarity instruction forgets the last polarity, so that the next one
    // that has one stops as for a first polarity.
    static const std::array<int32_t, 12> kWithoutPolarity = {
        etcMains,    etcProtEarth, etcIRMains, etcIRAppl, etcIRMap,    etcIRM2N,
        etcIRAppl2N, etcPPVolt,    etcPPRes,   etcPPLeak, etcAltEquip, etcAltAppl};
    for (int32_t lCode : kWithoutPolarity) {
      if (cetTest->TestCode() == lCode) {
        mPower.ForgetPolarity();
      }
    }
    const int32_t eepoScreen = mTestOptions->PowerOFFScreen();

    int32_t i = 0;
    for (; i < pSequence->Count(); ++i) {
      std::string s = pSequence->Instruction(i);
      if (s.starts_with("ap=")) {
        s = RewriteAppliedParts(s, mfPca2);
      }
      if (!mFlags.mfStopFlag && !mFlags.mfAbort) {
        if (s.empty()) {
          // An empty instruction (a waveform outside the list) would leave the instrument
          // without its set-up: the test must not pass as if it had run.
          RaiseError(errVTI_InvalidMuSeq, kSource, {},
                     {static_cast<int64_t>(8000) + cetTest->TestCode(), "", ""});
        } else if (s[0] != '#') {
          RunCommand(s, *cetTest, frmTestGuide);
        } else {
          RunDirective(s, *pSequence, i, *cetTest, frmTestGuide, eepoScreen);
        }
      }
      if (!mLink.Wireless()) {
        // On the serial link a failed exchange (the channel's latch) aborts the test; a stop in
        // a dialog only skips the rest of it.
        mFlags.mfAbort = mLink.Channel().TestAbortFlag();
      }
      if (mFlags.mfAbort) {
        break;
      }
    }
    if (mFlags.mfAbort) {
      SendResetInstructions(*pSequence, i);
      mTestResult->SetState(etsAborted);
      RaiseError(errVTI_UserAbort, kSource);
    }
    mState = evsIdle;
  } catch (...) {
    FailOperation();
  }
}

void CKsvVti::RunCommand(const std::string& s, const CKsvSafetyTest& test, IWindow* frmTestGuide) {
  if (s.starts_with("pol=")) {
    mPower.PolaritySwitch(s, test.PowerConfig(), frmTestGuide);
    return;
  }
  if (s.starts_with("quit")) {
    // "quit" ends the ECG simulation: ESC on the serial link, a flush on the wireless one.
    if (mLink.Wireless()) {
      mLink.Wifi().FlushData(50);
    } else {
      mLink.Channel().TransmitCmd(kEscape, kCrLf, false, 3);
    }
    mPower.QuitSent();
    return;
  }
  std::string sReply = mLink.Exchange(s, true, s.starts_with("neut") ? 2000 : 150);
  if (sReply.starts_with(kErrorMark)) {
    RaiseError(errVTI_InvalidReply, kSource, {}, {sReply});
  }
}

void CKsvVti::RunDirective(const std::string& s, const CMicroSequence& sequence, int32_t i,
                           const CKsvSafetyTest& test, IWindow* frmTestGuide, int32_t eepoScreen) {
  std::string sKind = s.substr(0, 5);
  if (sKind == "#stop") {
    std::string sNext = sequence.Instruction(i + 1);
    std::string sPrevious =
        s.size() >= 3 && s.compare(s.size() - 3, 3, "apc") == 0 ? sequence.Instruction(i - 1) : "";
    if (sNext.starts_with("neut=") || sNext.starts_with("pol=")) {
      mPower.PowerChangeStop(s, test.PowerConfig(), frmTestGuide, true, false);
    } else if (ChkCmdAppPODelay(sNext)) {
      if (eepoScreen == eepo_before) {
        mPower.PowerChangeStop(s, test.PowerConfig(), frmTestGuide, false, false);
      }
    } else if (ChkCmdAppPODelay(sPrevious)) {
      if (eepoScreen == eepo_After) {
        mPower.PowerChangeStop(s, test.PowerConfig(), frmTestGuide, false, false);
      }
    } else {
      mPower.PowerChangeStop(s, test.PowerConfig(), frmTestGuide, false, false);
    }
  } else if (sKind == "#wait") {
    WaitDirective(mLink, s);
  } else if (sKind == "#read") {
    mReader.ReadValue("read", frmTestGuide, *mTestResult);
  } else if (sKind == "#many") {
    mReader.ReadValue("mread", frmTestGuide, *mTestResult);
  } else if (sKind == "#done") {
    mTestResult->SetState(etsCompleted);
  }
}

}  // namespace ksv940
