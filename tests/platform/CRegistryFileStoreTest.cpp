#include "platform/settings/CRegistryFileStore.h"

#include <gtest/gtest.h>

#include "platform/core/CAutomationError.h"
#include "testing/CTempDir.h"

namespace ksv940 {
namespace {

constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\Software\\Marlo\\orvex\\Executive\\System";
constexpr const char* kValue = "Test guide settings";
constexpr const char* kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
constexpr const char* kKeyLine =
    "[HKEY_LOCAL_MACHINE\\Software\\Marlo\\orvex\\Executive\\System]\r\n";

std::string Utf16(const std::string& sAscii) {
  std::string sOut = "\xFF\xFE";
  for (char c : sAscii) {
    sOut.push_back(c);
    sOut.push_back('\0');
  }
  return sOut;
}

TEST(CRegistryFileStore, ReadsADwordAndTreatsEveryOtherShapeAsAbsent) {
  test::CTempDir dir;
  const std::string sExport = std::string(kHeader) + kKeyLine;
  struct Row {
    const char* sCase;
    std::string sFile;
    std::optional<int32_t> lExpected;
  };
  const Row rows[] = {
      {"dword", sExport + "\"Test guide settings\"=dword:00000004\r\n", 4},
      {"short dword", sExport + "\"Test guide settings\"=dword:9\r\n", 9},
      {"negative", sExport + "\"Test guide settings\"=dword:ffffffff\r\n", -1},
      {"letter case of key and name",
       std::string(kHeader) + "[hkey_local_machine\\SOFTWARE\\marlo\\Orvex\\executive\\system]\n"
                              "\"TEST GUIDE SETTINGS\"=dword:00001000\n",
       4096},
      {"text", sExport + "\"Test guide settings\"=\"4\"\r\n", std::nullopt},
      {"binary", sExport + "\"Test guide settings\"=hex:04,00,00,00\r\n", std::nullopt},
      {"dword as bytes", sExport + "\"Test guide settings\"=hex(4):04,00,00,00\r\n", 4},
      {"other value only", sExport + "\"Other\"=dword:00000004\r\n", std::nullopt},
      {"other key",
       std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\Software\\Marlo]\r\n" +
           "\"Test guide settings\"=dword:00000004\r\n",
       std::nullopt},
      {"later line wins",
       sExport + "\"Test guide settings\"=dword:00000004\r\n\"Test guide settings\"=dword:3\r\n",
       3},
      {"value deleted",
       sExport + "\"Test guide settings\"=dword:4\r\n\"Test guide settings\"=-\r\n", std::nullopt},
      {"key deleted",
       sExport + "\"Test guide settings\"=dword:4\r\n[-HKEY_LOCAL_MACHINE\\Software\\Marlo]\r\n",
       std::nullopt},
      {"comments, continued hex and escapes",
       sExport + "; the host's window\r\n\"Bytes\"=hex:01,02,\\\r\n  03,04\r\n" +
           "\"Path\"=\"C:\\\\Orvex \\\"x\\\"\"\r\n@=\"default\"\r\n" +
           "\"Test guide settings\"=dword:0000000a\r\n",
       10},
      {"REGEDIT4", std::string("REGEDIT4\n\n") + kKeyLine + "\"Test guide settings\"=dword:4\n", 4},
      {"UTF-16 export", Utf16(sExport + "\"Test guide settings\"=dword:00000009\r\n"), 9},
      {"UTF-8 mark", "\xEF\xBB\xBF" + sExport + "\"Test guide settings\"=dword:4\r\n", 4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sCase);
    CRegistryFileStore store(dir.Write("settings.reg", row.sFile));
    EXPECT_EQ(store.ReadDword(kKey, kValue), row.lExpected);
  }
}

TEST(CRegistryFileStore, MissingFileIsAnEmptyStore) {
  test::CTempDir dir;
  CRegistryFileStore store(dir.PathOf("none.reg"));
  EXPECT_EQ(store.ReadDword(kKey, kValue), std::nullopt);
}

TEST(CRegistryFileStore, MalformedFileRaisesNamingFileAndLine) {
  test::CTempDir dir;
  const std::string sExport = std::string(kHeader) + kKeyLine;
  struct Row {
    std::string sFile;
    std::string sWhere;
    const char* sWhat;
  };
  const Row rows[] = {
      {"[HKEY_LOCAL_MACHINE\\Software]\r\n", ":1: ", "not a registry export"},
      {"", ":1: ", "not a registry export"},
      {sExport + "\"Test guide settings\"=dword:4x\r\n", ":4: ", "a dword value needs 1 to 8"},
      {sExport + "\"Test guide settings\"=dword:000000004\r\n", ":4: ", "a dword value needs"},
      {sExport + "Test guide settings=4\r\n", ":4: ", "expected [KEY]"},
      {sExport + "\"Test guide settings\"=word:4\r\n", ":4: ", "a value must be"},
      {sExport + "\"Test guide settings dword:4\r\n",
       ":4: ", "a quoted name or text has no closing quote"},
      {std::string(kHeader) + "\"Test guide settings\"=dword:4\r\n",
       ":3: ", "a value before the first key"},
      {sExport + "\"Bytes\"=hex:1,02\r\n", ":4: ", "hex bytes must be two"},
      {std::string(kHeader) + "[HKEY_LOCAL_MACHINE\r\n", ":3: ", "a key line must be [KEY]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sFile);
    std::string sPath = dir.Write("bad.reg", row.sFile);
    try {
      CRegistryFileStore(sPath).ReadDword(kKey, kValue);
      ADD_FAILURE() << "no error";
    } catch (const CAutomationError& err) {
      EXPECT_EQ(err.Number(), 5);
      EXPECT_EQ(err.Description().rfind(sPath + row.sWhere + row.sWhat, 0), 0U)
          << err.Description();
    }
  }
}

TEST(CRegistryFileStore, PathComesFromTheEnvironmentAtEachRead) {
  const char* szOld = std::getenv("KSV940_REGISTRY");
  std::string sOld = szOld != nullptr ? szOld : "";
  CRegistryFileStore store;
  unsetenv("KSV940_REGISTRY");
  EXPECT_EQ(store.Path(), "/etc/orvex/registry.reg");
  setenv("KSV940_REGISTRY", "", 1);
  EXPECT_EQ(store.Path(), "/etc/orvex/registry.reg");
  test::CTempDir dir;
  std::string sPath = dir.Write(
      "on-top.reg", std::string(kHeader) + kKeyLine + "\"Test guide settings\"=dword:4\r\n");
  setenv("KSV940_REGISTRY", sPath.c_str(), 1);
  EXPECT_EQ(store.ReadDword(kKey, kValue), 4);
  dir.Write("on-top.reg", std::string(kHeader) + kKeyLine + "\"Test guide settings\"=dword:0\r\n");
  EXPECT_EQ(store.ReadDword(kKey, kValue), 0) << "read anew";
  if (szOld != nullptr) {
    setenv("KSV940_REGISTRY", sOld.c_str(), 1);
  } else {
    unsetenv("KSV940_REGISTRY");
  }
}

}  // namespace
}  // namespace ksv940
