#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/settings/CRegistryFileStore.h"
#include "support/MDeclares.h"
#include "testing/CTempDir.h"
#include "testing/CTestContext.h"

namespace ksv940::test {

/// Virtual time, a scripted operator, the outlet flag off, and a settings file of the test's own
/// (absent until SetSetting writes it), so that no machine's setting reaches a test.
struct CDialogTest : ::testing::Test {
  CTestContext ctx;
  CTempDir dir;
  CScriptedView* pView = &ctx.Operator();

  CDialogTest() {
    ctx.Scope().Set<ISettingsStore>(
        std::make_shared<CRegistryFileStore>(dir.PathOf("registry.reg")));
    gfOutletOn = false;
  }
  ~CDialogTest() override { gfOutletOn = false; }

  /// Writes the settings file with sValueLine under the test-guide key.
  void SetSetting(const std::string& sValueLine) {
    dir.Write("registry.reg",
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Marlo\\orvex\\Executive\\System]\r\n" +
                  sValueLine + "\r\n");
  }

  /// The German catalogue of the dialogs' texts that the README offers translators.
  void LoadGerman() {
    ctx.Language().LoadCatalogue(KSV940_SOURCE_DIR "/tests/data/dialogs-de.lang");
  }

  const SRecordedForm& Last() const { return pView->Forms().back(); }
};

}  // namespace ksv940::test
