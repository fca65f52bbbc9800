#include "platform/serial/CPortMap.h"

#include <gtest/gtest.h>

#include "testing/MCaught.h"

namespace ksv940 {
namespace {

TEST(CPortMap, MapsSpecsRegistersDevicesAndFallsBackToTheSerialDevices) {
  CPortMap map;
  map.AddSpec("5=/dev/ttyUSB0,7=/dev/pts/3");
  EXPECT_EQ(map.DevicePath(5), "/dev/ttyUSB0");
  EXPECT_EQ(map.DevicePath(7), "/dev/pts/3");
  EXPECT_EQ(map.DevicePath(12), "/dev/ttyS11");
  EXPECT_EQ(map.DevicePath(0), "");
  int32_t lFirst = map.Register("/dev/pts/9");
  EXPECT_EQ(map.Register("/dev/pts/9"), lFirst);
  EXPECT_EQ(map.DevicePath(lFirst), "/dev/pts/9");
  EXPECT_NE(map.Register("/dev/pts/10"), lFirst);
  for (const char* szSpec : {"5", "x=/dev/a", "0=/dev/a", "5=", "=/dev/a"}) {
    auto err = test::Caught([&] { CPortMap().AddSpec(szSpec); });
    EXPECT_NE(err.Description().find(szSpec), std::string::npos) << err.Description();
  }
}

}  // namespace
}  // namespace ksv940
