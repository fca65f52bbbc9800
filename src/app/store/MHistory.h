#pragma once

#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "app/store/MTrend.h"
#include "app/store/SStoredRun.h"

namespace ksv940 {

/// One test of a device across its runs: one cell per run, none where the run did not have it.
struct SHistoryRow {
  /// The test's code, power configuration, applied parts, non-applied parts and lead.
  std::tuple<int32_t, int32_t, std::string, std::string, int32_t> key;
  std::string sName;
  std::string sUnit;
  std::vector<const SStoredStep*> vCells;  ///< one per run of the device, newest first
};

/// One device's runs (newest first) and its tests.
struct SDeviceHistory {
  SStoredDevice device;
  std::vector<const SStoredRun*> vRuns;
  std::vector<SHistoryRow> vRows;
};

/// The runs (newest first, with their steps) grouped by device, each with a row per test in the
/// order the newest run had them.
std::vector<SDeviceHistory> GroupByDevice(const std::vector<SStoredRun>& vRuns);

/// A step's cell as a person reads it: the value as displayed with its verdict ("250 uA AC+DC
/// pass"), or its state where it left no value ("aborted").
/// fPersonUnits: the unit as a person reads it ("250 µA AC+DC pass").
std::string CellText(const SStoredStep& step, bool fPersonUnits);

/// One table per device: a row per test, a column per run, the run's date, verdict and tester at
/// the head of its column.
/// fPersonUnits: units as a person reads them (µA, Ω), for a UTF-8 console.
std::string HistoryText(const std::vector<SStoredRun>& vRuns, bool fPersonUnits);

/// One line per run: started, verdict, device, tester, plan.
std::string RunsText(const std::vector<SStoredRun>& vRuns);

/// The runs as JSON: an array of runs, each with its device, tester, analyzer, times, outcome,
/// verdict and (where read) its steps.
std::string HistoryJson(const std::vector<SStoredRun>& vRuns);

/// The runs as CSV after a header row: one row per step where steps were read, else per run; CR
/// LF line ends, RFC 4180 quoting.
std::string HistoryCsv(const std::vector<SStoredRun>& vRuns);

/// A self-contained page to print: per device its table, and per test a chart of its values over
/// the runs' dates with its limits as lines and the points outside them drawn as crosses.
std::string HistoryHtml(const std::vector<SStoredRun>& vRuns);

/// sText as one CSV field (RFC 4180): quoted, its quotes doubled, when it holds a comma, a quote
/// or a line break.
std::string CsvField(const std::string& sText);

/// An optional value as a CSV field's text, before quoting: empty when absent, a number as
/// NumberText writes it.
template <class T>
std::string CsvOptional(const std::optional<T>& value) {
  if (!value) {
    return {};
  }
  if constexpr (std::is_same_v<T, std::string>) {
    return *value;
  } else if constexpr (std::is_floating_point_v<T>) {
    return NumberText(*value);
  } else {
    return std::to_string(*value);
  }
}

}  // namespace ksv940
