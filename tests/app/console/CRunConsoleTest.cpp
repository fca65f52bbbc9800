#include "app/console/CRunConsole.h"

#include <gtest/gtest.h>

#include <sstream>

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

}  // namespace
}  // namespace ksv940
