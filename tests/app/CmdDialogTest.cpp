#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "app/MCommands.h"
#include "platform/core/CAutomationError.h"
#include "platform/settings/CRegistryFileStore.h"
#include "support/MDeclares.h"
#include "testing/CTempDir.h"
#include "testing/CTestContext.h"

namespace ksv940 {
namespace {

constexpr const char* kOffToOn =
    "The power on the KSV940's equipment output will now change from OFF to ON. Perform any "
    "required operations on the DUT, then click Continue to keep on testing.";
constexpr const char* kNoResistance =
    "No Resistance Measurement\n"
    "  The KSV940 was unable to make a resistance measurement\n"
    "  Check that the test leads are properly connected and click Continue to repeat the test.\n"
    "  The test will automatically continue in 30 seconds.\n"
    "  Buttons: Skip | Continue | Stop Test\n";
constexpr const char* kWaitBody =
    "  When the time has elapsed the test will automatically continue. Click Continue to advance "
    "the test immediately, or click Stop Test to halt the safety test.\n";
constexpr const char* kSetting =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Marlo\\orvex\\Executive\\System]\r\n"
    "\"Test guide settings\"=dword:00000004\r\n";

struct CmdDialogTest : ::testing::Test {
  test::CTestContext ctx;
  test::CTempDir dir;
  std::shared_ptr<CRegistryFileStore> pStore =
      std::make_shared<CRegistryFileStore>(dir.PathOf("registry.reg"));
  std::ostringstream out;
  std::ostringstream err;

  CmdDialogTest() {
    ctx.Scope().Set<ISettingsStore>(pStore);
    gfOutletOn = false;
  }
  ~CmdDialogTest() override { gfOutletOn = false; }

