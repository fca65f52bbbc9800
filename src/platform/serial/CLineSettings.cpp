#include "platform/serial/CLineSettings.h"

#include <cctype>
#include <vector>

#include "platform/core/CAutomationError.h"

namespace ksv940 {

namespace {

constexpr int32_t kInvalidPropertyValue = 380;

[[noreturn]] void RaiseInvalid(const std::string& sSettings) {
  throw CAutomationError(kInvalidPropertyValue, kComponentName,
                         "Invalid property value: line settings \"" + sSettings + "\"");
}

bool ReadWhole(const std::string& sText, int32_t& lValue) {
  if (sText.empty() || sText.size() > 9) {
    return false;
  }
  lValue = 0;
  for (char c : sText) {
    if (!std::isdigit(static_cast<unsigned char>(c))) {
      return false;
    }
    lValue = lValue * 10 + (c - '0');
  }
  return true;
}

}  // namespace

CLineSettings CLineSettings::Parse(const std::string& sSettings) {
  std::vector<std::string> vFields(1);
  for (char c : sSettings) {
    if (c == ',') {
      vFields.emplace_back();
    } else if (c != ' ') {
      vFields.back().push_back(c);
    }
  }
  if (vFields.size() != 4 || vFields[1].size() != 1) {
    RaiseInvalid(sSettings);
  }
  CLineSettings settings;
  settings.mcParity = static_cast<char>(std::toupper(static_cast<unsigned char>(vFields[1][0])));
  bool fGood = ReadWhole(vFields[0], settings.mlBaud) && settings.mlBaud > 0 &&
               std::string("NEOMS").find(settings.mcParity) != std::string::npos &&
               ReadWhole(vFields[2], settings.mlDataBits) && settings.mlDataBits >= 5 &&
               settings.mlDataBits <= 8;
  if (vFields[3] == "1") {
    settings.mlHalfStopBits = 2;
  } else if (vFields[3] == "1.5") {
    settings.mlHalfStopBits = 3;
  } else if (vFields[3] == "2") {
    settings.mlHalfStopBits = 4;
  } else {
    fGood = false;
  }
  if (!fGood) {
    RaiseInvalid(sSettings);
  }
  return settings;
}

double CLineSettings::CharacterTimeUs() const {
  double dBits = 1.0 + mlDataBits + (mcParity == 'N' ? 0 : 1) + mlHalfStopBits / 2.0;
  return dBits * 1e6 / mlBaud;
}

}  // namespace ksv940
