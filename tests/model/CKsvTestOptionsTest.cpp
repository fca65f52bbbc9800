#include "model/CKsvTestOptions.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/core/MRuntime.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;

TEST(CKsvTestOptions, ANewObjectHoldsTheDefaultsAndEachWaveformItsCommand) {
  // Every property in the order of the interface; all read 0 (false) but the three given.
  std::istringstream names(
      "StopBeforeNewPC StopAfterNewPC DelayTimePowerOn=2 DelayTimePowerOff TestStandard "
      "PECurrent ResWires TestVoltage measType AppliedParts MapLevel MapLimit WaveformType "
      "ECGDuration TotalLeakage Duration=2 PolaritySwitchingDelay=2 MAPVoltage MAPPolarity "
      "MAPCurrent PowerOFFScreen");
  CKsvTestOptions options;
  size_t nIndex = 0;
  for (std::string sName; names >> sName; ++nIndex) {
    int64_t lDefault = sName.ends_with("=2") ? 2 : 0;
    sName = sName.substr(0, sName.find('='));
    ASSERT_LT(nIndex, CKsvTestOptions::Properties().size());
    EXPECT_EQ(CKsvTestOptions::Properties()[nIndex].sName, sName);
    EXPECT_EQ(options.GetProperty(sName), CVariant(lDefault)) << sName;
  }
  EXPECT_EQ(nIndex, CKsvTestOptions::Properties().size());
  const char* const kCommands[] = {"CPL30", "CPL60", "CPL120", "CPL180", "CPL240", "PLS30",
                                   "PLS60", "SQ125", "SQ2",    "SN10",   "SN40",   "SN50",
                                   "SN60",  "SN100", "TR2",    "VFIB"};
  for (int32_t l = -1; l <= 16; ++l) {
    options.SetWaveformType(static_cast<EWaveformType>(l));
    EXPECT_EQ(options.SetWaveformCmd(), l >= 0 && l < 16 ? CVariant(kCommands[l]) : CVariant())
        << l;
  }
}

TEST(CKsvTestOptions, PropertiesAreSetByNameAsADispatchInterfaceCoercesThem) {
  struct SRow {
    const char* szName;
    CVariant vValue;
    int32_t lError;     // 0: stored
    int64_t lReadBack;  // what the property reads afterwards
  };
  const SRow rows[] = {{"MEASTYPE", "-7", 0, -7},
                       {"StopBeforeNewPC", "true", 0, -1},
                       {"StopBeforeNewPC", "FALSE", 0, 0},
                       {"StopAfterNewPC", " 5 ", 0, -1},
                       {"TotalLeakage", "yes", erTypeMismatch, 0},
                       {"ECGDuration", "32767", 0, 32767},
                       {"ECGDuration", "-32769", erOverflow, 0},
                       {"Duration", "2147483648", erOverflow, 2},
                       {"Duration", "2.5", 0, 2},
                       {"Duration", CVariant(int64_t{90}), 0, 90},
                       {"DelayTimePowerOn", "", erTypeMismatch, 2},
                       {"Voltage", "1", erNoSuchMember, 0}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(std::string(row.szName) + "=" + row.vValue.ToText());
    CKsvTestOptions options;
    int32_t lError = Caught([&] { options.SetProperty(row.szName, row.vValue); }, true).Number();
    EXPECT_EQ(lError, row.lError);
    if (row.lError != erNoSuchMember) {
      EXPECT_EQ(options.GetProperty(row.szName), CVariant(row.lReadBack));
    }
  }
  EXPECT_EQ(Caught([] { CKsvTestOptions().GetProperty("Nope"); }).Number(), erNoSuchMember);
}

}  // namespace
}  // namespace ksv940
