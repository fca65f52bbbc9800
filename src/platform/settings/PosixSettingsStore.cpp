#include "platform/settings/CRegistryFileStore.h"
#include "platform/settings/ISettingsStore.h"

namespace ksv940 {

std::shared_ptr<ISettingsStore> ISettingsStore::CreateDefault() {
  return std::make_shared<CRegistryFileStore>();
}

}  // namespace ksv940
