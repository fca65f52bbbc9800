#include "app/console/COperatorOption.h"
#include "platform/core/MText.h"

#include <CLI/CLI.hpp>
#include <stdexcept>

namespace ksv940 {

namespace {

// Whole seconds, at most a day: longer is a mistyped value, not an operator.
constexpr int64_t kLongestAnswerSeconds = 86'400;

}  // namespace

COperatorOption COperatorOption::Parse(const std::string& sSpec) {
  auto fail = [&](const std::string& sWhy) -> COperatorOption {
    throw std::invalid_argument("'" + sSpec + "' is not an operator (" + sWhy + "); use " + kUsage);
  };
  std::string sLower = LowerAscii(sSpec);
  if (sLower == "terminal") {
    return {eovTerminal, eoaNone, 0};
  }
  if (sLower == "auto") {
    return {eovAutomatic, eoaNone, 0};
  }
  if (sLower.rfind("auto:", 0) != 0) {
    return fail("unknown view");
  }
  std::string sRest = sSpec.substr(5);
  size_t nColon = sRest.find(':');
  std::string sButton = sRest.substr(0, nColon);
  std::optional<EOperatorAnswer> eoa = OperatorAnswerFromName(sButton);
  if (!eoa) {
    return fail("unknown button '" + sButton + "'");
  }
  if (nColon == std::string::npos) {
    return {eovAutomatic, *eoa, 0};
  }
  std::string sSeconds = sRest.substr(nColon + 1);
  if (sSeconds.empty() || sSeconds.size() > 6 ||
      sSeconds.find_first_not_of("0123456789") != std::string::npos ||
      std::stoll(sSeconds) > kLongestAnswerSeconds) {
    return fail("bad seconds '" + sSeconds + "'");
  }
  return {eovAutomatic, *eoa, std::stoll(sSeconds) * 1000};
}

COperatorOption COperatorOption::FromText(const std::string& sSpec) {
  return sSpec.empty() ? Default() : Parse(sSpec);
}

CLI::Option* COperatorOption::AddTo(CLI::App& cmd, std::string& sSpec) {
  CLI::Validator check(
      [](std::string& sValue) {
        try {
          Parse(sValue);
          return std::string();
        } catch (const std::invalid_argument& e) {
          return std::string(e.what());
        }
      },
      "OPERATOR");
  return cmd
      .add_option("--operator", sSpec,
                  std::string("who answers the dialogs: ") + kUsage +
                      "; default terminal when standard input is a terminal, else auto")
      ->check(check);
}

}  // namespace ksv940
