#include "testing/CRig.h"

#include <sys/socket.h>

#include <sstream>

#include "hostdefaults/CMtiData.h"
#include "link/CWifiBridgeConnector.h"
#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestOptions.h"
#include "platform/core/PosixPumpPlatform.h"
#include "platform/settings/CRegistryFileStore.h"
#include "plugin/MComponent.h"
#include "support/MDeclares.h"

namespace ksv940::test {

namespace {

constexpr const char* kDoTheDut =
    " Perform any required operations on the DUT, then click Continue to keep on testing.";

std::string Countdown(int32_t lSeconds) {
  return "The test will automatically continue in " + std::to_string(lSeconds) + " seconds.";
}

std::string StopName(const SRecordedForm& form) {
  std::string sTitle = form.Text("lblTitle");
  std::string sBody = form.Text("lblBody");
  if (sTitle == "Power configuration on Equipment Output is about to change") {
    if (sBody.empty()) {
      return "before (no change)";
    }
    const std::pair<const char*, const char*> kChanges[] = {
        {"OFF to ON", "before OFF to ON"},
        {"ON to OFF", "before ON to OFF"},
        {"ON to OFF and then to ON again", "before ON to OFF to ON"}};
    for (auto [szChange, szName] : kChanges) {
      if (sBody == "The power on the KSV940's equipment output will now change from " +
                       std::string(szChange) + "." + kDoTheDut) {
        return szName;
      }
    }
  }
  for (std::string sState : {"ON", "OFF"}) {
    if (sTitle == "Power is now " + sState + "." &&
        sBody == "The power on the the KSV940's equipment output is now set to " + sState + "." +
                     kDoTheDut) {
      return "after " + sState;
    }
  }
  if (sTitle == "The KSV940 was unable to make a resistance measurement") {
    return "no resistance";
  }
  return "unexpected stop: " + sTitle + " | " + sBody;
}

std::string WaitName(const SRecordedForm& form) {
  std::string sTitle = form.Text("lblTitle");
  for (int32_t lSeconds = 1; lSeconds <= 60; ++lSeconds) {
    if (form.Text("lblTimer") != Countdown(lSeconds)) {
      continue;
    }
    std::string sSeconds = " " + std::to_string(lSeconds) + "s";
    std::string sPause = ". In order for the DUT to stabilize, the test will pause for " +
                         std::to_string(lSeconds) + " seconds.";
    std::string sName;
    if (sTitle == "Power is now ON" + sPause) {
      sName = "wait ON" + sSeconds;
    } else if (sTitle == "Power is now OFF" + sPause) {
      sName = "wait OFF" + sSeconds;
    } else if (sTitle == "DUT will switch off after " + std::to_string(lSeconds) + " seconds.") {
      sName = "switch-off" + sSeconds;
    } else {
      break;
    }
    int64_t lRanUs = form.lHiddenUs - form.lShownUs;
    if (form.eoaAnswer == eoaNone && lRanUs != lSeconds * 1'000'000LL) {
      sName += " (ran " + std::to_string(lRanUs) + " us)";
    }
    return sName;
  }
  return "unexpected wait: " + sTitle + " | " + form.Text("lblTimer");
}

}  // namespace

std::string DialogName(const SRecordedForm& form) {
  std::string sName;
  if (form.sForm == "FStopOnPC") {
    sName = StopName(form);
  } else if (form.sForm == "FWaitOnPC" && form.sCaption == "Power On/Off Delay") {
    sName = WaitName(form);
  } else {
    sName = "unexpected form: " + form.sForm + " | " + form.sCaption;
  }
  return form.sOwner == "Test guide" ? sName : sName + " (owner '" + form.sOwner + "')";
}

CRig::CRig(CSimScenario scenario, ERigLink erl)
    : pTrace(std::make_shared<CTraceRecorder>()),
      pLine(std::make_shared<CSimulatedLine>()),
      pPorts(std::make_shared<CSimulatedPorts>()),
      sim(std::move(scenario)),
      pLookup(std::make_shared<CFakePortLookup>()),
      pRegistry(std::make_shared<CClassRegistry>()),
      mErl(erl),
      mpNowhere(std::make_shared<CSimulatedLine>()) {
  gfOutletOn = false;
  pLine->SetReceiver(CSimulatedLine::eslPeer, [this](std::string_view s) { OnArrival(s); });
  sim.SetOutput([this](std::string_view s) { pLine->Write(CSimulatedLine::eslPeer, s); });
  // A wireless connector is always installed; its line leads nowhere unless the analyzer is
  // reached wirelessly.
  pWifi = std::make_shared<CSimWifiConnector>(erl == erlWireless ? *pLine : *mpNowhere);
  pWifi->fConnects = erl == erlWireless;
  if (erl == erlSerial) {
    pPorts->Connect(kPort, pLine);
  }
  CMtiData::RegisterClass(*pRegistry);
  SClassRegistration wifi;
  wifi.sClassName = "WifiConnector";
  wifi.sClassId = IWifiConnector::kClassId;
  wifi.fCreatable = true;
  wifi.fnServer = [pConnector = pWifi](const std::string&) { return pConnector; };
  pRegistry->Register(std::move(wifi));
  if (erl == erlBridge) {
    ServeBridge();
  }
  ctx.Scope()
      .Set<ISerialControlFactory>(pPorts)
      .Set<ITraceSink>(pTrace)
      .Set<CClassRegistry>(pRegistry)
      .Set<IMtiPortLookup>(pLookup)
      .Set<ISettingsStore>(std::make_shared<CRegistryFileStore>("/nonexistent/registry.reg"));
  DllRegisterServer();
  pVti = std::dynamic_pointer_cast<CKsvVti>(pRegistry->CreateObject("OrvexKSV940vti.CKsvVti"));
}

CRig::CRig(SScripted) : CRig() {
  mfScripted = true;
}

CRig::~CRig() {
  pVti.reset();
  CPosixPumpPlatform::Of(ctx.Pump()).Unwatch(mListenWatch);
  CPosixPumpPlatform::Of(ctx.Pump()).Unwatch(mClientWatch);
  gfOutletOn = false;
}

void CRig::ServeBridge() {
  mpBridge = std::make_unique<CLoopbackBridge>();
  sBridgeAddress = mpBridge->msAddress;
  CPosixPumpPlatform& platform = CPosixPumpPlatform::Of(ctx.Pump());
  mListenWatch = platform.WatchReadable(mpBridge->Listener(), [this, &platform] {
    // One client at a time, as ser2net serves a line: a new connection replaces the old one.
    platform.Unwatch(mClientWatch);
    int iClient = mpBridge->Accept();
    mClientWatch = platform.WatchReadable(iClient, [this, &platform, iClient] {
      char acBuffer[4096];
      ssize_t nRead = recv(iClient, acBuffer, sizeof acBuffer, MSG_DONTWAIT);
      if (nRead > 0) {
        pLine->Write(CSimulatedLine::eslHost, {acBuffer, static_cast<size_t>(nRead)});
      } else if (nRead == 0) {
        platform.Unwatch(mClientWatch);
      }
    });
  });
  // What the analyzer writes goes on to the client as it arrives at the line's host end. On
  // loopback the kernel hands written bytes to the other socket before the call returns, so the
  // pump's next look finds them and virtual time stays exact.
  pLine->SetReceiver(CSimulatedLine::eslHost, [this](std::string_view sBytes) {
    send(mpBridge->Client(), sBytes.data(), sBytes.size(), MSG_NOSIGNAL);
  });
  SClassRegistration bridge;
  bridge.sClassName = "WifiConnector";
  bridge.sClassId = IWifiConnector::kClassId;
  bridge.fCreatable = true;
  bridge.fnServer = [sAddress = sBridgeAddress](const std::string&) {
    return std::make_shared<CWifiBridgeConnector>(sAddress);
  };
  pRegistry->Register(std::move(bridge));
}

void CRig::Set(const std::string& sSettings) {
  std::istringstream settings(sSettings);
  for (std::string sSetting; settings >> sSetting;) {
    size_t nEquals = sSetting.find('=');
    pVti->testOptions()->SetProperty(sSetting.substr(0, nEquals), sSetting.substr(nEquals + 1));
  }
}

void CRig::Run(int32_t etc, int32_t epc, const std::string& sAP, const std::string& sNAP) {
  auto pTest = std::make_shared<CKsvSafetyTest>();
  pTest->Initialize(etc, epc);
  pTest->SetAP(sAP);
  pTest->SetNAP(sNAP);
  pVti->RunSafetyTest(pTest, &guide);
}

void CRig::Connect() {
  pVti->InitRemote(mErl == erlSerial ? kPort : -1);
  TakeSent();
  TakeTranscript();
  pWifi->vCalls.clear();
}

std::string CRig::TakeSent() {
  std::string sSent;
  sSent.swap(msSent);
  return sSent;
}

std::string CRig::TakeTranscript(bool fPower) {
  const std::vector<SRecordedForm>& vForms = ctx.Operator().Forms();
  std::string sTranscript;
  auto fnAdd = [&](const std::string& sItem) {
    sTranscript += (sTranscript.empty() ? "" : " ") + sItem;
  };
  while (mnTranscribedLines < mvLines.size() || mnTranscribedForms < vForms.size()) {
    bool fForm = mnTranscribedForms < vForms.size() &&
                 (mnTranscribedLines == mvLines.size() ||
                  vForms[mnTranscribedForms].lShownUs < mvLines[mnTranscribedLines].lAtUs);
    if (fForm) {
      fnAdd("[" + DialogName(vForms[mnTranscribedForms++]) + "]");
      continue;
    }
    std::string sLine = mvLines[mnTranscribedLines++].sLine;
    if (sLine.ends_with("\r\n")) {
      sLine.resize(sLine.size() - 2);
    }
    if (!fPower || sLine == "stat2" || sLine.starts_with("pol=")) {
      fnAdd(sLine == "\x1b" ? "\\e" : sLine);
    }
  }
  return sTranscript;
}

void CRig::OnArrival(std::string_view sBytes) {
  for (char c : sBytes) {
    msSent += c == '\x1b' ? std::string("\\e") : std::string(1, c);
    if (msPartial == "\x1b" && c != '\r') {
      mvLines.push_back({msPartial, mlPartialStartUs, mlPartialStartUs});
      msPartial.clear();
    }
    if (msPartial.empty()) {
      mlPartialStartUs = Now();
    }
    msPartial.push_back(c);
    if (!msPartial.ends_with("\r\n")) {
      continue;
    }
    mvLines.push_back({msPartial, mlPartialStartUs, Now()});
    std::string sCommand = msPartial.substr(0, msPartial.size() - 2);
    msPartial.clear();
    if (!mfScripted) {
      continue;
    }
    if (!mQueue.empty()) {
      SReply reply = mQueue.front();
      mQueue.pop_front();
      Reply(reply);
    } else if (auto it = mAnswers.find(sCommand); it != mAnswers.end()) {
      Reply(it->second);
    }
  }
  if (!mfScripted) {
    sim.Receive(sBytes);
  }
}

void CRig::Queue(std::optional<std::string> sReply, int64_t lDelayMs) {
  mQueue.push_back({std::move(sReply), lDelayMs});
}

void CRig::Answer(const std::string& sCommand, const std::string& sReply) {
  mAnswers[sCommand] = {sReply, 0};
}

void CRig::Reply(const SReply& reply) {
  if (reply.sReply) {
    SendAt(Now() + reply.lDelayMs * 1000, *reply.sReply);
  }
}

void CRig::SendAt(int64_t lAtUs, const std::string& sBytes) {
  // Weak: a write still pending when the test ends must not keep the line.
  std::weak_ptr<CSimulatedLine> pWeakLine = pLine;
  At(lAtUs, [pWeakLine, sBytes] {
    if (auto pAlive = pWeakLine.lock()) {
      pAlive->Write(CSimulatedLine::eslPeer, sBytes);
    }
  });
}

void CRig::Stream(int64_t lStartUs, int64_t lPeriodMs, const std::vector<std::string>& vLines) {
  for (size_t i = 0; i < vLines.size(); ++i) {
    SendAt(lStartUs + static_cast<int64_t>(i + 1) * lPeriodMs * 1000, vLines[i]);
  }
}

void CRig::At(int64_t lAtUs, std::function<void()> fn) {
  ctx.Pump().AddTimer(lAtUs, 0, std::move(fn));
}

int64_t CRig::ArrivalUs(size_t nChars, int64_t lStartUs) const {
  int64_t lNs = (lStartUs < 0 ? Now() : lStartUs) * 1000 +
                static_cast<int64_t>(nChars) * pLine->CharacterTimeNs();
  return (lNs + 999) / 1000;
}

}  // namespace ksv940::test