  int Run(std::vector<std::string> vArgs) {
    out.str("");
    err.str("");
    vArgs.insert(vArgs.begin(), {"ksv940", "dialog"});
    return RunCommandLine(AllCommands(), vArgs, out, err);
  }
};

TEST_F(CmdDialogTest, AutomaticOperatorPrintsTheFormItsAnswerAndWhatTheCallerReads) {
  struct Row {
    std::vector<std::string> vArgs;
    std::string sOut;
    int64_t lElapsedUs;
  };
  const Row rows[] = {
      {{"stop-before", "--to-on", "--operator", "auto"},
       std::string("Stop On Power Configuration\n"
                   "  Power configuration on Equipment Output is about to change\n  ") +
           kOffToOn +
           "\n  Buttons: Continue | Stop Test\n"
           "Answer: Continue after 0 s\nCancel: false\nSkipScreen: false\n",
       0},
      {{"--operator", "auto:stop:5", "stop-after", "--off"},
       "Stop On Power Configuration\n"
       "  Power is now OFF.\n"
       "  The power on the the KSV940's equipment output is now set to OFF. Perform any required "
       "operations on the DUT, then click Continue to keep on testing.\n"
       "  Buttons: Continue | Stop Test\n"
       "Answer: Stop Test after 5 s\nCancel: true\nSkipScreen: false\n",
       5'000'000},
      {{"stop-before", "--operator", "auto:skip"},
       "Stop On Power Configuration\n"
       "  Power configuration on Equipment Output is about to change\n"
       "  Buttons: Continue | Stop Test\n"
       "Answer: Continue (no skip button here) after 0 s\nCancel: false\nSkipScreen: false\n",
       0},
      {{"no-resistance", "--operator", "auto"},
       std::string(kNoResistance) +
           "Answer: none, closed by itself after 30 s\nCancel: false\nSkipScreen: false\n",
       30'000'000},
      {{"no-resistance", "--operator", "auto:skip:12"},
       std::string(kNoResistance) + "Answer: Skip after 12 s\nCancel: false\nSkipScreen: true\n",
       12'000'000},
      {{"no-resistance", "--operator", "auto:continue:31"},
       std::string(kNoResistance) +
           "Answer: none, closed by itself after 30 s\nCancel: false\nSkipScreen: false\n",
       30'000'000},
      {{"wait", "--state", "21017::ON", "--seconds", "3", "--operator", "auto"},
       std::string(
           "Power On/Off Delay\n"
           "  Power is now ON. In order for the DUT to stabilize, the test will pause for 3 "
           "seconds.\n") +
           kWaitBody +
           "  The test will automatically continue in 3 seconds.\n"
           "  Buttons: Continue | Stop Test\n"
           "Answer: none, closed by itself after 3 s\nCancel: false\nSkipScreen: false\n",
       3'000'000},
      {{"wait", "--state", "21018::OFF", "--before", "--seconds", "60", "--operator",
        "auto:stop:1"},
       std::string("Power On/Off Delay\n"
                   "  DUT will switch off after 60 seconds.\n") +
           kWaitBody +
           "  The test will automatically continue in 60 seconds.\n"
           "  Buttons: Continue | Stop Test\n"
           "Answer: Stop Test after 1 s\nCancel: true\nSkipScreen: false\n",
       1'000'000},
      {{"wait", "--state", "21018::OFF", "--seconds", "0", "--operator", "auto"},
       "Cancel: false\nSkipScreen: false\n",
       0},
      {{"wait", "--state", "21018::OFF", "--seconds", "-5", "--operator", "auto:stop"},
       "Cancel: false\nSkipScreen: false\n",
       0},
  };
  for (const Row& row : rows) {
    std::string sArgs;
    for (const std::string& sArg : row.vArgs) {
      sArgs += sArg + " ";
    }
    SCOPED_TRACE(sArgs);
    int64_t lStartUs = ctx.Clock().NowUs();
    EXPECT_EQ(Run(row.vArgs), ecxOk) << err.str();
    EXPECT_EQ(out.str(), row.sOut);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(ctx.Clock().NowUs() - lStartUs, row.lElapsedUs);
  }
}

TEST_F(CmdDialogTest, SettingsAndTranslationReachTheDialog) {
  dir.Write("registry.reg", kSetting);
  ctx.Language().SetTranslation(21010, "Halt");
  ctx.Language().SetTranslation(20010, "&Weiter");
  ctx.Language().SetTranslation(21011, "Gleich ändert sich der Strom");
  EXPECT_EQ(Run({"stop-before", "--operator", "auto"}), ecxOk);
  EXPECT_EQ(out.str(),
            "Halt  (on top)\n"
            "  Gleich ändert sich der Strom\n"
            "  Buttons: Weiter | Stop Test\n"
            "Answer: Weiter after 0 s\nCancel: false\nSkipScreen: false\n");
}

TEST_F(CmdDialogTest, MalformedSettingsFileIsReportedAndTheDialogStillShows) {
  dir.Write("registry.reg", "[HKEY_LOCAL_MACHINE\\Software]\n");
  EXPECT_EQ(Run({"stop-after", "--on", "--operator", "auto"}), ecxOk);
  EXPECT_EQ(err.str(), "ksv940: warning: " + dir.PathOf("registry.reg") +
                           ":1: not a registry export: the first line must be \"Windows Registry "
                           "Editor Version 5.00\"; dialogs are not kept on top\n");
  EXPECT_NE(out.str().find("Cancel: false\n"), std::string::npos);
  EXPECT_EQ(out.str().find("(on top)"), std::string::npos);
}

TEST_F(CmdDialogTest, BadUsageIsAUsageError) {
  struct Row {
    std::vector<std::string> vArgs;
    const char* sError;
  };
  const Row rows[] = {
      {{"stop-after", "--operator", "auto"}, "stop-after: give --on or --off"},
      {{"stop-after", "--on", "--off", "--operator", "auto"}, "--on excludes --off"},
      {{"wait", "--seconds", "3", "--operator", "auto"}, "--state is required"},
      {{"wait", "--state", "21017::ON", "--operator", "auto"}, "--seconds is required"},
      {{"wait", "--state", "21017::ON", "--seconds", "2.5"}, "--seconds"},
      {{"wait", "--state", "21017::ON", "--seconds", "4294967296"}, "--seconds"},
      {{"stop-before", "--operator", "auto:later"},
       "--operator: 'auto:later' is not an operator (unknown button 'later')"},
      {{"stop-before", "--operator", "keyboard"},
       "--operator: 'keyboard' is not an operator (unknown view)"},
      {{"stop-before", "--to-everything"}, "--to-everything"},
      {{}, "A subcommand is required"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sError);
    EXPECT_EQ(Run(row.vArgs), ecxUsage);
    EXPECT_NE(err.str().find(row.sError), std::string::npos) << err.str();
    EXPECT_EQ(out.str().find("Cancel:"), std::string::npos) << "no dialog shown";
  }
}

TEST_F(CmdDialogTest, FailingTranslationIsAFailureWithItsText) {
  struct CBrokenLanguage : CLanguageService {
    std::string GetText(const std::string& sModule, const std::string& sText,
                        const CVariantList& vParams) override {
      if (sText.rfind("21015", 0) == 0) {
        throw CAutomationError(5, "LanguageService", "No text 21015 in the catalogue");
      }
      return CLanguageService::GetText(sModule, sText, vParams);
    }
  };
  CContextScope scope;
  scope.Set<ILanguageService>(std::make_shared<CBrokenLanguage>());
  EXPECT_EQ(Run({"stop-after", "--on", "--operator", "auto"}), ecxFailure);
  EXPECT_EQ(err.str(), "ksv940: No text 21015 in the catalogue (error 5, LanguageService)\n");
  EXPECT_EQ(out.str(), "");
}

// The built command, with the registry file and the catalogue named by the environment.
TEST(CmdDialogBinary, EnvironmentNamesTheSettingsFileAndTheCatalogue) {
  test::CTempDir dir;
  std::string sRegistry = dir.Write("registry.reg", kSetting);
  std::string sCommand = "KSV940_REGISTRY=" + sRegistry +
                         " KSV940_LANGUAGE=" KSV940_SOURCE_DIR
                         "/tests/data/dialogs-de.lang " KSV940_BINARY
                         " dialog stop-after --on --operator auto:stop </dev/null 2>&1";
  FILE* pPipe = popen(sCommand.c_str(), "r");
  ASSERT_NE(pPipe, nullptr);
  std::string sOut;
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pPipe)) > 0) {
    sOut.append(buffer, n);
  }
  EXPECT_EQ(pclose(pPipe), 0);
  EXPECT_EQ(sOut,
            "Halt bei Änderung der Stromkonfiguration  (on top)\n"
            "  Der Strom ist jetzt EIN.\n"
            "  Der Strom am Geräteausgang des KSV940 ist jetzt EIN. Führen Sie die nötigen "
            "Arbeiten am Prüfling aus und klicken Sie dann auf Weiter.\n"
            "  Buttons: Weiter | Test stoppen\n"
            "Answer: Test stoppen after 0 s\nCancel: true\nSkipScreen: false\n");
}

}  // namespace
}  // namespace ksv940
