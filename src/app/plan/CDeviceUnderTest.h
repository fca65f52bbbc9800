#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ksv940 {

/// The device a run tests, as a plan's <Device> element and --device NAME=VALUE name it: asset,
/// manufacturer, model, serial, location, class and type, each optional. Class is I, II or
/// internal (internally powered); type B, BF or CF (the applied parts' type).
class CDeviceUnderTest {
 public:
  /// The fields in the order the reports list them.
  static const std::vector<std::string>& Fields();
  /// What is wrong with giving field sName the value sValue; the empty text when it is good.
  static std::string Problem(const std::string& sName, const std::string& sValue);
  /// What is wrong with a "NAME=VALUE" setting; the empty text when it is good.
  static std::string SettingProblem(const std::string& sSetting);

  /// Sets a field that has passed Problem.
  void Set(const std::string& sName, const std::string& sValue);
  /// Sets a "NAME=VALUE" setting that has passed SettingProblem.
  void SetFrom(const std::string& sSetting);
  /// The field's value; nullopt where it is not given.
  std::optional<std::string> Get(const std::string& sName) const;

 private:
  std::map<std::string, std::string> mValues;
};

}  // namespace ksv940
