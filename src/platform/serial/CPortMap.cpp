#include "platform/serial/CPortMap.h"

#include <sys/stat.h>

#include <cstdlib>

#include "platform/core/CAutomationError.h"
#include "platform/core/MRuntime.h"

namespace ksv940 {

std::shared_ptr<CPortMap> CPortMap::CreateDefault() {
  auto pMap = std::make_shared<CPortMap>();
  if (const char* szMappings = std::getenv("KSV940_PORTS"); szMappings != nullptr) {
    pMap->AddMappings(szMappings);
  }
  return pMap;
}

std::string CPortMap::DevicePath(int32_t lPort) const {
  if (auto it = mPorts.find(lPort); it != mPorts.end()) {
    return it->second;
  }
  if (lPort < 1) {
    return {};
  }
  return "/dev/ttyS" + std::to_string(lPort - 1);
}

void CPortMap::Map(int32_t lPort, const std::string& sPath) {
  mPorts[lPort] = sPath;
}

int32_t CPortMap::Register(const std::string& sPath) {
  for (const auto& [lPort, sMapped] : mPorts) {
    if (sMapped == sPath) {
      return lPort;
    }
  }
  for (int32_t lPort = 1;; ++lPort) {
    struct stat info {};
    if (mPorts.count(lPort) == 0 && stat(DevicePath(lPort).c_str(), &info) != 0) {
      Map(lPort, sPath);
      return lPort;
    }
  }
}

void CPortMap::AddMappings(const std::string& sMappings) {
  size_t nStart = 0;
  while (nStart <= sMappings.size()) {
    size_t nEnd = sMappings.find(',', nStart);
    if (nEnd == std::string::npos) {
      nEnd = sMappings.size();
    }
    std::string sEntry = sMappings.substr(nStart, nEnd - nStart);
    nStart = nEnd + 1;
    if (sEntry.empty()) {
      continue;
    }
    size_t nEquals = sEntry.find('=');
    int32_t lPort = 0;
    bool fGood = nEquals != std::string::npos && nEquals + 1 < sEntry.size();
    if (fGood) {
      try {
        lPort = TextToInt32(sEntry.substr(0, nEquals));
      } catch (const CAutomationError&) {
        fGood = false;
      }
    }
    if (!fGood || lPort < 1) {
      throw CAutomationError(erInvalidCall, kComponentName,
                             "KSV940_PORTS: \"" + sEntry + "\" is not NUMBER=DEVICE");
    }
    Map(lPort, sEntry.substr(nEquals + 1));
  }
}

}  // namespace ksv940
