#include "support/MDeclares.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/forms/CForm.h"
#include "platform/settings/ISettingsStore.h"
#include "testing/CTestContext.h"

namespace ksv940 {
namespace {

class CFixedStore : public ISettingsStore {
 public:
  explicit CFixedStore(std::function<std::optional<int32_t>()> fnRead) : mfnRead(fnRead) {}
  std::optional<int32_t> ReadDword(const std::string& sKey, const std::string& sName) override {
    vReads.push_back(sKey + "|" + sName);
    return mfnRead();
  }
  std::vector<std::string> vReads;

 private:
  std::function<std::optional<int32_t>()> mfnRead;
};

TEST(MDeclares, DialogsOnTopAsksTheStoreEveryTimeAndSwallowsItsFailures) {
  test::CTestContext ctx;
  std::optional<int32_t> lSetting = 4;
  bool fFail = false;
  auto pStore = std::make_shared<CFixedStore>([&]() -> std::optional<int32_t> {
    if (fFail) {
      throw std::runtime_error("unreadable");
    }
    return lSetting;
  });
  ctx.Scope().Set<ISettingsStore>(pStore);
  EXPECT_TRUE(DialogsOnTop());
  lSetting = INT32_MAX;
  EXPECT_TRUE(DialogsOnTop());
  lSetting = INT32_MIN;
  EXPECT_FALSE(DialogsOnTop());
  fFail = true;
  EXPECT_FALSE(DialogsOnTop());
  ASSERT_EQ(pStore->vReads.size(), 4U);
  EXPECT_EQ(pStore->vReads[0],
            "HKEY_LOCAL_MACHINE\\Software\\Marlo\\orvex\\Executive\\System|Test guide settings");
}

TEST(MDeclares, SetTopmostPutsTheFormOnTop) {
  test::CTestContext ctx;
  CForm frm(SFormDesign{"FAny", "Any", 100, 100, {}});
  SetTopmost(frm);
  EXPECT_TRUE(frm.Topmost());
}

TEST(MDeclares, OutletFlagBelongsToItsThreadAndStartsOff) {
  gfOutletOn = true;
  bool fOtherThread = true;
  std::thread([&] { fOtherThread = gfOutletOn; }).join();
  EXPECT_FALSE(fOtherThread);
  EXPECT_TRUE(gfOutletOn);
  gfOutletOn = false;
}

}  // namespace
}  // namespace ksv940
