#include "link/CWifiBridgeConnector.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "declares/GDeclares.h"
#include "link/MWire.h"
#include "platform/automation/CClassRegistry.h"
#include "platform/core/CContext.h"
#include "platform/core/MText.h"
#include "platform/serial/MUsbSerialPorts.h"
#include "support/MError.h"

namespace ksv940 {

namespace {

// What the connector holds at most of what the bridge sent and nobody has taken yet. A reply line
// ends within kLongestReply characters, and one arrival adds at most as much again.
constexpr size_t kHeldLimit = 2 * kLongestReply;

std::string TooLong() {
  return "The wireless bridge sent more than " + std::to_string(kLongestReply) +
         " characters without a line end.";
}

}  // namespace

CWifiBridgeConnector::CWifiBridgeConnector(std::string sAddress, int32_t lReplyFloorMs)
    : msAddress(std::move(sAddress)),
      mlReplyFloorMs(lReplyFloorMs),
      mpPump(CContext::Share<CMessagePump>()) {
  if (msAddress.empty()) {
    if (const char* szAddress = std::getenv("KSV940_WIFI"); szAddress != nullptr) {
      msAddress = szAddress;
    }
  }
}

CWifiBridgeConnector::~CWifiBridgeConnector() {
  Disconnect();
}

void CWifiBridgeConnector::RegisterClass(CClassRegistry& registry) {
  SClassRegistration registration;
  registration.sClassName = "WifiConnector";
  registration.sClassId = kClassId;
  registration.sServer = kWifiErrorSource;
  registration.fCreatable = true;
  registration.fnServer = [](const std::string&) -> std::shared_ptr<IAutomationObject> {
    return std::make_shared<CWifiBridgeConnector>();
  };
  registry.Register(std::move(registration));
}

void CWifiBridgeConnector::SetLogPath(const std::string& sPath) {
  msLogPath = sPath;
  mLog.close();
}

void CWifiBridgeConnector::SetMonitorData(bool fMonitor) {
  mfMonitor = fMonitor;
}

bool CWifiBridgeConnector::isWireless() {
  return !msAddress.empty();
}

bool CWifiBridgeConnector::ScanUSBPorts(const std::string& /*sModel*/) {
  return UsbSerialPortPresent();
}

bool CWifiBridgeConnector::ConnectWireless() {
  Disconnect();
  size_t nColon = msAddress.rfind(':');
  if (nColon == std::string::npos || nColon == 0 || nColon + 1 == msAddress.size()) {
    return false;
  }
  if (!mSocket.Connect(msAddress.substr(0, nColon), msAddress.substr(nColon + 1),
                       mpPump->Clock().NowUs() + kConnectTimeoutMs * 1000LL,
                       [this] { OnReadable(); })) {
    return false;
  }
  mfPeerClosed = false;
  msReceived.clear();
  Log("connected", msAddress);
  return true;
}

bool CWifiBridgeConnector::ScanPort(const std::string& sQuery, const std::string& sModel,
                                    int16_t /*i1*/, int16_t /*i2*/, int16_t /*i3*/, int16_t /*i4*/,
                                    int16_t /*i5*/) {
  if (!mSocket.IsOpen()) {
    return false;
  }
  // The analyzer's command set is lower case; the query may be named in capitals.
  std::string sCommand = sQuery;
  for (char& c : sCommand) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  try {
    std::string sReply =
        SendCommand(sCommand, static_cast<int16_t>(std::min<int32_t>(mlReplyFloorMs, 32767)));
    return sReply.compare(0, sModel.size(), sModel) == 0;
  } catch (const CAutomationError&) {
    return false;
  }
}

std::string CWifiBridgeConnector::SendCommand(const std::string& sCommand,
                                              std::optional<int16_t> iWaitMs) {
  if (!mSocket.IsOpen() || mfPeerClosed) {
    Fail("The wireless bridge is not connected.");
  }
  // The reply must belong to this command: what came before it is dropped.
  if (!msReceived.empty()) {
    Log("dropped", msReceived);
    msReceived.clear();
  }
  mfOverrun = false;
  std::string sLine = sCommand + kCrLf;
  Log(">", sLine);
  size_t nSent = 0;
  while (nSent < sLine.size()) {
    size_t nTaken = 0;
    try {
      nTaken = mSocket.Send(std::string_view(sLine).substr(nSent));
    } catch (const std::runtime_error& err) {
      Fail(std::string("The wireless bridge refused the command: ") + err.what());
    }
    nSent += nTaken;
    // The bridge takes nothing for now. Waiting for it may not hang the run: a bridge that takes
    // nothing for as long as a reply may take is not serving the line.
    if (nTaken == 0 && !mSocket.WaitWritable(mpPump->Clock().NowUs() + mlReplyFloorMs * 1000LL)) {
      Fail(mfPeerClosed ? "The wireless bridge closed the connection."
                        : "The wireless bridge takes no more data.");
    }
  }
  if (!iWaitMs.has_value()) {
    return {};
  }
  int32_t lWaitMs = std::max<int32_t>(*iWaitMs, mlReplyFloorMs);
  mpPump->RunUntil(mpPump->Clock().NowUs() + lWaitMs * 1000LL, [this] {
    return msReceived.find(kCrLf) != std::string::npos || msReceived.size() >= kLongestReply ||
           mfPeerClosed;
  });
  size_t nEnd = msReceived.find(kCrLf);
  if (nEnd == std::string::npos || nEnd >= kLongestReply) {
    if (nEnd != std::string::npos || msReceived.size() >= kLongestReply) {
      // A flood is no reply; none of it may pass for one.
      Log("dropped", msReceived);
      msReceived.clear();
      Fail(TooLong());
    }
    if (mfPeerClosed) {
      Fail("The wireless bridge closed the connection.");
    }
    return {};
  }
  std::string sReplyLine = msReceived.substr(0, nEnd + 2);
  msReceived.erase(0, nEnd + 2);
  Log("<", sReplyLine);
  return ReplyOf(sReplyLine);
}

std::string CWifiBridgeConnector::FlushData(int16_t iWaitMs) {
  if (iWaitMs > 0) {
    mpPump->RunUntil(mpPump->Clock().NowUs() + iWaitMs * 1000LL, [] { return false; });
  }
  std::string sData;
  sData.swap(msReceived);
  bool fOverrun = std::exchange(mfOverrun, false);
  if (sData.empty()) {
    return {};
  }
  Log("<", sData);
  // The newest output must have come whole: not a flood without a line end, and not a line whose
  // beginning went when older characters were let go.
  size_t nLastEnd = sData.rfind(kCrLf);
  size_t nStart = 0;
  if (nLastEnd != std::string::npos) {
    size_t nPrevious = std::string_view(sData).substr(0, nLastEnd).rfind(kCrLf);
    if (nPrevious != std::string::npos) {
      nStart = nPrevious + 2;
    } else if (fOverrun) {
      Fail(TooLong());
    }
  }
  if ((nLastEnd == std::string::npos ? sData.size() : nLastEnd) - nStart >= kLongestReply) {
    Fail(TooLong());
  }
  return NewestOutputOf(sData);
}

std::string CWifiBridgeConnector::ReplyOf(const std::string& sLine) {
  // Handed over as the serial channel hands a reply over, so the plug-in reads both links alike.
  if (sLine == kAcknowledged) {
    return sLine;
  }
  return sLine.substr(0, sLine.find(kCrLf));
}

std::string CWifiBridgeConnector::NewestOutputOf(const std::string& sData) {
  // A stream of readings leaves several lines: the newest one is the instrument's output.
  size_t nLastEnd = sData.rfind(kCrLf);
  if (nLastEnd == std::string::npos) {
    return sData;
  }
  std::string sLines = sData.substr(0, nLastEnd);
  size_t nPrevious = sLines.rfind(kCrLf);
  return nPrevious == std::string::npos ? sLines : sLines.substr(nPrevious + 2);
}

void CWifiBridgeConnector::Disconnect() {
  mSocket.Close();
}

void CWifiBridgeConnector::OnReadable() {
  // One arrival adds at most a reply's length.
  if (mSocket.Receive(msReceived, kLongestReply)) {
    if (msReceived.size() > kHeldLimit) {
      // Only the newest characters can still matter: SendCommand looks for its reply after every
      // arrival, and FlushData answers the newest line. The older ones go.
      msReceived.erase(0, msReceived.size() - kHeldLimit);
      mfOverrun = true;
    }
  } else {
    // The bridge went away; the socket tells no more.
    mfPeerClosed = true;
    Log("closed", {});
  }
}

void CWifiBridgeConnector::Fail(const std::string& sWhat) {
  Log("error", sWhat);
  throw CAutomationError(errVTI_Error, kWifiErrorSource, sWhat);
}

void CWifiBridgeConnector::Log(const char* szDirection, const std::string& sData) {
  if (!mfMonitor || msLogPath.empty()) {
    return;
  }
  if (!mLog.is_open()) {
    mLog.open(msLogPath, std::ios::app);
  }
  if (mLog) {
    mLog << mpPump->Clock().NowMs() << "\t" << szDirection << "\t" << EscapeControls(sData) << "\n";
    mLog.flush();
  }
}

}  // namespace ksv940
