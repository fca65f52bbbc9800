#include "app/plan/COptionSettings.h"

#include <CLI/CLI.hpp>

#include "model/CKsvTestOptions.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/MRuntime.h"

namespace ksv940 {

namespace {

std::string PropertyList() {
  std::string sList;
  for (const SOptionProperty& property : CKsvTestOptions::Properties()) {
    sList += (sList.empty() ? "" : ", ") + std::string(property.sName);
  }
  return sList;
}

std::string Expected(const SOptionProperty& property) {
  switch (property.eok) {
    case eokBoolean:
      return "true, false, -1 or 0";
    case eokInteger16:
      return "a 16-bit integer (-32768 to 32767)";
    case eokInteger32:
      return "a 32-bit integer";
    case eokEnumeration:
      return "the integer value of an enumeration member (32-bit)";
  }
  return {};
}

}  // namespace

std::string COptionSettings::Problem(const std::string& sSetting) {
  size_t nEquals = sSetting.find('=');
  if (nEquals == std::string::npos || nEquals == 0) {
    return "\"" + sSetting + "\" is not NAME=VALUE";
  }
  std::string sName = sSetting.substr(0, nEquals);
  std::string sValue = sSetting.substr(nEquals + 1);
  const SOptionProperty* pProperty = CKsvTestOptions::FindProperty(sName);
  if (pProperty == nullptr) {
    return "the test options have no property \"" + sName + "\"; they have " + PropertyList();
  }
  try {
    CKsvTestOptions scratch;
    scratch.SetProperty(sName, CVariant(sValue));
  } catch (const CAutomationError&) {
    return std::string(pProperty->sName) + " takes " + Expected(*pProperty) + ", not \"" + sValue +
           "\"";
  }
  return {};
}

void COptionSettings::AddTo(CLI::App& cmd) {
  cmd.add_option("--set", mvSettings,
                 "set a test option by its name, e.g. measType=1 or StopBeforeNewPC=true "
                 "(repeatable)")
      ->type_name("NAME=VALUE")
      ->check(CLI::Validator([](std::string& sSetting) { return Problem(sSetting); }, ""));
}

void COptionSettings::ApplyTo(CKsvTestOptions& options) const {
  Apply(mvSettings, options);
}

void COptionSettings::Apply(const std::vector<std::string>& vSettings, CKsvTestOptions& options) {
  for (const std::string& sSetting : vSettings) {
    size_t nEquals = sSetting.find('=');
    options.SetProperty(sSetting.substr(0, nEquals), CVariant(sSetting.substr(nEquals + 1)));
  }
}

}  // namespace ksv940
