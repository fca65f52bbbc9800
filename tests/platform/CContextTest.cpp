#include "platform/core/CContext.h"

#include <gtest/gtest.h>

#include <memory>

namespace ksv940 {
namespace {

class IGreeting {
 public:
  virtual ~IGreeting() = default;
  virtual std::string Say() const = 0;
  static std::shared_ptr<IGreeting> CreateDefault();
};

class CGreeting : public IGreeting {
 public:
  explicit CGreeting(std::string s) : ms(std::move(s)) {}
  std::string Say() const override { return ms; }

 private:
  std::string ms;
};

std::shared_ptr<IGreeting> IGreeting::CreateDefault() {
  return std::make_shared<CGreeting>("default");
}

TEST(CContext, InnermostScopeWinsAndDefaultsComeBack) {
  EXPECT_EQ(CContext::Get<IGreeting>().Say(), "default");
  {
    CContextScope outer;
    outer.Set<IGreeting>(std::make_shared<CGreeting>("outer"));
    EXPECT_EQ(CContext::Get<IGreeting>().Say(), "outer");
    {
      CContextScope inner;
      inner.Set<IGreeting>(std::make_shared<CGreeting>("inner"));
      EXPECT_EQ(CContext::Get<IGreeting>().Say(), "inner");
    }
    EXPECT_EQ(CContext::Get<IGreeting>().Say(), "outer");
  }
  EXPECT_EQ(CContext::Get<IGreeting>().Say(), "default");
  EXPECT_EQ(&CContext::Get<IGreeting>(), &CContext::Get<IGreeting>());  // made once per thread
}

}  // namespace
}  // namespace ksv940
