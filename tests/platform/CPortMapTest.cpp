#include "platform/serial/CPortMap.h"

#include <gtest/gtest.h>

#include "platform/core/CAutomationError.h"

namespace ksv940 {
namespace {

TEST(CPortMap, MapsSpecsAndFallsBackToTheSerialDevices) {
  CPortMap map;
  map.AddSpec("5=/dev/ttyUSB0,7=/dev/pts/3");
  EXPECT_EQ(map.DevicePath(5), "/dev/ttyUSB0");
  EXPECT_EQ(map.DevicePath(7), "/dev/pts/3");
  EXPECT_EQ(map.DevicePath(1), "/dev/ttyS0");
  EXPECT_EQ(map.DevicePath(12), "/dev/ttyS11");
  EXPECT_EQ(map.DevicePath(0), "");
  EXPECT_EQ(map.DevicePath(-3), "");
}

TEST(CPortMap, RefusesMalformedSpecsNamingTheEntry) {
  for (const char* szSpec : {"5", "x=/dev/a", "0=/dev/a", "5=", "=/dev/a"}) {
    SCOPED_TRACE(szSpec);
    CPortMap map;
    try {
      map.AddSpec(szSpec);
      FAIL();
    } catch (const CAutomationError& err) {
      EXPECT_NE(err.Description().find(szSpec), std::string::npos) << err.Description();
    }
  }
}

TEST(CPortMap, RegisterKeepsANumberPerDeviceAndSkipsMappedAndExistingPorts) {
  CPortMap map;
  map.Map(1, "/dev/one");
  int32_t lFirst = map.Register("/dev/pts/9");
  EXPECT_GT(lFirst, 1);
  EXPECT_EQ(map.Register("/dev/pts/9"), lFirst);
  EXPECT_EQ(map.DevicePath(lFirst), "/dev/pts/9");
  int32_t lSecond = map.Register("/dev/pts/10");
  EXPECT_NE(lSecond, lFirst);
}

}  // namespace
}  // namespace ksv940
