#pragma once

#include <string>

#include "app/record/SRunRecord.h"

namespace ksv940 {

/// The run as JSON: plan, link, analyzer, options, started, finished, outcome, error (of the
/// connection) and one entry per step with index, kind, name, id, pc, ap, nap, lead, state,
/// value, unknown, suffix, unit, display, min, max, verdict, error, started and seconds. What is
/// not known (yet) is null.
std::string JsonReport(const SRunRecord& record);

/// One row per step, the same fields as the JSON steps (error as error_number and
/// error_description), after a header row; quoted as RFC 4180 has it, lines ended by CR LF.
std::string CsvReport(const SRunRecord& record);

/// JUnit XML: the plan is a test suite, each step a test case; a step with an error is an
/// error, a stopped step, one out of its limits or one without a result a failure, a step never
/// run skipped. The run's facts and the options are the suite's properties.
std::string JUnitReport(const SRunRecord& record);

/// One self-contained HTML page to print: the plan, the analyzer, the outcome, a table of the
/// steps with their values, limits and verdicts, the options and lines to sign; readable in
/// black and white (nothing is told by colour alone).
std::string HtmlReport(const SRunRecord& record);

}  // namespace ksv940
