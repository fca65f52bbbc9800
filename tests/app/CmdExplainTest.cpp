#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "app/MCommandLine.h"
#include "testing/CTestContext.h"
#include "testing/MRunCommand.h"

namespace ksv940 {
namespace {

using test::SRun;

SRun Explain(std::vector<std::string> vArgs) {
  vArgs.insert(vArgs.begin(), "explain");
  return test::RunInProcess(vArgs);
}

// The same command as the built program, in its own process.
SRun ExplainBinary(std::vector<std::string> vArgs) {
  vArgs.insert(vArgs.begin(), "explain");
  return test::RunBinary(vArgs);
}

// The templates, transcribed from the analyzer's template table, instructions separated by blanks
// (none holds one).
const std::map<int, std::string> kTemplates = {
    {1, "#stop=bpc #stop=apc mains=%V #stop=apc #wait=300 #many"},
    {2, "#stop=bpc #stop=apc eres=%R #stop=apc rwire=%W #wait=300 #many"},
    {3, "#stop=bpc #stop=apc mins #stop=apc ins=%I #wait=%D #many"},
    {4, "#stop=bpc #stop=apc apins #stop=apc ins=%I #wait=%D #many"},
    {5, "#stop=bpc #stop=apc inse #stop=apc ins=%I #wait=%D #many"},
    {6, "#stop=bpc #stop=apc insb #stop=apc ins=%I #wait=%D #many"},
    {7, "#stop=bpc #stop=apc insd #stop=apc ins=%I #wait=%D #many"},
    {8,
     "#stop=bpc earthl pol=%P #stop=apc neut=%N mode=%U ap=%A #stop=apc mdual=off #wait=500 #many"},
    {9,
     "#stop=bpc encl earth=%E pol=%P #stop=apc neut=%N mode=%U ap=%A #stop=apc mdual=off #wait=500 "
     "#many"},
    {10,
     "#stop=bpc pat earth=%E pol=%P #stop=apc neut=%N mode=%U #stop=apc ap=%A grp=%X mdual=off "
     "#wait=500 #many"},
    {11,
     "#stop=bpc aux earth=%E pol=%P #stop=apc neut=%N mode=%U #stop=apc ap=%A mdual=off #wait=500 "
     "#many"},
    {12,
     "#stop=bpc map map=%MV pol=%P #stop=apc map=%MP ap=%A grp=%X mode=%U mdual=off #wait=500 "
     "#many"},
    {13, "#stop=bpc #stop=apc ppv #stop=apc #wait=300 #many"},
    {14, "#stop=bpc #stop=apc ppr rwire=%W #stop=apc #wait=300 #many"},
    {15, "#stop=bpc #stop=apc ppl mode=%U #stop=apc mdual=off #wait=300 #many"},
    {16, "#stop=bpc eqcurr #stop=apc #wait=300 #many"},
    {17,
     "#stop=bpc nominal=on saf altearth=%E mode=%U ap=all// #stop=apc mdual=off #wait=500 #many "
     "nominal=off"},
    {18,
     "#stop=bpc diff mode=%U earth=%E #stop=apc pol=%P ap=//gnd #stop=apc mdual=off #wait=500 "
     "#many"},
    {19,
     "#stop=bpc dirl mode=%U earth=%E #stop=apc pol=%P ap=all// #stop=apc mdual=off #wait=500 "
     "#many"},
    {20,
     "#stop=bpc nominal=on dmap mode=%U #stop=apc pol=%P #stop=apc ap=%A mdual=off #wait=500 #many "
     "nominal=off"},
    {21,
     "#stop=bpc accl mode=%U earth=%E #stop=apc pol=%P neut=%N ap=//open #stop=apc mdual=off "
     "#wait=500 #many"},
    {22, "#stop=bpc nominal=on spat mode=%U #stop=apc ap=%A mdual=off #wait=500 #many nominal=off"},
    {23, "#stop=bpc accv earth=%E pol=%P #stop=apc neut=%N #stop=apc #wait=500 #many"},
    {24, "#stop=bpc ecg #stop=ecg %C #wait=%T quit exit #done"},
};

// Polarity, earth, neutral and mains pair of each power configuration; other values as epcNC.
const std::vector<std::vector<std::string>> kOutlet = {
    {"n", "o", "c", "l1-l2"},  {"n", "c", "c", "l1-l2"},  {"n", "c", "o", "l1-l2"},
    {"n", "c", "c", "l1-l2"},  {"n", "o", "c", "l1-l2"},  {"r", "c", "o", "l1-l2"},
    {"r", "c", "c", "l1-l2"},  {"r", "o", "c", "l1-l2"},  {"n", "c", "c", "l1-l2"},
    {"n", "c", "c", "l1-gnd"}, {"n", "c", "c", "l2-gnd"}, {"n", "c", "c", "l1-l2"},
    {"n", "c", "c", "l1-l2"},  {"n", "c", "c", "l1-l2"},  {"n", "c", "c", "l1-l2"},
    {"n", "c", "c", "l1-l2"},  {"n", "c", "c", "l1-l2"}};

const std::vector<std::string> kWaveforms = {
    "CPL30", "CPL60", "CPL120", "CPL180", "CPL240", "PLS30", "PLS60", "SQ125",
    "SQ2",   "SN10",  "SN40",   "SN50",   "SN60",   "SN100", "TR2",   "VFIB"};

// One set of test options with the applied-part texts; fDefaults passes no --set at all.
struct SOptions {
  bool fDefaults;
  std::string sAP, sNAP;
  int64_t PECurrent, ResWires, TestVoltage, measType, WaveformType, ECGDuration, Duration,
      MAPVoltage, MAPPolarity, MAPCurrent;

