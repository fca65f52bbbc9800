#include "power/CPowerBench.h"

#include "platform/settings/CRegistryFileStore.h"
#include "support/MDeclares.h"

namespace ksv940::test {

namespace {

constexpr const char* kTitleBefore = "Power configuration on Equipment Output is about to change";
constexpr const char* kDoTheDut =
    " Perform any required operations on the DUT, then click Continue to keep on testing.";

std::string BeforeBody(const std::string& sChange) {
  return "The power on the KSV940's equipment output will now change from " + sChange + "." +
         kDoTheDut;
}

std::string AfterBody(const std::string& sState) {
  return "The power on the the KSV940's equipment output is now set to " + sState + "." + kDoTheDut;
}

std::string Countdown(int32_t lSeconds) {
  return "The test will automatically continue in " + std::to_string(lSeconds) + " seconds.";
}

std::string PowerIsNow(const std::string& sState, int32_t lSeconds) {
  return "Power is now " + sState +
         ". In order for the DUT to stabilize, the test will pause for " +
         std::to_string(lSeconds) + " seconds.";
}

// What a stop dialog said, by the exact texts it showed.
std::string StopName(const SRecordedForm& shown) {
  std::string sTitle = shown.Text("lblTitle");
  std::string sBody = shown.Text("lblBody");
  if (sTitle == kTitleBefore) {
    for (const char* sChange : {"OFF to ON", "ON to OFF", "ON to OFF and then to ON again"}) {
      if (sBody == BeforeBody(sChange)) {
        std::string sName = std::string("before ") + sChange;
        return sName == "before ON to OFF and then to ON again" ? "before ON to OFF to ON" : sName;
      }
    }
    if (sBody.empty()) {
      return "before (no change)";
    }
  }
  for (const char* sState : {"ON", "OFF"}) {
    if (sTitle == std::string("Power is now ") + sState + "." && sBody == AfterBody(sState)) {
      return std::string("after ") + sState;
    }
  }
  return "unexpected stop: " + sTitle + " | " + sBody;
}

// What a wait dialog said, and whether a countdown left alone lasted its seconds.
std::string WaitName(const SRecordedForm& shown) {
  std::string sTitle = shown.Text("lblTitle");
  std::string sTimer = shown.Text("lblTimer");
  for (int32_t lSeconds = 1; lSeconds <= 60; ++lSeconds) {
    if (sTimer != Countdown(lSeconds)) {
      continue;
    }
    std::string sSeconds = " " + std::to_string(lSeconds) + "s";
    std::string sName;
    if (sTitle == PowerIsNow("ON", lSeconds)) {
      sName = "wait ON" + sSeconds;
    } else if (sTitle == PowerIsNow("OFF", lSeconds)) {
      sName = "wait OFF" + sSeconds;
    } else if (sTitle == "DUT will switch off after " + std::to_string(lSeconds) + " seconds.") {
      sName = "switch-off" + sSeconds;
    } else {
      break;
    }
    if (shown.eoaAnswer == eoaNone && shown.lHiddenUs - shown.lShownUs != lSeconds * 1'000'000LL) {
      sName += " (ran " + std::to_string(shown.lHiddenUs - shown.lShownUs) + " us)";
    }
    return sName;
  }
  return "unexpected wait: " + sTitle + " | " + sTimer;
}

}  // namespace

CSimScenario RemoteScenario(ESimOutlet eso) {
  CSimScenario scenario;
  scenario.fRemote = true;
  scenario.eOutlet = eso;
  return scenario;
}

CPowerBench::CPowerBench(bool fWireless, CSimScenario scenario)
    : pLine(std::make_shared<CSimulatedLine>()),
      sim(std::move(scenario)),
      pWifi(std::make_shared<CSimWifiConnector>(*pLine)),
      link(pWifi),
      seq(link, power, options, flags) {
  ctx.Scope().Set<ISerialControlFactory>(pPorts).Set<ITraceSink>(pTrace).Set<ISettingsStore>(
      std::make_shared<CRegistryFileStore>(dir.PathOf("registry.reg")));
  gfOutletOn = false;
  sim.Attach(*pLine);
  sim.SetMonitor([this](bool fFromHost, std::string_view sBytes) {
    if (!fFromHost) {
      return;
    }
    for (char c : sBytes) {
      if (!mfLineOpen) {
        mvReceived.push_back({"", ctx.Clock().NowUs()});
        mfLineOpen = true;
      }
      mvReceived.back().sBytes.push_back(c);
      mfLineOpen = c != '\n';
    }
  });
  if (fWireless) {
    link.SetWireless(true);
  } else {
    pPorts->Connect(kPort, pLine);
    link.Channel().OpenPort(kPort);
  }
}

CPowerBench::~CPowerBench() {
  gfOutletOn = false;
}

std::string CPowerBench::Bytes() const {
  std::string sBytes;
  for (const SReceived& received : mvReceived) {
    sBytes += received.sBytes;
  }
  return sBytes;
}

int64_t CPowerBench::ArrivedUs(const std::string& sBytes, int nOccurrence) const {
  for (const SReceived& received : mvReceived) {
    if (received.sBytes == sBytes && nOccurrence-- == 0) {
      return received.lAtUs;
    }
  }
  return -1;
}

std::vector<std::string> CPowerBench::Shown() {
  std::vector<std::string> vShown;
  for (const SRecordedForm& shown : ctx.Operator().Forms()) {
    std::string sName;
    if (shown.sForm == "FStopOnPC" && shown.sCaption == "Stop On Power Configuration") {
      sName = StopName(shown);
    } else if (shown.sForm == "FWaitOnPC" && shown.sCaption == "Power On/Off Delay") {
      sName = WaitName(shown);
    } else {
      sName = "unexpected form: " + shown.sForm + " | " + shown.sCaption;
    }
    if (shown.sOwner != "Test Guide") {
      sName += " (owner '" + shown.sOwner + "')";
    }
    vShown.push_back(sName);
  }
  return vShown;
}

void CPowerBench::Answer(const std::vector<std::string>& vShown, int iStopAt) {
  for (size_t i = 0; i < vShown.size(); ++i) {
    bool fWait = vShown[i].rfind("wait", 0) == 0 || vShown[i].rfind("switch-off", 0) == 0;
    if (static_cast<int>(i) == iStopAt) {
      ctx.Operator().Then(eoaStop, 500);
    } else if (fWait) {
      ctx.Operator().ThenLetItRun();
    } else {
      ctx.Operator().Then(eoaContinue, 1000);
    }
  }
}

}  // namespace ksv940::test
