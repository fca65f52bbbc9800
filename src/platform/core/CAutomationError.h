#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace ksv940 {

/// The component's name as the automation layer reports it: the source of run-time failures and
/// of the connection-status checks, and the default title of message boxes.
inline constexpr const char* kComponentName = "OrvexKSV940vti";

/// A failure as the automation layer carries it: a 32-bit number, a source and a description.
/// It is raised with `throw` and travels to the nearest handler that catches it; a handler that
/// keeps a failure keeps all three values.
class CAutomationError : public std::exception {
 public:
  CAutomationError(int32_t lNumber, std::string sSource, std::string sDescription);

  int32_t Number() const noexcept { return mlNumber; }
  const std::string& Source() const noexcept { return msSource; }
  const std::string& Description() const noexcept { return msDescription; }
  const char* what() const noexcept override;

  /// The failure being handled, inside a catch block, as an automation error: an automation error
  /// unchanged, running out of memory as run-time error 7, any other failure as error 51 with its
  /// message. Must only be called while an exception is being handled.
  static CAutomationError FromCurrentException();

 private:
  int32_t mlNumber;
  std::string msSource;
  std::string msDescription;
  std::string msWhat;
};

}  // namespace ksv940
