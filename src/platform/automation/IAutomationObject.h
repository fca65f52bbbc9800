#pragma once

#include <string>

namespace ksv940 {

/// What every object that the automation layer hands between components is: shared, identified
/// by its class name. Objects are held by std::shared_ptr, so an object the host keeps (a result,
/// an instrument description) outlives the component's own reference to it.
class IAutomationObject {
 public:
  virtual ~IAutomationObject() = default;
  virtual std::string ClassName() const = 0;
};

}  // namespace ksv940
