#include "support/MDeclares.h"

#include "platform/core/CContext.h"
#include "platform/forms/CForm.h"
#include "platform/settings/ISettingsStore.h"

namespace ksv940 {

thread_local bool gfOutletOn = false;

bool DialogsOnTop() {
  try {
    std::optional<int32_t> lSetting =
        CContext::Get<ISettingsStore>().ReadDword(kTestGuideSettingsKey, kTestGuideSettingsValue);
    // Compared signed: a stored FFFFFFFF reads as -1 and asks for nothing.
    return lSetting.has_value() && (*lSetting == 4 || *lSetting > 8);
  } catch (...) {
    return false;
  }
}

void SetTopmost(CForm& frm) {
  ResumeNext([&] { frm.SetTopmost(true); });
}

}  // namespace ksv940