  std::vector<std::string> Args() const {
    std::vector<std::string> vArgs = {"--ap", sAP, "--nap", sNAP};
    if (fDefaults) {
      return vArgs;
    }
    const std::pair<const char*, int64_t> settings[] = {
        {"PECurrent", PECurrent},  {"ResWires", ResWires},         {"TestVoltage", TestVoltage},
        {"measType", measType},    {"WaveformType", WaveformType}, {"ECGDuration", ECGDuration},
        {"Duration", Duration},    {"MAPVoltage", MAPVoltage},     {"MAPPolarity", MAPPolarity},
        {"MAPCurrent", MAPCurrent}};
    for (const auto& [sName, lValue] : settings) {
      vArgs.insert(vArgs.end(), {"--set", std::string(sName) + "=" + std::to_string(lValue)});
    }
    return vArgs;
  }
};

const SOptions kOptionSets[] = {
    {true, "all", "", 0, 0, 0, 0, 0, 0, 2, 0, 0, 0},
    {false, "1", "2", 1, 1, 1, 1, 15, 32, 2147483, 1, 1, 2},
    {false, "", "", 0, 0, 0, 2, 7, -32, -2147483, 0, 0, 1},
    {false, "1/2/3", "1-3", 2, -1, 7, 3, 16, 0, 0, 2, -1, 3},  // outside every enumeration
    // The sets below overflow "%T" or "%D" and so fail for every test.
    {false, "all", "", 0, 0, 0, -1, -1, 33, 2, 0, 0, 0},
    {false, "2", "", 0, 0, 0, 0, 0, -33, 2, 0, 0, 0},
    {false, "2", "4", 0, 0, 0, 0, 0, 1, 2147484, 0, 0, 0},
    {false, "2", "4", 0, 0, 0, 0, 0, 1, -2147484, 0, 0, 0},
};

std::string Pick(const std::map<int64_t, std::string>& texts, int64_t lValue,
                 const std::string& sOther) {
  auto it = texts.find(lValue);
  return it == texts.end() ? sOther : it->second;
}

// Fills one instruction's placeholders; a placeholder without a value stays as it is.
std::string Fill(const std::string& sInstruction,
                 const std::map<std::string, std::string>& values) {
  std::string sOut;
  for (size_t i = 0; i < sInstruction.size(); ++i) {
    if (sInstruction[i] == '%') {
      std::string sLong = sInstruction.substr(i + 1, 2);
      std::string sShort = sInstruction.substr(i + 1, 1);
      if (values.count(sLong) != 0) {
        sOut += values.at(sLong);
        i += 2;
        continue;
      }
      if (values.count(sShort) != 0) {
        sOut += values.at(sShort);
        i += 1;
        continue;
      }
    }
    sOut += sInstruction[i];
  }
  return sOut;
}

std::string InvalidSequenceText(int64_t lId, const std::string& sSequence,
                                const std::string& sDirective = "") {
  return "The micro sequence stored as " + std::to_string(lId) +
         " is invalid. The test cannot be run.\\n\\nMicro sequence: " + sSequence +
         "\\nInvalid/missing directive: " + sDirective + "\n";
}

// What explain --raw prints, worked out instruction by instruction. The options' values are all
// computed first; an overflow leaves the later placeholders unfilled in the failure text.
SRun Expected(int iCode, int iPower, const SOptions& o) {
  const std::vector<std::string>& vOutlet =
      iPower >= 0 && iPower <= 16 ? kOutlet[static_cast<size_t>(iPower)] : kOutlet[3];
  std::map<std::string, std::string> values = {
      {"P", vOutlet[0]},
      {"E", vOutlet[1]},
      {"N", vOutlet[2]},
      {"V", vOutlet[3]},
      {"A", o.sAP},
      {"X", o.sNAP},
      {"R", Pick({{0, "low"}, {1, "high"}}, o.PECurrent, "low")},
      {"W", Pick({{0, "2"}, {1, "4"}}, o.ResWires, "2")},
      {"I", Pick({{0, "high"}, {1, "low"}}, o.TestVoltage, "high")},
      {"U", Pick({{0, "acdc"}, {1, "ac"}, {2, "dc"}}, o.measType, "acdc")},
      {"C", o.WaveformType >= 0 && o.WaveformType < 16 ? kWaveforms[o.WaveformType] : ""}};
  bool fOverflow = o.ECGDuration * 1000 < -32768 || o.ECGDuration * 1000 > 32767;
  if (!fOverflow) {
    values["T"] = std::to_string(o.ECGDuration * 1000);
    fOverflow = o.Duration * 1000 < INT32_MIN || o.Duration * 1000 > INT32_MAX;
  }
  if (!fOverflow) {
    values["D"] = std::to_string(o.Duration * 1000);
    values["MV"] = Pick({{0, "low"}, {1, "high"}}, o.MAPVoltage, "");
    values["MP"] = Pick({{0, "norm"}, {1, "rev"}}, o.MAPPolarity, "");
    values["MC"] = Pick({{0, "1ma"}, {1, "3.5ma"}, {2, "7.5ma"}}, o.MAPCurrent, "");
  }
  if (iCode == 0) {
    // Row 8000 is the heading of the template block: it loads, but holds no directive.
    return {1, "", InvalidSequenceText(8000, "=== MICRO SEQUENCES ===", fOverflow ? "" : "#stop")};
  }
  auto it = kTemplates.find(iCode);
  if (it == kTemplates.end()) {
    return {1, "", InvalidSequenceText(8000 + iCode, "")};
  }
  std::string sOut;
  std::string sJoined;
  std::istringstream instructions(it->second);
  std::string sInstruction;
  while (instructions >> sInstruction) {
    if (sInstruction == "grp=%X" && o.sNAP.empty()) {
      continue;
    }
    std::string sFilled = Fill(sInstruction, values);
    sOut += sFilled + "\n";
    sJoined += (sJoined.empty() ? "" : ";") + sFilled;
  }
  return fOverflow ? SRun{1, "", InvalidSequenceText(8000 + iCode, sJoined)} : SRun{0, sOut, ""};
}

TEST(CmdExplain, RawEqualsAnIndependentExpansionForEveryTestAndPowerConfiguration) {
  test::CTestContext ctx;
  for (size_t nSet = 0; nSet < std::size(kOptionSets); ++nSet) {
    const SOptions& options = kOptionSets[nSet];
    for (int iCode = -1; iCode <= 25; ++iCode) {
      for (int iPower = -1; iPower <= 17; ++iPower) {
        // A failing set shows the outlet in its failure text; a few configurations show it.
        if (nSet >= 4 && iPower != 0 && iPower != 5 && iPower != 9 && iPower != 17) {
          continue;
        }
        SCOPED_TRACE("option set " + std::to_string(nSet) + ", test " + std::to_string(iCode) +
                     ", pc " + std::to_string(iPower));
        std::vector<std::string> vArgs = {"--raw", "--test", std::to_string(iCode), "--pc",
                                          std::to_string(iPower)};
        for (const std::string& sArg : options.Args()) {
          vArgs.push_back(sArg);
        }
        SRun expected = Expected(iCode, iPower, options);
        SRun actual = Explain(vArgs);
        ASSERT_EQ(actual.iExit, expected.iExit);
        ASSERT_EQ(actual.sOut, expected.sOut);
        ASSERT_EQ(actual.sErr, expected.sErr);
      }
    }
  }
}

TEST(CmdExplain, TheBuiltCommandPrintsTheSameExpansion) {
  const SOptions& options = kOptionSets[1];
  for (int iCode : {2, 8, 10, 12, 24}) {
    SCOPED_TRACE(iCode);
    std::vector<std::string> vArgs = {"--raw", "--test", std::to_string(iCode), "--pc", "5"};
    for (const std::string& sArg : options.Args()) {
      vArgs.push_back(sArg);
    }
    SRun expected = Expected(iCode, 5, options);
    SRun actual = ExplainBinary(vArgs);
    EXPECT_EQ(actual.iExit, expected.iExit);
    EXPECT_EQ(actual.sOut, expected.sOut);
    EXPECT_EQ(actual.sErr, expected.sErr);
  }
  SRun failed = ExplainBinary({"--test", "1", "--pc", "1"});
  EXPECT_EQ(failed.iExit, 1);
  EXPECT_EQ(failed.sOut, "");
  EXPECT_EQ(failed.sErr,
            "The selected test (TestNo = 1, Power Config = 1, Lead No = -1) is not a valid KSV940 "
            "test and cannot be performed.\n");
  EXPECT_EQ(ExplainBinary({"--test", "1", "--pc", "8", "--set", "Nope=1"}).iExit, 2);
}

TEST(CmdExplain, PlaceholdersAreFilledInTheirOrder) {
  test::CTestContext ctx;
  struct Row {
    std::vector<std::string> vArgs;
    std::string sOut;
  };
  const Row rows[] = {
      // The example of an earth-leakage test with reversed mains and an open neutral.
      {{"--test", "8", "--pc", "5", "--ap", "all", "--set", "measType=1"},
       "#stop=bpc\nearthl\npol=r\n#stop=apc\nneut=o\nmode=ac\nap=all\n#stop=apc\nmdual=off\n"
       "#wait=500\n#many\n"},
      // The outlet is filled before the applied part, so "%P" in it stays.
      {{"--raw", "--test", "8", "--pc", "5", "--ap", "%P"},
       "#stop=bpc\nearthl\npol=r\n#stop=apc\nneut=o\nmode=acdc\nap=%P\n#stop=apc\nmdual=off\n"
       "#wait=500\n#many\n"},
      // The options are filled after it: "%U" is, and ";" makes two instructions.
      {{"--raw", "--test", "10", "--pc", "3", "--ap", "1;%U", "--set", "measType=2"},
       "#stop=bpc\npat\nearth=c\npol=n\n#stop=apc\nneut=c\nmode=dc\n#stop=apc\nap=1\ndc\n"
       "mdual=off\n#wait=500\n#many\n"},
      // Without a group, every "grp=%X;" goes, also one the applied part brought, which takes
      // the template's separator with it.
      {{"--raw", "--test", "10", "--pc", "3", "--ap", "grp=%X"},
       "#stop=bpc\npat\nearth=c\npol=n\n#stop=apc\nneut=c\nmode=acdc\n#stop=apc\nap=mdual=off\n"
       "#wait=500\n#many\n"},
      {{"--raw", "--test", "12", "--pc", "6", "--ap", "%X", "--nap", "%R", "--set", "PECurrent=1"},
       "#stop=bpc\nmap\nmap=low\npol=r\n#stop=apc\nmap=norm\nap=high\ngrp=high\nmode=acdc\n"
       "mdual=off\n#wait=500\n#many\n"},
      // No template holds "%MC" or "%T" but the ECG test; an applied part can bring them.
      {{"--raw", "--test", "22", "--pc", "3", "--ap", "%MC/%T", "--set", "MAPCurrent=2", "--set",
        "ECGDuration=3"},
       "#stop=bpc\nnominal=on\nspat\nmode=acdc\n#stop=apc\nap=7.5ma/3000\nmdual=off\n#wait=500\n"
       "#many\nnominal=off\n"},
      // A valid test in a configuration outside the enumeration.
      {{"--test", "23", "--pc", "99"},
       "#stop=bpc\naccv\nearth=c\npol=n\n#stop=apc\nneut=c\n#stop=apc\n#wait=500\n#many\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.vArgs[1] + row.vArgs[2] + row.vArgs[3]);
    SRun run = Explain(row.vArgs);
    EXPECT_EQ(run.iExit, 0) << run.sErr;
    EXPECT_EQ(run.sOut, row.sOut);
  }
}

TEST(CmdExplain, AnInvalidTestPrintsTheOperatorsText) {
  test::CTestContext ctx;
  struct Row {
    const char* sTest;
    const char* sPower;
    const char* sLead;
  };
  const Row rows[] = {{"1", "1", "-1"}, {"9", "1", "1"}, {"12", "99", "0"},
                      {"25", "3", "0"}, {"0", "0", "0"}, {"-1", "3", "0"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.sTest) + " " + row.sPower);
    SRun run = Explain({"--test", row.sTest, "--pc", row.sPower});
    EXPECT_EQ(run.iExit, 1);
    EXPECT_EQ(run.sOut, "");
    EXPECT_EQ(run.sErr, std::string("The selected test (TestNo = ") + row.sTest +
                            ", Power Config = " + row.sPower + ", Lead No = " + row.sLead +
                            ") is not a valid KSV940 test and cannot be performed.\n");
  }
  ctx.Language().SetTranslation(21906, "Test %%1/%%2/%%3 ungueltig");
  EXPECT_EQ(Explain({"--test", "1", "--pc", "1"}).sErr, "Test 1/1/-1 ungueltig\n");
}

TEST(CmdExplain, BadUsageSaysWhatIsWrong) {
  test::CTestContext ctx;
  struct Row {
    std::vector<std::string> vArgs;
    const char* sSays;
  };
  const Row rows[] = {
      {{"--test", "1", "--pc", "8", "--bogus"}, "--bogus"},
      {{"--test", "1", "--pc", "8", "--set", "Foo=1"}, "no property \"Foo\""},
      {{"--test", "1", "--pc", "8", "--set", "Duration=abc"}, "Duration takes a 32-bit integer"},
      {{"--test", "1", "--pc", "8", "--set", "ECGDuration=40000"}, "16-bit integer"},
      {{"--test", "1", "--pc", "8", "--set", "StopBeforeNewPC=maybe"}, "true, false, -1 or 0"},
      {{"--test", "1", "--pc", "8", "--set", "measType"}, "\"measType\" is not NAME=VALUE"},
      {{"--test", "x", "--pc", "8"}, "--test"},
      {{"--test", "1"}, "needs --test and --pc, or --all"},
      {{"--all", "--test", "1"}, "excludes"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sSays);
    SRun run = Explain(row.vArgs);
    EXPECT_EQ(run.iExit, 2);
    EXPECT_EQ(run.sOut, "");
    EXPECT_NE(run.sErr.find(row.sSays), std::string::npos) << run.sErr;
  }
  SRun run = Explain({"--test", "1", "--pc", "8", "--set", "stopbeforenewpc=TRUE", "--set",
                      "TotalLeakage=-1", "--set", "StopAfterNewPC=0"});
  EXPECT_EQ(run.iExit, 0) << run.sErr;
}

TEST(CmdExplain, AllListsEveryValidCombinationAsARunWouldBuildIt) {
  test::CTestContext ctx;
  SRun all = Explain({"--all", "--ap", "all"});
  ASSERT_EQ(all.iExit, 0);
  // Each entry is a heading and its numbered instructions; entries are separated by a blank line.
  std::istringstream entries(all.sOut);
  std::string sHeading;
  int nEntries = 0;
  while (std::getline(entries, sHeading)) {
    int iTest = 0;
    int iPower = 0;
    ASSERT_EQ(std::sscanf(sHeading.c_str(), "test %d %*s power configuration %d", &iTest, &iPower),
              2);
    SCOPED_TRACE(sHeading);
    std::string sListed;
    for (std::string sLine; std::getline(entries, sLine) && !sLine.empty();) {
      sListed += sLine.substr(6) + "\n";
    }
    EXPECT_EQ(sListed, Explain({"--test", std::to_string(iTest), "--pc", std::to_string(iPower),
                                "--ap", "all"})
                           .sOut);
    ++nEntries;
  }
  EXPECT_EQ(nEntries, 128);
  EXPECT_EQ(all.sOut.substr(0, all.sOut.find('\n')),
            "test 1 etcMains, power configuration 8 epcMainsL1L2, lead -1");

  SRun failing = Explain({"--all", "--set", "ECGDuration=33"});
  EXPECT_EQ(failing.iExit, 1);
  EXPECT_EQ(std::count(failing.sErr.begin(), failing.sErr.end(), '\n'), 128);
}

}  // namespace
}  // namespace ksv940
