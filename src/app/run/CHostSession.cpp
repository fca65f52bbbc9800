#include "app/run/CHostSession.h"

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>

#include "app/console/COperatorOption.h"
#include "app/run/ECommandExit.h"
#include "declares/GDeclares.h"
#include "hostdefaults/MHostDefaults.h"
#include "link/CWifiBridgeConnector.h"
#include "platform/automation/CClassRegistry.h"
#include "platform/core/CAutomationError.h"
#include "platform/forms/IFormView.h"
#include "platform/signal/CStopSignal.h"
#include "platform/trace/CFileTraceSink.h"
#include "plugin/CKsvVti.h"
#include "plugin/MComponent.h"
#include "support/MError.h"

namespace ksv940 {

/// Passes message boxes on to the operator's view and counts them, so that the command does not
/// repeat a failure the operator has already read.
class CCountingMessageBox : public IMessageBox {
 public:
  explicit CCountingMessageBox(std::shared_ptr<IMessageBox> pShown) : mpShown(std::move(pShown)) {}
  void Show(const std::string& sText, const std::string& sTitle, bool fExclamation) override {
    ++mnShown;
    mpShown->Show(sText, sTitle, fExclamation);
  }
  size_t Shown() const { return mnShown; }

 private:
  std::shared_ptr<IMessageBox> mpShown;
  size_t mnShown = 0;
};

void SHostOptions::AddTo(CLI::App& cmd) {
  COperatorOption::AddTo(cmd, sOperator);
  cmd.add_option("--trace", sTrace, "append the trace lines (the serial traffic) to FILE")
      ->type_name("FILE");
  settings.AddTo(cmd);
}

CHostSession::CHostSession(const SHostOptions& options, SCommandContext& ctx,
                           const std::string& sWifiAddress) {
  std::shared_ptr<IFormView> pView =
      COperatorOption::FromText(options.sOperator).MakeView(ctx.out, ctx.err);
  InstallView(mScope, pView);
  mpBoxes = std::make_shared<CCountingMessageBox>(pView);
  mScope.Set<IMessageBox>(mpBoxes);
  if (!options.sTrace.empty()) {
    mScope.Set<ITraceSink>(std::make_shared<CFileTraceSink>(options.sTrace));
  }
  auto pRegistry = MakeHostRegistry();
  if (!sWifiAddress.empty()) {
    SClassRegistration wifi;
    wifi.sClassName = "WifiConnector";
    wifi.sClassId = IWifiConnector::kClassId;
    wifi.sServer = kWifiErrorSource;
    wifi.fCreatable = true;
    wifi.fnServer = [sWifiAddress](const std::string&) -> std::shared_ptr<IAutomationObject> {
      return std::make_shared<CWifiBridgeConnector>(sWifiAddress);
    };
    pRegistry->Register(std::move(wifi));
  }
  mScope.Set<CClassRegistry>(pRegistry);
  DllRegisterServer();
  mpVti = std::dynamic_pointer_cast<CKsvVti>(pRegistry->CreateObject("OrvexKSV940vti.CKsvVti"));
  options.settings.ApplyTo(*mpVti->testOptions());
  mpStop = std::make_unique<CStopSignal>([this] {
    if (mfInterrupted) {
      // Asked twice: the operator wants out now, whatever is waiting.
      std::cerr << "ksv940: interrupted\n";
      std::_Exit(130);
    }
    mfInterrupted = true;
    if (mfnOnInterrupt) {
      mfnOnInterrupt();
    } else {
      mpVti->Abort();
    }
  });
}

CHostSession::~CHostSession() {
  // The plug-in object goes first, while the services it was made with are still in place.
  mpStop.reset();
  mpVti.reset();
}

size_t CHostSession::MessageBoxesShown() const {
  return mpBoxes->Shown();
}

int CHostSession::ExitFor(const std::exception_ptr& pFailure, size_t lBoxesBefore,
                          SCommandContext& ctx) const {
  try {
    std::rethrow_exception(pFailure);
  } catch (const CAutomationError& err) {
    TellFailure({err.Number(), OperatorText(err)}, lBoxesBefore, ctx.err);
    return err.Number() == errVTI_UserAbort ? ecxUserAbort : ecxFailure;
  } catch (const std::exception& ex) {
    ctx.err << "ksv940: " << ex.what() << "\n";
  }
  return ecxFailure;
}

void CHostSession::TellFailure(const SRunError& error, size_t lBoxesBefore,
                               std::ostream& err) const {
  if (error.lNumber == errVTI_UserAbort) {
    err << "ksv940: stopped by the operator\n";
  } else if (MessageBoxesShown() == lBoxesBefore) {
    err << error.sDescription << "\n";
  }
}

}  // namespace ksv940
