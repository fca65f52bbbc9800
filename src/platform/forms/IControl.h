#pragma once

#include <string>
#include <vector>

namespace ksv940 {

/// A control of a form as a translation pass sees it: a name and a caption that may be written in
/// text-number form ("20010::&Continue").
class IControl {
 public:
  virtual ~IControl() = default;
  virtual const std::string& Name() const = 0;
  virtual const std::string& Caption() const = 0;
  virtual void SetCaption(const std::string& sCaption) = 0;
};

using CControlList = std::vector<IControl*>;

}  // namespace ksv940
