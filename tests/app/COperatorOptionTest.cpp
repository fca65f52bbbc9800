#include "app/COperatorOption.h"

#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <sstream>

namespace ksv940 {
namespace {

TEST(COperatorOption, ParsesEveryForm) {
  struct Row {
    const char* sSpec;
    COperatorOption expected;
  };
  const Row rows[] = {
      {"terminal", {eovTerminal, eoaNone, 0}},
      {"auto", {eovAutomatic, eoaNone, 0}},
      {"AUTO", {eovAutomatic, eoaNone, 0}},
      {"auto:continue", {eovAutomatic, eoaContinue, 0}},
      {"auto:stop", {eovAutomatic, eoaStop, 0}},
      {"auto:Skip", {eovAutomatic, eoaSkip, 0}},
      {"auto:stop:0", {eovAutomatic, eoaStop, 0}},
      {"auto:continue:5", {eovAutomatic, eoaContinue, 5'000}},
      {"auto:skip:86400", {eovAutomatic, eoaSkip, 86'400'000}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sSpec);
    EXPECT_EQ(COperatorOption::Parse(row.sSpec), row.expected);
  }
}

TEST(COperatorOption, RejectsMalformedSpecsNamingWhatIsWrong) {
  struct Row {
    const char* sSpec;
    const char* sWhy;
  };
  const Row rows[] = {
      {"", "unknown view"},
      {"robot", "unknown view"},
      {"terminal:stop", "unknown view"},
      {"auto:", "unknown button ''"},
      {"auto:none", "unknown button 'none'"},
      {"auto:halt:3", "unknown button 'halt'"},
      {"auto:stop:", "bad seconds ''"},
      {"auto:stop:-1", "bad seconds '-1'"},
      {"auto:stop:1.5", "bad seconds '1.5'"},
      {"auto:stop:86401", "bad seconds '86401'"},
      {"auto:stop:99999999999999999999", "bad seconds '99999999999999999999'"},
      {"auto:stop:1:2", "bad seconds '1:2'"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sSpec);
    try {
      COperatorOption::Parse(row.sSpec);
      ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(row.sSpec) + "' is not an operator (" +
                                           row.sWhy + "); use " + COperatorOption::kUsage);
    }
  }
}

TEST(COperatorOption, OptionIsCheckedWhileTheCommandLineIsParsed) {
  CLI::App app("test");
  std::string sSpec;
  COperatorOption::AddTo(app, sSpec);
  EXPECT_NO_THROW(app.parse(std::vector<std::string>{"auto:stop:3", "--operator"}));
  EXPECT_EQ(COperatorOption::FromText(sSpec), COperatorOption(eovAutomatic, eoaStop, 3'000));
  EXPECT_THROW(app.parse(std::vector<std::string>{"auto:stop:x", "--operator"}),
               CLI::ValidationError);
}

}  // namespace
}  // namespace ksv940
