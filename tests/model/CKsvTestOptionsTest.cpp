#include "model/CKsvTestOptions.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "platform/core/MRuntime.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;

TEST(CKsvTestOptions, ANewObjectHoldsTheDefaults) {
  // Every property in the order of the interface; all read 0 (false) but three.
  std::istringstream names(
      "StopBeforeNewPC StopAfterNewPC DelayTimePowerOn DelayTimePowerOff TestStandard PECurrent "
      "ResWires TestVoltage measType AppliedParts MapLevel MapLimit WaveformType ECGDuration "
      "TotalLeakage Duration PolaritySwitchingDelay MAPVoltage MAPPolarity MAPCurrent "
      "PowerOFFScreen");
  const std::map<std::string, int64_t> kNotZero = {
      {"DelayTimePowerOn", 2}, {"Duration", 2}, {"PolaritySwitchingDelay", 2}};
  CKsvTestOptions options;
  size_t nIndex = 0;
  for (std::string sName; names >> sName; ++nIndex) {
    ASSERT_LT(nIndex, CKsvTestOptions::Properties().size());
    EXPECT_EQ(CKsvTestOptions::Properties()[nIndex].sName, sName);
    EXPECT_EQ(options.GetProperty(sName),
              CVariant(kNotZero.count(sName) != 0 ? kNotZero.at(sName) : int64_t{0}));
  }
  EXPECT_EQ(nIndex, CKsvTestOptions::Properties().size());
}

TEST(CKsvTestOptions, WaveformCommandsAndNothingOutsideTheList) {
  const char* const kCommands[] = {"CPL30", "CPL60", "CPL120", "CPL180", "CPL240", "PLS30",
                                   "PLS60", "SQ125", "SQ2",    "SN10",   "SN40",   "SN50",
                                   "SN60",  "SN100", "TR2",    "VFIB"};
  CKsvTestOptions options;
  for (int32_t l = 0; l < 16; ++l) {
    options.SetWaveformType(static_cast<EWaveformType>(l));
    EXPECT_EQ(options.SetWaveformCmd(), CVariant(kCommands[l]));
  }
  for (int32_t l : {-1, 16, INT32_MIN}) {
    options.SetWaveformType(static_cast<EWaveformType>(l));
    EXPECT_TRUE(options.SetWaveformCmd().IsEmpty()) << l;
    EXPECT_EQ(options.WaveformType(), l);
  }
}

TEST(CKsvTestOptions, PropertiesAreSetByNameAsADispatchInterfaceCoercesThem) {
  struct Row {
    const char* sName;
    CVariant vValue;
    int32_t lError;     // 0: stored
    int64_t lReadBack;  // what the property reads afterwards
  };
  const Row rows[] = {
      {"measType", "2", 0, 2},
      {"MEASTYPE", "-7", 0, -7},
      {"StopBeforeNewPC", "true", 0, -1},
      {"StopBeforeNewPC", "FALSE", 0, 0},
      {"StopAfterNewPC", "-1", 0, -1},
      {"StopAfterNewPC", " 5 ", 0, -1},
      {"TotalLeakage", "0", 0, 0},
      {"TotalLeakage", "yes", erTypeMismatch, 0},
      {"ECGDuration", "32767", 0, 32767},
      {"ECGDuration", "-32769", erOverflow, 0},
      {"Duration", "2147483647", 0, 2147483647},
      {"Duration", "2147483648", erOverflow, 2},
      {"Duration", "abc", erTypeMismatch, 2},
      {"Duration", "2.5", 0, 2},
      {"Duration", CVariant(int64_t{90}), 0, 90},
      {"WaveformType", "16", 0, 16},
      {"DelayTimePowerOn", "", erTypeMismatch, 2},
      {"Voltage", "1", erNoSuchMember, 0},
      {"", "1", erNoSuchMember, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.sName) + "=" + row.vValue.ToText());
    CKsvTestOptions options;
    if (row.lError == 0) {
      options.SetProperty(row.sName, row.vValue);
    } else {
      EXPECT_EQ(Caught([&] { options.SetProperty(row.sName, row.vValue); }).Number(), row.lError);
    }
    if (row.lError != erNoSuchMember) {
      EXPECT_EQ(options.GetProperty(row.sName), CVariant(row.lReadBack));
    }
  }
  CKsvTestOptions options;
  options.SetProperty("ecgduration", "-4");
  EXPECT_EQ(options.ECGDuration(), -4);
  options.SetProperty("mapcurrent", "9");
  EXPECT_EQ(options.MAPCurrent(), 9);
  EXPECT_EQ(Caught([&] { options.GetProperty("Nope"); }).Number(), erNoSuchMember);
}

}  // namespace
}  // namespace ksv940
