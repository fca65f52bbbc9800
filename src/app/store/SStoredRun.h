#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ksv940 {

/// The device under test as a run names it; empty text where not given.
struct SStoredDevice {
  std::string sAsset;
  std::string sManufacturer;
  std::string sModel;
  std::string sSerial;
  std::string sLocation;
  std::string sClass;  ///< "I", "II" or "internal"
  std::string sType;   ///< "B", "BF" or "CF"

  /// Each field with its name, as a plan, --device and the reports give it, in that order: asset,
  /// manufacturer, model, serial, location, class, type. A field's column is "device_" + name.
  static const std::array<std::pair<const char*, std::string SStoredDevice::*>, 7>& Fields() {
    static const std::array<std::pair<const char*, std::string SStoredDevice::*>, 7> fields = {
        {{"asset", &SStoredDevice::sAsset},
         {"manufacturer", &SStoredDevice::sManufacturer},
         {"model", &SStoredDevice::sModel},
         {"serial", &SStoredDevice::sSerial},
         {"location", &SStoredDevice::sLocation},
         {"class", &SStoredDevice::sClass},
         {"type", &SStoredDevice::sType}}};
    return fields;
  }

  /// Whether a store can find the device again: by its asset number, else by manufacturer, model
  /// and serial together.
  bool Known() const {
    return !sAsset.empty() || (!sManufacturer.empty() && !sModel.empty() && !sSerial.empty());
  }
  bool operator==(const SStoredDevice&) const = default;
};

/// One step of a run as the store keeps it: the fields of the JSON report's steps and the
/// analyzer's reply.
struct SStoredStep {
  int32_t lIndex = 0;  ///< from 1
  std::string sKind;   ///< "test", "calibrate" or "hv"
  std::string sName;
  std::optional<int32_t> lId;  ///< the test's code, power configuration, applied parts, lead
  std::optional<int32_t> lPc;
  std::optional<std::string> sAp;
  std::optional<std::string> sNap;
  std::optional<int32_t> lLead;
  std::string sState;
  std::optional<double> dValue;
  std::string sUnknown;
  std::string sSuffix;
  std::string sUnit;
  std::string sDisplay;
  std::optional<double> dMin;
  std::optional<double> dMax;
  std::string sVerdict;
  std::optional<int32_t> lErrorNumber;
  std::string sErrorDescription;
  std::string sRemark;
  std::string sReply;    ///< the analyzer's own words for the reading
  std::string sStarted;  ///< UTC, "2024-05-17T07:30:05Z"; empty if the step never started
  std::optional<double> dSeconds;
  bool operator==(const SStoredStep&) const = default;
};

/// One run as the store keeps it.
struct SStoredRun {
  std::string sReportId;
  std::string sPlanName;
  std::string sPlanFile;
  std::string sPlanSha256;
  SStoredDevice device;
  std::string sTester;
  std::string sAnalyzerModel;  ///< empty until the analyzer has identified itself
  std::string sAnalyzerSerial;
  std::string sAnalyzerFirmware;
  std::string sLink;
  std::vector<std::pair<std::string, std::string>> vOptions;  ///< name and value as reported
  std::string sStarted;                                       ///< UTC
  std::string sFinished;  ///< UTC; empty while the run goes on, and so for a killed run
  std::string sOutcome = "incomplete";
  std::string sVerdict = "incomplete";
  std::vector<SStoredStep> vSteps;  ///< filled when read back
  bool operator==(const SStoredRun&) const = default;
};

/// A device's earlier value of one test, for the step beside it.
struct SPreviousValue {
  double dValue = 0.0;
  std::string sDisplay;
  std::string sStarted;  ///< when the run it came from started (UTC)
};

/// Which runs to read back, newest first.
struct SRunQuery {
  std::optional<std::string> sAsset;
  std::string sSince;    ///< UTC date or time; empty for any
  std::string sVerdict;  ///< empty for any
  /// Device fields that must match exactly: "asset", "manufacturer", "model", "serial",
  /// "location", "class" or "type" with its value.
  std::vector<std::pair<std::string, std::string>> vDevice;
  std::optional<int32_t> lLast;  ///< at most this many runs (per device with sAsset)
  bool fSteps = false;           ///< read each run's steps too
};

}  // namespace ksv940
