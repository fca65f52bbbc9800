#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/commands/MCommandLine.h"
#include "testing/CTestContext.h"
#include "testing/MRunCommand.h"

namespace ksv940 {
namespace {

using test::SRun;

SRun Explain(std::vector<std::string> vArgs) {
  vArgs.insert(vArgs.begin(), "explain");
  return test::RunInProcess(vArgs);
}

std::string Golden(const std::string& sName) {
  std::stringstream content;
  content
      << std::ifstream(KSV940_SOURCE_DIR "/tests/data/explain/" + sName, std::ios::binary).rdbuf();
  return content.str();
}

// Every valid test code and power configuration, expanded with the options' defaults, with a value
// for every other choice of each option, and with values outside every enumeration; and an
// overflowing option that makes every test fail. The files were written by this command and checked
// against an expansion of the template table made independently of it; they change only with it.
TEST(CmdExplain, AllMatchesTheGoldenExpansions) {
  test::CTestContext ctx;
  struct SRow {
    const char* szGolden;
    std::vector<std::string> vArgs;
    int iExit;
  };
  const SRow rows[] = {{"all", {"--ap", "all"}, 0},
                       {"all-other-values",
                        {"--ap",  "1",
                         "--nap", "2",
                         "--set", "PECurrent=1",
                         "--set", "ResWires=1",
                         "--set", "TestVoltage=1",
                         "--set", "measType=2",
                         "--set", "WaveformType=15",
                         "--set", "ECGDuration=32",
                         "--set", "Duration=2147483",
                         "--set", "MAPVoltage=1",
                         "--set", "MAPPolarity=1",
                         "--set", "MAPCurrent=2"},
                        0},
                       {"all-outside-enumerations",
                        {"--ap",  "1/2/3",
                         "--nap", "1-3",
                         "--set", "PECurrent=2",
                         "--set", "ResWires=-1",
                         "--set", "TestVoltage=7",
                         "--set", "measType=3",
                         "--set", "WaveformType=16",
                         "--set", "ECGDuration=-32",
                         "--set", "Duration=-2147483",
                         "--set", "MAPVoltage=2",
                         "--set", "MAPPolarity=-1",
                         "--set", "MAPCurrent=3"},
                        0},
                       {"all-ecg-overflow", {"--ap", "all", "--set", "ECGDuration=33"}, 1}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szGolden);
    std::vector<std::string> vArgs = row.vArgs;
    vArgs.insert(vArgs.begin(), "--all");
    SRun run = Explain(vArgs);
    EXPECT_EQ(run.iExit, row.iExit);
    std::string sName = row.szGolden;
    EXPECT_EQ(run.sOut, Golden(sName + (row.iExit == 0 ? ".txt" : ".out")));
    EXPECT_EQ(run.sErr, row.iExit == 0 ? "" : Golden(sName + ".err"));
  }
}

TEST(CmdExplain, OneTestPrintsItsInstructionsOrTheOperatorsTextOrSaysWhatIsWrong) {
  test::CTestContext ctx;
  const std::string kTail = "mdual=off\n#wait=500\n#many\n";
  const std::string kInvalid = " is not a valid KSV940 test and cannot be performed.\n";
  struct SRow {
    std::string sArgs;  // blank-separated
    int iExit;
    std::string sOut;  // or what stderr says
  };
  const SRow rows[] = {
      // The example of an earth-leakage test with reversed mains and an open neutral.
      {"--test 8 --pc 5 --ap all --set measType=1", 0,
       "#stop=bpc\nearthl\npol=r\n#stop=apc\nneut=o\nmode=ac\nap=all\n#stop=apc\n" + kTail},
      // The outlet is filled before the applied part, so "%P" in it stays.
      {"--raw --test 8 --pc 5 --ap %P", 0,
       "#stop=bpc\nearthl\npol=r\n#stop=apc\nneut=o\nmode=acdc\nap=%P\n#stop=apc\n" + kTail},
      // The options are filled after it: "%U" is, and ";" makes two instructions.
      {"--raw --test 10 --pc 3 --ap 1;%U --set measType=2", 0,
       "#stop=bpc\npat\nearth=c\npol=n\n#stop=apc\nneut=c\nmode=dc\n#stop=apc\nap=1\ndc\n" + kTail},
      // Without a group every "grp=%X;" goes, also one the applied part brought, with the
      // template's separator.
      {"--raw --test 10 --pc 3 --ap grp=%X", 0,
       "#stop=bpc\npat\nearth=c\npol=n\n#stop=apc\nneut=c\nmode=acdc\n#stop=apc\nap=" + kTail},
      {"--raw --test 12 --pc 6 --ap %X --nap %R --set PECurrent=1", 0,
       "#stop=bpc\nmap\nmap=low\npol=r\n#stop=apc\nmap=norm\nap=high\ngrp=high\nmode=acdc\n" +
           kTail},
      // No template holds "%MC" or "%T" but the ECG test; an applied part can bring them.
      {"--raw --test 22 --pc 3 --ap %MC/%T --set MAPCurrent=2 --set ECGDuration=3", 0,
       "#stop=bpc\nnominal=on\nspat\nmode=acdc\n#stop=apc\nap=7.5ma/3000\n" + kTail +
           "nominal=off\n"},
      // Configurations outside the enumeration: valid for some tests, not for others.
      {"--test 23 --pc 99", 0,
       "#stop=bpc\naccv\nearth=c\npol=n\n#stop=apc\nneut=c\n#stop=apc\n#wait=500\n#many\n"},
      {"--test 8 --pc -1", 0,
       "#stop=bpc\nearthl\npol=n\n#stop=apc\nneut=c\nmode=acdc\nap=\n#stop=apc\n" + kTail},
      {"--test 2 --pc 17", 1,
       "The selected test (TestNo = 2, Power Config = 17, Lead No = -1)" + kInvalid},
      // Without the check: the heading row of the templates, and a row that is no template.
      {"--raw --test 0 --pc 3", 1,
       "The micro sequence stored as 8000 is invalid. The test cannot be run.\\n\\nMicro "
       "sequence: === MICRO SEQUENCES ===\\nInvalid/missing directive: #stop\n"},
      {"--test 1 --pc 8 --bogus", 2, "--bogus"},
      {"--test 1 --pc 8 --set Foo=1", 2, "no property \"Foo\""},
      {"--test 1 --pc 8 --set Duration=abc", 2, "Duration takes a 32-bit integer"},
      {"--test 1 --pc 8 --set StopBeforeNewPC=maybe", 2, "true, false, -1 or 0"},
      {"--test 1", 2, "needs --test and --pc, or --all"},
      {"--all --test 1", 2, "excludes"},
      {"--test 1 --pc 8 --set stopbeforenewpc=TRUE --set TotalLeakage=-1", 0,
       "#stop=bpc\n#stop=apc\nmains=l1-l2\n#stop=apc\n#wait=300\n#many\n"}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.sArgs);
    std::vector<std::string> vArgs;
    std::istringstream args(row.sArgs);
    for (std::string sArg; args >> sArg;) {
      vArgs.push_back(sArg);
    }
    SRun run = Explain(vArgs);
    EXPECT_EQ(run.iExit, row.iExit);
    EXPECT_EQ(run.sOut, row.iExit == 0 ? row.sOut : "");
    EXPECT_TRUE(row.iExit == 0 ? run.sErr.empty() : run.sErr.find(row.sOut) != std::string::npos)
        << run.sErr;
  }
  ctx.Language().SetTranslation(21906, "Test %%1/%%2/%%3 ungueltig");
  EXPECT_EQ(Explain({"--test", "1", "--pc", "1"}).sErr, "Test 1/1/-1 ungueltig\n");
}

// The built program prints the same, in its own process.
TEST(CmdExplainBinary, PrintsTheSameAsInProcess) {
  SRun run = test::RunBinary({"explain", "--all", "--ap", "all"});
  EXPECT_EQ(run.iExit, 0);
  EXPECT_EQ(run.sOut, Golden("all.txt"));
  SRun failed = test::RunBinary({"explain", "--test", "1", "--pc", "1"});
  EXPECT_EQ(failed.iExit, 1);
  EXPECT_EQ(failed.sErr,
            "The selected test (TestNo = 1, Power Config = 1, Lead No = -1) is not a valid KSV940 "
            "test and cannot be performed.\n");
  EXPECT_EQ(test::RunBinary({"explain", "--test", "1", "--pc", "8", "--set", "Nope=1"}).iExit, 2);
}

}  // namespace
}  // namespace ksv940
