#include "CFuzzContext.h"

#include <sstream>

#include "MFuzzSupport.h"
#include "hostdefaults/CLanguageService.h"
#include "hostdefaults/MHostDefaults.h"
#include "link/CWifiBridgeConnector.h"
#include "platform/automation/CClassRegistry.h"
#include "platform/forms/CAutomaticView.h"
#include "plugin/MComponent.h"

namespace ksv940::fuzz {

/// The automatic operator, silent, counting the message boxes.
class CFuzzView : public CAutomaticView {
 public:
  CFuzzView() : CAutomaticView(eoaNone, 0, mOut, mOut) {}
  void Show(const std::string& sText, const std::string& sTitle, bool fExclamation) override {
    ++mnBoxes;
    CAutomaticView::Show(sText, sTitle, fExclamation);
    mOut.str({});
  }
  size_t mnBoxes = 0;

 private:
  std::ostringstream mOut;
};

CFuzzContext::CFuzzContext()
    : mpClock(std::make_shared<CSimulatedClock>()),
      mpPump(std::make_shared<CMessagePump>(mpClock)),
      mpPorts(std::make_shared<CSimulatedPorts>()),
      mpView(std::make_shared<CFuzzView>()) {
  FuzzSetUp();
  std::shared_ptr<CClassRegistry> pRegistry = MakeHostRegistry();
  mScope.Set<IClock>(mpClock)
      .Set<CMessagePump>(mpPump)
      .Set<ILanguageService>(std::make_shared<CLanguageService>())
      .Set<ISerialControlFactory>(mpPorts)
      .Set<CClassRegistry>(pRegistry);
  InstallView(mScope, mpView);
  CWifiBridgeConnector::RegisterClass(*pRegistry);
  DllRegisterServer();
}

CFuzzContext::~CFuzzContext() = default;

size_t CFuzzContext::MessageBoxes() const {
  return mpView->mnBoxes;
}

}  // namespace ksv940::fuzz
