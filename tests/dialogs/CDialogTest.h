#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/settings/CRegistryFileStore.h"
#include "support/MDeclares.h"
#include "testing/CScriptedView.h"
#include "testing/CTempDir.h"
#include "testing/CTestContext.h"

namespace ksv940::test {

/// Virtual time, a scripted operator, the outlet flag off, and a settings file of the test's own
/// (absent until SetSetting writes it), so that no machine's setting reaches a test.
struct CDialogTest : ::testing::Test {
  CTestContext ctx;
  CTempDir dir;
  std::shared_ptr<CScriptedView> pView = std::make_shared<CScriptedView>();

  CDialogTest() {
    InstallView(ctx.Scope(), pView);
    ctx.Scope().Set<ISettingsStore>(
        std::make_shared<CRegistryFileStore>(dir.PathOf("registry.reg")));
    gfOutletOn = false;
  }
  ~CDialogTest() override { gfOutletOn = false; }

  /// Writes the settings file: the test-guide key with sValueLine under it, or, with fKey false,
  /// only another key.
  void SetSetting(const std::string& sValueLine, bool fKey = true) {
    dir.Write("registry.reg",
              std::string("Windows Registry Editor Version 5.00\r\n\r\n") +
                  (fKey ? "[HKEY_LOCAL_MACHINE\\Software\\Marlo\\orvex\\Executive\\System]\r\n"
                        : "[HKEY_LOCAL_MACHINE\\Software\\Marlo\\orvex\\Executive]\r\n") +
                  sValueLine + "\r\n");
  }

  /// The German catalogue of the dialogs' texts that the README offers translators.
  void LoadGerman() {
    ctx.Language().LoadCatalogue(KSV940_SOURCE_DIR "/tests/data/dialogs-de.lang");
  }

  const SRecordedForm& Last() const { return pView->Forms().back(); }
};

/// One row of the topmost table: the settings file and whether dialogs go on top.
struct STopmostRow {
  const char* sCase;
  std::string sValueLine;
  bool fKey;
  bool fFile;
  bool fTopmost;
};

inline const std::vector<STopmostRow>& TopmostRows() {
  static const std::vector<STopmostRow> rows = {
      {"4", "\"Test guide settings\"=dword:00000004", true, true, true},
      {"9", "\"Test guide settings\"=dword:00000009", true, true, true},
      {"4096", "\"Test guide settings\"=dword:00001000", true, true, true},
      {"0", "\"Test guide settings\"=dword:00000000", true, true, false},
      {"3", "\"Test guide settings\"=dword:00000003", true, true, false},
      {"5", "\"Test guide settings\"=dword:00000005", true, true, false},
      {"8", "\"Test guide settings\"=dword:00000008", true, true, false},
      {"-1", "\"Test guide settings\"=dword:ffffffff", true, true, false},
      {"text 4", "\"Test guide settings\"=\"4\"", true, true, false},
      {"value missing", "\"Other\"=dword:00000004", true, true, false},
      {"key missing", "\"Test guide settings\"=dword:00000004", false, true, false},
      {"file missing", "", true, false, false},
      {"malformed file", "\"Test guide settings\"=dword:4x", true, true, false},
  };
  return rows;
}

}  // namespace ksv940::test
