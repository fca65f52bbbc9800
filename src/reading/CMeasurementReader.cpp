#include "reading/CMeasurementReader.h"

#include "declares/GDeclares.h"
#include "declares/MAnalyzerFacts.h"
#include "dialogs/FStopOnPC.h"
#include "hostapi/IOrvexMtiData.h"
#include "link/CInstrumentLink.h"
#include "link/MWire.h"
#include "model/CAbortFlags.h"
#include "model/CKsvTestOptions.h"
#include "model/CKsvTestResult.h"
#include "platform/automation/CClassRegistry.h"
#include "platform/core/CContext.h"
#include "platform/core/MRuntime.h"
#include "support/MError.h"

namespace ksv940 {

namespace {

constexpr int kTries = 3;

}  // namespace

CMeasurementReader::CMeasurementReader(CInstrumentLink& link, const CKsvTestOptions& options,
                                       CAbortFlags& flags, std::function<void()> fnAbort)
    : mLink(link), mOptions(options), mFlags(flags), mfnAbort(std::move(fnAbort)) {}

void CMeasurementReader::ReadValue(const std::string& sCommand, IWindow* frmOwner,
                                   CKsvTestResult& result) {
  SReadTries tries;
  std::string sReply;
  for (;;) {
    sReply = SendReading(sCommand);
    EReadNext ernNext = JudgeReply(sCommand, sReply, tries);
    if (ernNext == ernAskOperator) {
      ernNext = AskNoResistance(frmOwner);
    }
    if (ernNext == ernKeep || !(tries.iTry < kTries && !mFlags.mfAbort)) {
      break;
    }
  }
  if (!mFlags.mfAbort) {
    result.SetReading(sReply, mOptions.measType(), sCommand);
  }
}

std::string CMeasurementReader::SendReading(const std::string& sCommand) {
  if (!mLink.Wireless()) {
    return mLink.Channel().TransmitCmd(sCommand, kCrLf, true, 3);
  }
  std::string sReply = mLink.Wifi().SendCommand(sCommand, 100);
  // Zeroing takes longer than the command's own wait; its result follows later. A connector
  // that waited long enough has handed it over already and leaves nothing to flush.
  if (sCommand.find("zero") != std::string::npos) {
    std::string sFlushed = mLink.Wifi().FlushData(200);
    if (!sFlushed.empty() || sReply.empty()) {
      sReply = sFlushed;
    }
  }
  return sReply;
}

// The reply to the command itself. A reading of a stream ("mread") that the instrument accepted
// goes on to the stream's next value, which replaces the reply.
CMeasurementReader::EReadNext CMeasurementReader::JudgeReply(const std::string& sCommand,
                                                             std::string& sReply,
                                                             SReadTries& tries) {
  if (sReply == kReplyNotReady) {
    // The instrument is not ready yet: give it a second and try again.
    if (!mLink.Wireless()) {
      mLink.Channel().Wait(1000);
    }
    ++tries.iTry;
    return ernMeasureAgain;
  }
  if (sReply == kReplyNoResistance) {
    if (sCommand == "zero") {
      tries.iTry = kTries;
      return ernMeasureAgain;
    }
    return ernAskOperator;
  }
  if (sCommand != "mread") {
    return ernKeep;
  }
  sReply = ReadStream(sCommand);
  return JudgeStreamReply(sReply, tries);
}

CMeasurementReader::EReadNext CMeasurementReader::JudgeStreamReply(const std::string& sReply,
                                                                   SReadTries& tries) {
  const bool fWireless = mLink.Wireless();
  if (sReply == kReplyBadReading) {
    if (!fWireless) {
      mLink.Channel().Wait(1000);
    }
    if (++tries.iBadReply >= kTries) {
      RaiseError(errVTI_InvalidReply, "CKsvVti", {}, {sReply});
    }
    return ernMeasureAgain;
  }
  if (sReply == kReplyOverRange) {
    if (fWireless) {
      mLink.Wifi().FlushData(200);
      return ernKeep;
    }
    // Over range: stop the stream, let the instrument settle and measure again.
    mLink.Channel().TransmitCmd(kEscape, kCrLf, false, 3);
    mLink.Channel().Wait(500);
    return ++tries.iBadReply > 2 ? ernKeep : ernMeasureAgain;
  }
  StopStream();
  return sReply == kReplyNoResistance ? ernAskOperator : ernKeep;
}

// No resistance could be measured: Stop Test aborts (which ends the tries), Skip keeps the reply,
// Continue measures again.
CMeasurementReader::EReadNext CMeasurementReader::AskNoResistance(IWindow* frmOwner) {
  FStopOnPC frmStop;
  frmStop.Control("cmdSkip").SetVisible(true);
  frmStop.ShowNoResistance(frmOwner);
  if (frmStop.Cancel()) {
    mfnAbort();
  } else if (frmStop.SkipScreen()) {
    return ernKeep;
  }
  return ernMeasureAgain;
}

std::string CMeasurementReader::ReadStream(const std::string& sCommand) {
  if (!mLink.Wireless()) {
    return mLink.Channel().ReceiveOneFromMany(2);
  }
  std::string sReply = mLink.Wifi().FlushData(300);
  if (sReply.empty()) {
    // Nothing streamed yet: ask once more and give the stream a second.
    mLink.Wifi().SendCommand(sCommand, 100);
    sReply = mLink.Wifi().FlushData(1000);
  }
  return sReply;
}

void CMeasurementReader::StopStream() {
  if (mLink.Wireless()) {
    mLink.Wifi().FlushData(100);
  } else {
    mLink.Channel().TransmitCmd(kEscape, kCrLf, false, 3);
  }
}

std::shared_ptr<IOrvexMtiData> CMeasurementReader::ReadIdentity() {
  std::string sIdent = mLink.Exchange("ident", true, 30);
  if (!sIdent.starts_with(kIdentityModel)) {
    RaiseError(errVTI_InvalidReply, "CKsvVti", {}, {sIdent});
  }
  size_t nComma = sIdent.find(',');
  if (nComma == std::string::npos) {
    RaiseRuntimeError(erSubscript);
  }
  std::string sModel = sIdent.substr(0, nComma);
  std::string sFirmware = sIdent.substr(nComma + 1, sIdent.find(',', nComma + 1) - nComma - 1);
  std::string sSerial = mLink.Exchange("sn", true, 30);

  auto pMtiData = std::dynamic_pointer_cast<IOrvexMtiData>(
      CContext::Get<CClassRegistry>().CreateInstance(IOrvexMtiData::kClassId));
  if (!pMtiData) {
    RaiseRuntimeError(erTypeMismatch);
  }
  pMtiData->SetInstrumentType(kInstrumentType, 0);
  pMtiData->SetIdentity(sModel, sSerial, sFirmware);
  return pMtiData;
}

}  // namespace ksv940
