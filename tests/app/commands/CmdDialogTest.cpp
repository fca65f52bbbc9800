#include <gtest/gtest.h>

#include "app/commands/MCommandLine.h"
#include "platform/settings/CRegistryFileStore.h"
#include "support/MDeclares.h"
#include "testing/CTempDir.h"
#include "testing/CTestContext.h"
#include "testing/MRunCommand.h"

namespace ksv940 {
namespace {

// ksv940 dialog in this process on virtual time: the automatic operator's account of a dialog.
TEST(CmdDialog, TheAutomaticOperatorPrintsTheDialogItsAnswerAndWhatTheCallerReads) {
  test::CTestContext ctx;
  ctx.Scope().Set<ISettingsStore>(std::make_shared<CRegistryFileStore>("/nonexistent.reg"));
  test::SRun run = test::RunInProcess({"dialog", "no-resistance", "--operator", "auto:skip:12"});
  EXPECT_EQ(run.iExit, ecxOk) << run.sErr;
  EXPECT_EQ(run.sOut,
            "No Resistance Measurement\n"
            "  The KSV940 was unable to make a resistance measurement\n"
            "  Check that the test leads are properly connected and click Continue to repeat the "
            "test.\n  The test will automatically continue in 30 seconds.\n"
            "  Buttons: Skip | Continue | Stop Test\n"
            "Answer: Skip after 12 s\nCancel: false\nSkipScreen: true\n");
  EXPECT_EQ(ctx.NowUs(), 12'000'000);
  run = test::RunInProcess({"dialog", "stop-before", "--operator", "auto:skip"});
  EXPECT_NE(run.sOut.find("Answer: Continue (no skip button here) after 0 s\n"), std::string::npos);
  for (const char* szOperator : {"auto:later", "terminal:stop", "auto:stop:86401"}) {
    run = test::RunInProcess({"dialog", "stop-before", "--operator", szOperator});
    EXPECT_EQ(run.iExit, ecxUsage);
    EXPECT_NE(run.sErr.find(std::string("'") + szOperator + "' is not an operator"),
              std::string::npos)
        << run.sErr;
  }
  gfOutletOn = false;
}

// The built command, with the registry file and the catalogue named by the environment.
TEST(CmdDialogBinary, TheEnvironmentNamesTheSettingsFileAndTheCatalogue) {
  test::CTempDir dir;
  std::string sCommand = "KSV940_REGISTRY=" +
                         dir.Write("registry.reg",
                                   "Windows Registry Editor Version 5.00\r\n\r\n"
                                   "[HKEY_LOCAL_MACHINE\\Software\\Marlo\\orvex\\Executive\\"
                                   "System]\r\n\"Test guide settings\"=dword:00000004\r\n") +
                         " KSV940_LANGUAGE=" KSV940_SOURCE_DIR "/tests/data/dialogs-de.lang " +
                         KSV940_BINARY + " dialog stop-after --on --operator auto:stop </dev/null";
  FILE* pPipe = popen(sCommand.c_str(), "r");
  ASSERT_NE(pPipe, nullptr);
  std::string sOut;
  char buffer[512];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pPipe)) > 0;) {
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
