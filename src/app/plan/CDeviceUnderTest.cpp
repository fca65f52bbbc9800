#include "app/plan/CDeviceUnderTest.h"

#include <algorithm>

namespace ksv940 {

namespace {

// The values a checked field takes; the other fields take any text.
const std::map<std::string, std::vector<std::string>>& CheckedValues() {
  static const std::map<std::string, std::vector<std::string>> values = {
      {"class", {"I", "II", "internal"}}, {"type", {"B", "BF", "CF"}}};
  return values;
}

}  // namespace

const std::vector<std::string>& CDeviceUnderTest::Fields() {
  static const std::vector<std::string> fields = {"asset",    "manufacturer", "model", "serial",
                                                  "location", "class",        "type"};
  return fields;
}

std::string CDeviceUnderTest::Problem(const std::string& sName, const std::string& sValue) {
  const std::vector<std::string>& fields = Fields();
  if (std::find(fields.begin(), fields.end(), sName) == fields.end()) {
    return "the device has no field \"" + sName +
           "\"; it has asset, manufacturer, model, serial, location, class and type";
  }
  auto it = CheckedValues().find(sName);
  if (it == CheckedValues().end() ||
      std::find(it->second.begin(), it->second.end(), sValue) != it->second.end()) {
    return {};
  }
  std::string sList;
  for (size_t i = 0; i < it->second.size(); ++i) {
    sList += (i == 0 ? "" : i + 1 == it->second.size() ? " or " : ", ") + it->second[i];
  }
  return "the device's " + sName + " must be " + sList + ", not \"" + sValue + "\"";
}

std::string CDeviceUnderTest::SettingProblem(const std::string& sSetting) {
  size_t nEquals = sSetting.find('=');
  if (nEquals == std::string::npos) {
    return "\"" + sSetting + "\" is not NAME=VALUE";
  }
  return Problem(sSetting.substr(0, nEquals), sSetting.substr(nEquals + 1));
}

void CDeviceUnderTest::Set(const std::string& sName, const std::string& sValue) {
  mValues[sName] = sValue;
}

void CDeviceUnderTest::SetFrom(const std::string& sSetting) {
  size_t nEquals = sSetting.find('=');
  Set(sSetting.substr(0, nEquals), sSetting.substr(nEquals + 1));
}

std::optional<std::string> CDeviceUnderTest::Get(const std::string& sName) const {
  auto it = mValues.find(sName);
  return it == mValues.end() ? std::nullopt : std::optional<std::string>(it->second);
}

}  // namespace ksv940
