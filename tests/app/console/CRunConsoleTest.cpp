#include "app/console/CRunConsole.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <tuple>

#include "testing/CTestContext.h"

namespace ksv940 {
namespace {

// On a terminal the progress line is rewritten in place each second, makes way while a dialog is
// shown and goes when the step ends; elsewhere it is one line.
TEST(CRunConsole, TheProgressLineTicksMakesWayForADialogAndGoesWhenTheStepEnds) {
  const std::string kClear = "\r\x1b[K";
  const std::string kLine = "[1/2] Earth leakage ...";
  for (bool fTerminal : {true, false}) {
    SCOPED_TRACE(fTerminal);
    test::CTestContext ctx;
    std::ostringstream out;
    std::ostringstream err;
    CRunConsole console(out, err, fTerminal);
    SRunRecord record;
    record.vSteps.resize(2);
    record.vSteps[0].sName = "Earth leakage";
    console.StepStarting(record, 0);
    ctx.RunFor(1'500'000);
    console.Showing(true);
    ctx.RunFor(2'000'000);
    console.Showing(false);
    ctx.RunFor(1'000'000);
    console.StepEnded(record, 0);
    EXPECT_EQ(err.str(), !fTerminal
                             ? kLine + "\n"
                             : kClear + kLine + " 0 s" + kClear + kLine + " 1 s" + kClear + kClear +
                                   kLine + " 3 s" + kClear + kLine + " 4 s" + kClear);
    EXPECT_EQ(out.str().find(kLine), std::string::npos);
  }
}

// On a UTF-8 console the units read µA and Ω, and the state column stays where the plain
// units put it: padded by the characters a person sees, not by bytes.
TEST(CRunConsole, AValueWithAPersonsUnitKeepsTheColumns) {
  test::CTestContext ctx;
  std::ostringstream out;
  std::ostringstream err;
  SRunRecord record;
  record.vSteps.resize(2);
  for (auto [n, sUnit, sDisplay] :
       {std::tuple<size_t, const char*, const char*>{0, "uA", "3.0 uA AC+DC"},
        {1, "Ohm", "0.102 Ohm AC+DC"}}) {
    record.vSteps[n].sName = "Step";
    record.vSteps[n].ess = essCompleted;
    record.vSteps[n].sUnit = sUnit;
    record.vSteps[n].sDisplay = sDisplay;
  }
  CRunConsole plain(out, err, false, false);
  CRunConsole person(out, err, false, true);
  const std::string kState = "completed";
  for (size_t n : {0u, 1u}) {
    SCOPED_TRACE(n);
    std::string sPlain = plain.ResultLine(record, n, 4);
    std::string sPerson = person.ResultLine(record, n, 4);
    EXPECT_NE(sPerson.find(n == 0 ? "3.0 \xc2\xb5"
                                    "A"
                                  : "0.102 \xce\xa9"),
              std::string::npos)
        << sPerson;
    std::string sBefore = sPerson.substr(0, sPerson.find(kState));
    size_t nShown = static_cast<size_t>(std::count_if(sBefore.begin(), sBefore.end(), [](char c) {
      return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
    EXPECT_EQ(nShown, sPlain.find(kState)) << sPerson;
  }
}

}  // namespace
}  // namespace ksv940
