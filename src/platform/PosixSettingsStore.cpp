#include "platform/CRegistryFileStore.h"
#include "platform/ISettingsStore.h"

namespace ksv940 {

std::shared_ptr<ISettingsStore> ISettingsStore::CreateDefault() {
  return std::make_shared<CRegistryFileStore>();
}

}  // namespace ksv940
