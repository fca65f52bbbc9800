#include "link/CChannel.h"

#include "declares/GDeclares.h"
#include "declares/MAnalyzerFacts.h"
#include "hostapi/ILanguageService.h"
#include "link/MWire.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/core/IClock.h"
#include "platform/core/MRuntime.h"
#include "support/MError.h"
#include "support/mTrace.h"

namespace ksv940 {

namespace {

constexpr const char* kSource = "CChannel";
constexpr const char* kErrorCodeSource = "MError";
constexpr int32_t kObjectNotSet = 91;
constexpr int32_t kQuickTimeOutMs = 1000;
constexpr int32_t kTimeOutMs = 10000;
constexpr int32_t kBusyInstrumentPauseMs = 10000;
constexpr int32_t kSecondsPerDay = 86400;

CMessagePump& Pump() {
  return CContext::Get<CMessagePump>();
}

// The commands the instrument answers at once get a short time-out. The comparison is exact:
// "stat1" given with its CR LF already added gets the long one.
int32_t TimeOutFor(const std::string& sTxData) {
  if (sTxData == kEscape || sTxData == "stat3" || sTxData == "exit" || sTxData == "stat1") {
    return kQuickTimeOutMs;
  }
  return kTimeOutMs;
}

}  // namespace

CChannel::CChannel() = default;

CChannel::~CChannel() {
  try {
    ClosePort();
  } catch (...) {
  }
}

std::shared_ptr<FPort> CChannel::PortForm() const {
  if (mfrmPort == nullptr) {
    throw CAutomationError(kObjectNotSet, kComponentName,
                           "Object variable or With block variable not set");
  }
  return mfrmPort;
}

void CChannel::OpenPort(int32_t iPort) {
  try {
    if (mlState == evsIdle || mlState == evsBusy) {
      RaiseError(errVTI_AlreadyOpen, kSource, "", {iPort});
    }
    mlState = evsBusy;
    mfrmPort = std::make_shared<FPort>([this] { mfrmPort_TimeOut(); });
    ISerialControl& comm = mfrmPort->Comm();
    if (comm.PortOpen()) {
      comm.SetPortOpen(false);
    }
    // The line is raw 8N1 without handshake; the vendor control's handshake and line options
    // have nothing to set in our serial controls.
    comm.SetCommPort(iPort);
    comm.SetSettings("115200,N,8,1");
    comm.SetInputLen(0);
    mlState = evsIdle;
    Wait(100);
    mlState = evsBusy;
    PortForm()->Comm().SetPortOpen(true);
    CheckConnectStatus(PortForm()->Comm().Status());
    PortForm()->Comm().SetInBufferCount(0);
    miPort = CheckedInt16(iPort);
    mlState = evsIdle;
    ResetFlags();
  } catch (...) {
    ClosePort();
    RaiseError(errVTI_NotOpen, kSource, "", {iPort});
  }
}

void CChannel::ClosePort() {
  mfTransmitReceiveFlag = false;
  mlState = evsBusy;
  if (mfrmPort != nullptr) {
    try {
      if (mfrmPort->Comm().PortOpen()) {
        mfrmPort->Comm().SetPortOpen(false);
      }
    } catch (...) {
    }
    // Unloading: the form goes with its controls once no running wait holds it any more.
    mfrmPort.reset();
  }
  mlState = evsClosed;
}

std::string CChannel::Transmit(const std::string& sTxData, const std::string& sAck, bool fParse,
                               bool fCheck) {
  if (mlState == evsClosed) {
    RaiseError(errVTI_NotOpen, kSource, "", {miPort});
  }
  if (mlState == evsBusy) {
    RaiseError(errVTI_Busy, kSource);
  }
  try {
    mlState = evsBusy;
    ResetFlags();
    Trace("Send Data    ::" + sTxData);
    int32_t lTmOut = TimeOutFor(sTxData);
    if (!sTxData.empty()) {
      std::shared_ptr<FPort> pForm = PortForm();
      pForm->Comm().SetInBufferCount(0);
      std::string sLine = sTxData.ends_with(kCrLf) ? sTxData : sTxData + kCrLf;
      pForm->Comm().Output(sLine);
      // The reply's time-out counts from the moment the command has left.
      while (pForm->Comm().OutBufferCount() > 0 && !mfAbortRequested) {
        Pump().ProcessMessages();
      }
    }
    std::string sReply = Receive(sAck, lTmOut, fParse, fCheck);
    Trace("Recieved Data ::" + sReply);
    mlState = evsIdle;
    return sReply;
  } catch (...) {
    CAutomationError errFailure = CAutomationError::FromCurrentException();
    mlState = evsIdle;
    RaiseError(errFailure.Number(), errFailure.Source(), errFailure.Description());
  }
}

std::string CChannel::Receive(const std::string& sAck, int32_t iTmOut, bool fParse, bool fCheck) {
  size_t n = sAck.size();
  std::string sCollected;
  bool fDone = false;
  bool fOverflow = false;
  if (n > 0) {
    std::shared_ptr<FPort> pForm = PortForm();
    mfTimeOut = false;
    pForm->StartTimer(iTmOut);
    pForm->Comm().SetInputLen(1);
    // One character per read, so that reading stops exactly at the first terminator. The thread
    // yields only while nothing is waiting: a burst is read in one go.
    while (!fDone && !fOverflow && !mfTimeOut && !mfAbortRequested) {
      if (pForm->Comm().InBufferCount() == 0) {
        Pump().ProcessMessages();
      }
      if (pForm->Comm().InBufferCount() >= 1) {
        sCollected += pForm->Comm().Input();
        fDone = sCollected.ends_with(sAck);
        fOverflow = !fDone && sCollected.size() >= kLongestReply;
      }
    }
    pForm->StopTimer();
  }
  if (fOverflow) {
    // A flood without the terminator: no reply can follow it within reason. Kept, a part of it
    // could pass for a reading, so none of it is handed on; without fCheck it fails for good,
    // as an error reply to the last attempt does.
    Trace("Reply too long ::" + std::to_string(sCollected.size()) + " characters");
    if (fCheck) {
      mfTransmitReceiveFlag = false;
      return {};
    }
    mfTransmitReceiveFlag = true;
    mfTestAbortFlag = true;
    RaiseError(errVTI_InvalidReply, kSource, "", {std::string()});
  }
  if (fCheck) {
    std::string sResult = fDone ? ParseResult(sCollected, fParse) : std::string();
    mfTransmitReceiveFlag = false;
    return sResult;
  }
  if (fDone) {
    std::string sResult = ParseResult(sCollected, fParse);
    mfTransmitReceiveFlag = false;
    return sResult;
  }
  if (!mfAbortRequested && n > 0) {
    mfTransmitReceiveFlag = true;
    mfTestAbortFlag = true;
    RaiseError(errVTI_NoReply, kSource, "", {miPort});
  }
  return {};
}

std::string CChannel::ReceiveOneFromMany(int16_t iTime) {
  IClock& clock = CContext::Get<IClock>();
  int32_t lStart = clock.TimeOfDaySeconds();
  std::string sLast;
  auto fnWindowEnded = [&] {
    int32_t lElapsed = (clock.TimeOfDaySeconds() - lStart + kSecondsPerDay) % kSecondsPerDay;
    return lElapsed >= iTime;
  };
  while (!fnWindowEnded() && !mfAbortRequested) {
    std::string sLine = Receive(kCrLf, kTimeOutMs, false, false);
    Trace("Recieve Data ::" + sLine);
    sLast = sLine;
  }
  return sLast;
}

void CChannel::Wait(int32_t lTmOut) {
  if (mlState == evsBusy) {
    RaiseError(errVTI_Busy, kSource);
  }
  if (mlState == evsClosed) {
    RaiseError(errVTI_NotOpen, kSource);
  }
  // From here on nothing is reported: a pause that fails still ends.
  std::shared_ptr<FPort> pForm = mfrmPort;
  mlState = evsBusy;
  ResetFlags();
  if (pForm != nullptr) {
    pForm->StartTimer(lTmOut);
    do {
      try {
        Pump().ProcessMessages();
      } catch (...) {
      }
    } while (!mfTimeOut && !mfAbortRequested);
    pForm->StopTimer();
  }
  mlState = evsIdle;
}

std::string CChannel::ParseResult(const std::string& sRx, bool fParse) {
  if (sRx == kAcknowledged) {
    return sRx;
  }
  size_t nEnd = sRx.find(kCrLf);
  std::string sLine = nEnd == std::string::npos ? std::string() : sRx.substr(0, nEnd);
  if (sLine != kReplyBadReading && sLine != kReplyNotReady && ErrorCheck(sLine, fParse)) {
    ProcessErrorCode(sLine);
  }
  return sLine;
}

bool CChannel::ErrorCheck(const std::string& sDataIn, bool fParse) {
  bool fResult = (sDataIn.empty() || sDataIn[0] == kErrorMark) && !fParse;
  if (sDataIn == kReplyOverRange || sDataIn == kReplyNoResistance) {
    fResult = false;
  }
  if (sDataIn == kReplyWait25A) {
    // The instrument asks for a pause before the next 25 A test.
    fResult = false;
    mlState = evsIdle;
    Wait(kBusyInstrumentPauseMs);
  }
  return fResult;
}

void CChannel::ProcessErrorCode(const std::string& sDataIn) {
  mfTestAbortFlag = true;
  std::string sMessage;
  if (sDataIn.starts_with(kErrorMark)) {
    // A code that is no 16-bit number is treated like a code the table lacks.
    try {
      int16_t iCode = TextToInt16(std::string_view(sDataIn).substr(1));
      for (const SAnalyzerError& error : kAnalyzerErrors) {
        if (error.iCode == iCode) {
          sMessage = CContext::Get<ILanguageService>().GetText(kTextModule, error.sMessage, {});
        }
      }
    } catch (const CAutomationError&) {
    }
  }
  if (sMessage.empty()) {
    RaiseError(errVTI_InvalidReply, kErrorCodeSource, "", {sDataIn});
  }
  RaiseError(errVTI_KsvError, kErrorCodeSource, "", {sMessage});
}

std::string CChannel::TransmitCmd(const std::string& sTxData, const std::string& sAck, bool fParse,
                                  int32_t lTransmitCount) {
  if (sTxData == "zero") {
    mfTestAbortFlag = false;
  }
  if (mfTestAbortFlag) {
    return {};
  }
  int32_t lAttempt = 1;
  bool fCheck = true;
  int32_t lPause = 100;
  std::string sReply;
  for (;;) {
    if (lAttempt == lTransmitCount) {
      fCheck = false;
    }
    sReply = Transmit(sTxData, sAck, fParse, fCheck);
    if (!sReply.empty() && sReply[0] != '!') {
      return sReply;
    }
    // Only what is already due: nothing waits here.
    Pump().ProcessPending();
    lAttempt = CheckedAdd32(lAttempt, 1);
    if (!fCheck) {
      break;
    }
    Wait(lPause);
    lPause = CheckedMul32(lAttempt, 100);
  }
  if (!sReply.empty() && sReply[0] == '!') {
    mfTransmitReceiveFlag = true;
    mfTestAbortFlag = true;
    if (sTxData != "zero") {
      RaiseError(errVTI_InvalidReply, kSource, "", {sReply});
    }
  }
  return {};
}

void CChannel::ResetFlags() {
  mfAbortRequested = false;
  mfTimeOut = false;
}

void CChannel::mfrmPort_TimeOut() {
  try {
    if (mfrmPort != nullptr) {
      mfrmPort->StopTimer();
    }
  } catch (...) {
  }
  mfTimeOut = true;
}

}  // namespace ksv940
