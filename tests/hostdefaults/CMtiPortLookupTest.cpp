#include "hostdefaults/CMtiPortLookup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/core/CContext.h"
#include "platform/serial/CPortMap.h"
#include "testing/CTempDir.h"

namespace ksv940 {
namespace {

namespace fs = std::filesystem;

TEST(CMtiPortLookup, FindsTheInstrumentsDeviceOrAnswersNothing) {
  struct Row {
    std::vector<std::string> vDevices;  // under the device directory; by-id names link to ttyUSB1
    std::string sPortMap;               // $KSV940_PORTS form
    std::string sModel, sSerial;
    std::string sAnswer;  // the device answered, "#N" a mapped number, "" nothing (0)
  };
  const Row rows[] = {
      {{"ttyUSB0", "ttyUSB1", "serial/by-id/usb-Marlo_KSV940_A123-if00"},
       "",
       "KSV940",
       "a123",
       "ttyUSB1"},
      {{"ttyUSB0", "ttyUSB1", "serial/by-id/usb-Marlo_KSV940_A123-if00"}, "", "KSV940", "B9", ""},
      {{"ttyACM3", "ttyUSB0"}, "", "KSV940", "", ""},
      {{"ttyACM3", "ttyUSB0"}, "7=/dev/pts/3", "KSV940", "", "#7"},
      {{"ttyS0"}, "", "KSV940", "", ""}};
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    SCOPED_TRACE(i);
    test::CTempDir temp;
    fs::path dir = temp.PathOf("dev");
    fs::create_directories(dir / "serial" / "by-id");
    for (const std::string& sDevice : row.vDevices) {
      if (sDevice.rfind("serial/", 0) == 0) {
        fs::create_symlink(dir / "ttyUSB1", dir / sDevice);
      } else {
        std::ofstream(dir / sDevice).put('\n');
      }
    }
    auto pPorts = std::make_shared<CPortMap>();
    pPorts->AddMappings(row.sPortMap);
    CContextScope scope;
    scope.Set<CPortMap>(pPorts);
    CMtiPortLookup lookup(dir.string());
    int32_t lPort = lookup.FindPort(row.sModel, row.sSerial);
    if (row.sAnswer.empty()) {
      EXPECT_EQ(lPort, 0);
    } else if (row.sAnswer[0] == '#') {
      EXPECT_EQ(lPort, std::stoi(row.sAnswer.substr(1)));
    } else {
      ASSERT_GT(lPort, 0);
      EXPECT_EQ(pPorts->DevicePath(lPort), fs::canonical(dir / row.sAnswer).string());
      EXPECT_EQ(lookup.FindPort(row.sModel, row.sSerial), lPort);  // the same number again
    }
    fs::remove_all(dir);
  }
}

}  // namespace
}  // namespace ksv940
