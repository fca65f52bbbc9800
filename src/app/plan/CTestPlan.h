#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/plan/CDeviceUnderTest.h"

namespace ksv940 {

class CKsvSafetyTest;
class CKsvTestOptions;
class COptionSettings;

/// What a step of a plan does.
enum EStepKind : int { eskTest = 0, eskCalibrate = 1, eskHighVoltage = 2 };

/// A plan that cannot be run; what() is "FILE:LINE: reason" (without a line when the file cannot
/// be read at all).
class CPlanError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// One step of a plan.
struct SPlanStep {
  EStepKind esk = eskTest;
  std::string sName;
  int32_t lLine = 0;  ///< where the step's element begins in the plan file
  /// A test step's test, loaded from its element as the host loads a stored test, with AP, NAP
  /// and LeadNo set afterwards as the host sets them; null for the other kinds.
  std::shared_ptr<CKsvSafetyTest> pTest;
  std::optional<double> dMin;  ///< limits in the unit of the test's value
  std::optional<double> dMax;
  /// Whether the step leaves a reading: false for a test whose sequence takes none (ECG
  /// simulation) and for the high-voltage check.
  bool fTakesReading = true;
};

/// A test plan: an XML file whose root element KSV940Plan (attribute name) holds, in order:
///   <Options NAME="VALUE".../>  test options by property name (any case), values as --set takes
///                               them; at most one
///   <Device asset="..." manufacturer="..." model="..." serial="..." location="..." class="I"
///           type="BF"/>         the device under test, every attribute optional; at most one,
///                               before the steps
///   <Calibrate name="..."/>     zeroes the test leads
///   <KSV940Test ID="8" PC="3" AP="all" NAP="1" LeadNo="2" name="..." min="..." max="..."/>
///   <HighVoltageCheck name="..."/>
/// The whole plan is read and every test checked (the validity of its test code and power
/// configuration, its micro sequence with the options in force) before any of it runs.
class CTestPlan {
 public:
  /// Reads sPath. The options in force are the plan's own with overrides (the command line's
  /// --set) applied after them. Anything malformed raises CPlanError naming the file and line: not
  /// XML, an unknown element or attribute, a value that is not a number, a test the analyzer
  /// cannot perform in its power configuration, an unknown option, a plan without steps.
  static CTestPlan Read(const std::string& sPath, const COptionSettings& overrides);

  /// A plan of one step that is not a test (a zeroing or a high-voltage check) named sName, for
  /// the commands that do only that.
  static CTestPlan OfOneStep(EStepKind esk, const std::string& sName);

  const std::string& Name() const { return msName; }
  const std::string& File() const { return msFile; }
  /// The plan file's absolute path and the SHA-256 of its bytes in lowercase hexadecimal, as
  /// read; empty for a plan of one step.
  const std::string& AbsolutePath() const { return msAbsolutePath; }
  const std::string& Sha256() const { return msSha256; }
  const CDeviceUnderTest& Device() const { return mDevice; }
  /// Sets one field of the device (--device), over the plan's own.
  void SetDevice(const std::string& sSetting) { mDevice.SetFrom(sSetting); }
  const std::vector<SPlanStep>& Steps() const { return mvSteps; }

  /// Sets the plan's own options on options (the command line's are applied after, by the caller).
  void ApplyOptions(CKsvTestOptions& options) const;

 private:
  std::string msName;
  std::string msFile;
  std::string msAbsolutePath;
  std::string msSha256;
  CDeviceUnderTest mDevice;
  std::vector<std::string> mvOptions;  // "NAME=VALUE", in the plan's order
  std::vector<SPlanStep> mvSteps;
};

}  // namespace ksv940
