#include "scenarios/CVtiRig.h"

#include "host/default/CMtiData.h"
#include "plugin/MComponent.h"

namespace ksv940::test {

CVtiRig::CVtiRig(CSimScenario scenario, ERigLink erl)
    : pLine(std::make_shared<CSimulatedLine>()),
      sim(std::move(scenario)),
      pPorts(std::make_shared<CSimulatedPorts>()),
      pRegistry(std::make_shared<CClassRegistry>()),
      pLookup(std::make_shared<CFakePortLookup>()) {
  sim.Attach(*pLine);
  sim.SetMonitor([this](bool fFromHost, std::string_view sBytes) {
    if (fFromHost) {
      for (char c : sBytes) {
        msSent += c == '\x1b' ? std::string("\\e") : std::string(1, c);
      }
    }
  });
  // A wireless connector is always installed; its own line leads nowhere unless the analyzer is
  // reached wirelessly.
  auto pNowhere = std::make_shared<CSimulatedLine>();
  pWifi = std::make_shared<CSimWifiConnector>(erl == erlWireless ? *pLine : *pNowhere);
  pWifi->fConnects = erl == erlWireless;
  if (erl == erlSerial) {
    pPorts->Connect(kPort, pLine);
  }
  CMtiData::RegisterClass(*pRegistry);
  SClassRegistration wifi;
  wifi.sClassName = "WifiConnector";
  wifi.sClassId = IWifiConnector::kClassId;
  wifi.fCreatable = true;
  wifi.fnServer = [pWifi = pWifi, pNowhere](const std::string&) { return pWifi; };
  pRegistry->Register(std::move(wifi));
  mScope.Set<ISerialControlFactory>(pPorts).Set<CClassRegistry>(pRegistry).Set<IMtiPortLookup>(
      pLookup);
  DllRegisterServer();
  pVti = std::dynamic_pointer_cast<CKsvVti>(pRegistry->CreateObject("OrvexKSV940vti.CKsvVti"));
}

CVtiRig::~CVtiRig() {
  pVti.reset();
  sim.Detach();
}

std::string CVtiRig::TakeSent() {
  std::string sSent;
  sSent.swap(msSent);
  return sSent;
}

void CVtiRig::Connect() {
  pVti->InitRemote(pWifi->fConnects ? -1 : kPort);
  TakeSent();
  pWifi->vCalls.clear();
}

}  // namespace ksv940::test
