#include "dialogs/MPictures.h"

#include <gtest/gtest.h>

#include "dialogs/FStopOnPC.h"
#include "dialogs/FWaitOnPC.h"

namespace ksv940 {
namespace {

TEST(MPictures, EveryPictureIsAWellFormedImageOfItsControlsSize) {
  struct Row {
    const SFormDesign& design;
    const char* sControl;
    int32_t lWidthPx;
    int32_t lHeightPx;
  };
  const Row rows[] = {
      {FStopOnPC::Design(), "imgIcon", 48, 48},
      {FStopOnPC::Design(), "imgX", 50, 49},
      {FWaitOnPC::Design(), "imgIcon", 48, 48},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.design.sName) + "." + row.sControl);
    const SControlDesign* pControl = nullptr;
    for (const SControlDesign& control : row.design.vControls) {
      if (std::string(control.sName) == row.sControl) {
        pControl = &control;
      }
    }
    ASSERT_NE(pControl, nullptr);
    ASSERT_NE(pControl->fnPicture, nullptr);
    const CPicture& picture = pControl->fnPicture();
    EXPECT_TRUE(picture.IsWellFormed());
    EXPECT_EQ(picture.WidthPx(), row.lWidthPx);
    EXPECT_EQ(picture.HeightPx(), row.lHeightPx);
    // At 15 twips a pixel the control is as large as its picture.
    EXPECT_EQ(pControl->lWidth, row.lWidthPx * 15);
    EXPECT_EQ(pControl->lHeight, row.lHeightPx * 15);
    EXPECT_FALSE(picture.Symbol().empty());
  }
}

}  // namespace
}  // namespace ksv940
