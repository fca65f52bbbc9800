#include "link/CKsvMlcQuery.h"

#include "declares/GDeclares.h"
#include "declares/MAnalyzerFacts.h"
#include "hostapi/ILanguageService.h"
#include "link/MWire.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/core/IClock.h"
#include "platform/core/MRuntime.h"
#include "platform/forms/IMessageBox.h"
#include "support/MError.h"
#include "support/mTrace.h"

namespace ksv940 {

namespace {

// The second of the pieces between ","; false when the text has no ",".
bool SecondPiece(const std::string& sText, std::string& sPiece) {
  size_t nFirst = sText.find(',');
  if (nFirst == std::string::npos) {
    return false;
  }
  size_t nSecond = sText.find(',', nFirst + 1);
  sPiece = sText.substr(nFirst + 1,
                        nSecond == std::string::npos ? std::string::npos : nSecond - nFirst - 1);
  return true;
}

// An operator message: OK only, no title of its own, no icon.
void ShowMessage(const char* sText) {
  std::string sShown = CContext::Get<ILanguageService>().GetText(kTextModule, sText, {});
  CContext::Get<IMessageBox>().Show(sShown, "", false);
}

}  // namespace

CKsvMlcQuery::CKsvMlcQuery() = default;

CKsvMlcQuery::~CKsvMlcQuery() {
  try {
    mfrmPort.reset();
  } catch (...) {
  }
}

std::string CKsvMlcQuery::MtiType() const {
  return kInstrumentType;
}

MtiQueryResult CKsvMlcQuery::QueryMTI(int32_t lPort) {
  msSerialNo.clear();
  msFWVersion.clear();
  MtiQueryResult result;
  try {
    // The thread is held for a second without handling messages; what queued up meanwhile is
    // then handled once, without waiting for more.
    CContext::Get<IClock>().SleepBlocking(1000);
    CContext::Get<CMessagePump>().ProcessPending();
    Trace("KSV940 is connected to ::COM" + std::to_string(lPort));
    OpenQueryPort(lPort);

    int32_t lCode = 0;
    // "local" and ESC end what a former user may have left running; their replies do not matter.
    QueryPort("local\r\n", kCrLf, 1000);
    QueryPort(kEscape, kCrLf, 2000);
    std::string sReply = QueryPort("stat\r\n", kCrLf, 2000);
    if (sReply.size() <= 4) {
      // Nothing (or no status word) came back: no instrument.
    } else if (sReply[0] == kErrorMark) {
      Trace("Error KSV_ERROR_PREFIX");
    } else if ((HexStatusValue(std::string_view(sReply).substr(0, 4)) & kStatRemote) == 0) {
      // Answering but not in remote operation: it is not asked further.
      lCode = 1;
    } else {
      // The two error replies to "ident" that need the operator and a reset command; the whole
      // reply is compared, its CR LF included.
      std::string sIdent = QueryPort("ident\r\n", kCrLf, 1500);
      if (sIdent == std::string(kReplyGroundFault) + kCrLf) {
        ShowMessage(kTextGroundFault);
        QueryPort("gfir\r\n", kCrLf, 2500);
      } else if (sIdent == std::string(kReplyOverVoltage) + kCrLf) {
        QueryPort("ovr\r\n", kCrLf, 2500);
        ShowMessage(kTextOverVoltage);
      }
      std::string sVersion;
      if (!SecondPiece(sIdent, sVersion)) {
        // No firmware field (an error reply, silence): the query fails here, port left open.
        RaiseRuntimeError(erSubscript);
      }
      msFWVersion = sVersion;
      std::string sSerial = QueryPort("sn\r\n", kCrLf, 1500);
      size_t nEnd = sSerial.find(kCrLf);
      if (nEnd != std::string::npos) {
        msSerialNo = sSerial.substr(0, nEnd);
      }
      if (sVersion.ends_with("940")) {
        // The field carries the model number, not a firmware version: nothing is identified.
        Trace("Error PLUGIN_ID_NUMBER");
      } else {
        std::string sStatus1 = QueryPort("stat1\r\n", kCrLf, 1500);
        if ((HexStatusValue(sStatus1) & kStat1MainMenu) == 0) {
          QueryPort("exit\r\n", kCrLf, 1500);
        }
        lCode = 2;
      }
    }
    if (lCode != 0) {
      result.Model = kInstrumentType;
      result.Serial = msSerialNo;
      result.Firmware = msFWVersion;
      result.Result = lCode;
    }
    CloseQueryPort();
    return result;
  } catch (...) {
    // Reported to nobody: the host learns only that nothing was identified. The port stays as it
    // is; the next query closes it before opening.
    return MtiQueryResult{};
  }
}

void CKsvMlcQuery::OpenQueryPort(int32_t lPort) {
  try {
    if (mfrmPort == nullptr) {
      mfrmPort = std::make_unique<FPort>([this] { mfrmPort_TimeOut(); });
    }
    ISerialControl& comm = mfrmPort->Comm();
    if (comm.PortOpen()) {
      comm.SetPortOpen(false);
    }
    // Raw 8N1 without handshake, as the channel opens it; each read takes all that is waiting.
    comm.SetCommPort(lPort);
    comm.SetSettings("115200,N,8,1");
    comm.SetInputLen(0);
    comm.SetPortOpen(true);
    CheckConnectStatus(comm.Status());
    comm.SetInBufferCount(0);
  } catch (...) {
    CAutomationError errFailure = CAutomationError::FromCurrentException();
    Trace("Error " + errFailure.Description());
    throw errFailure;
  }
}

void CKsvMlcQuery::CloseQueryPort() {
  try {
    if (mfrmPort != nullptr && mfrmPort->Comm().PortOpen()) {
      mfrmPort->Comm().SetPortOpen(false);
    }
  } catch (...) {
  }
}

// The query opens its own port form and so collects its replies itself, beside the channel's
// receive: it has no channel, its time-outs are its own, and an error reply is a reply to it.
std::string CKsvMlcQuery::QueryPort(const std::string& sTx, const std::string& sAck,
                                    int16_t iTmOut) {
  ISerialControl& comm = mfrmPort->Comm();
  comm.SetInBufferCount(0);
  comm.Output(sTx);
  Trace("Send Data ::" + sTx);
  std::string sCollected;
  bool fDone = false;
  if (!sAck.empty()) {
    mfTimedOut = false;
    mfrmPort->StartTimer(iTmOut);
    // The time-out counts from the moment the command was handed over, not from when it has
    // left: the query does not wait for the output to drain.
    // A flood without the terminator ends the wait like a time-out: it is no reply.
    while (!fDone && !mfTimedOut && sCollected.size() < kLongestReply) {
      if (comm.InBufferCount() == 0) {
        CContext::Get<CMessagePump>().ProcessMessages();
      }
      if (comm.InBufferCount() >= 1) {
        sCollected += comm.Input();
        fDone = sCollected.ends_with(sAck);
      }
    }
    mfrmPort->StopTimer();
  }
  Trace("Recieve Data ::" + sCollected);
  if (!fDone) {
    return {};
  }
  // A complete reply is traced a second time, as the query has always traced it: a trace of it
  // reads the same as before.
  Trace("Recieve Data ::" + sCollected);
  return sCollected;
}

void CKsvMlcQuery::mfrmPort_TimeOut() {
  mfTimedOut = true;
  if (mfrmPort != nullptr) {
    mfrmPort->StopTimer();
  }
}

}  // namespace ksv940
