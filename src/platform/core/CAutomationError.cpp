#include "platform/core/CAutomationError.h"

#include <new>

#include "platform/core/MRuntime.h"

namespace ksv940 {

CAutomationError::CAutomationError(int32_t lNumber, std::string sSource, std::string sDescription)
    : mlNumber(lNumber), msSource(std::move(sSource)), msDescription(std::move(sDescription)) {
  msWhat = msDescription.empty() ? "Automation error " + std::to_string(mlNumber) : msDescription;
}

const char* CAutomationError::what() const noexcept {
  return msWhat.c_str();
}

CAutomationError CAutomationError::FromCurrentException() {
  try {
    throw;
  } catch (const CAutomationError& err) {
    return err;
  } catch (const std::bad_alloc&) {
    return CAutomationError(erOutOfMemory, kComponentName, RuntimeErrorText(erOutOfMemory));
  } catch (const std::exception& ex) {
    return CAutomationError(erInternal, kComponentName, ex.what());
  } catch (...) {
    return CAutomationError(erInternal, kComponentName, RuntimeErrorText(erInternal));
  }
}

}  // namespace ksv940
