#include "platform/settings/CRegistryFileStore.h"

#include <gtest/gtest.h>

#include "testing/CTempDir.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\Software\\Marlo\\orvex\\Executive\\System";
constexpr const char* kValue = "Test guide settings";
const std::string kExport =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Marlo\\orvex\\Executive\\System]\r\n";

std::string Utf16(const std::string& sAscii) {
  std::string sOut = "\xFF\xFE";
  for (char c : sAscii) {
    sOut += std::string(1, c) + '\0';
  }
  return sOut;
}

TEST(CRegistryFileStore, ReadsADwordAndTreatsEveryOtherShapeAsAbsent) {
  test::CTempDir dir;
  const std::string sValue = "\"Test guide settings\"=";
  struct SRow {
    const char* szCase;
    std::string sFile;
    std::optional<int32_t> lExpected;
  };
  const SRow rows[] = {
      {"dword", kExport + sValue + "dword:00000004\r\n", 4},
      {"short negative dword", kExport + sValue + "dword:ffffffff\r\n", -1},
      {"letter case of key and name",
       "Windows Registry Editor Version 5.00\n\n[hkey_local_machine\\SOFTWARE\\marlo\\Orvex\\"
       "executive\\system]\n\"TEST GUIDE SETTINGS\"=dword:00001000\n",
       4096},
      {"text", kExport + sValue + "\"4\"\r\n", std::nullopt},
      {"dword as bytes", kExport + sValue + "hex(4):04,00,00,00\r\n", 4},
      {"other key",
       "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Marlo]\n" + sValue + "dword:00000004\n",
       std::nullopt},
      {"later line wins", kExport + sValue + "dword:4\r\n" + sValue + "dword:3\r\n", 3},
      {"value deleted", kExport + sValue + "dword:4\r\n" + sValue + "-\r\n", std::nullopt},
      {"key deleted", kExport + sValue + "dword:4\r\n[-HKEY_LOCAL_MACHINE\\Software\\Marlo]\r\n",
       std::nullopt},
      {"comments, continued hex and escapes",
       kExport + "; the host's window\r\n\"Bytes\"=hex:01,02,\\\r\n  03,04\r\n" +
           "\"Path\"=\"C:\\\\Orvex \\\"x\\\"\"\r\n@=\"default\"\r\n" + sValue +
           "dword:0000000a\r\n",
       10},
      {"UTF-16 export", Utf16(kExport + sValue + "dword:00000009\r\n"), 9},
      {"UTF-8 mark", "\xEF\xBB\xBF" + kExport + sValue + "dword:4\r\n", 4}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szCase);
    EXPECT_EQ(CRegistryFileStore(dir.Write("s.reg", row.sFile)).ReadDword(kKey, kValue),
              row.lExpected);
  }
  EXPECT_EQ(CRegistryFileStore(dir.PathOf("none.reg")).ReadDword(kKey, kValue), std::nullopt);
}

TEST(CRegistryFileStore, MalformedFileRaisesNamingFileAndLine) {
  test::CTempDir dir;
  const std::pair<std::string, std::string> kRows[] = {
      {"[HKEY_LOCAL_MACHINE\\Software]\r\n", ":1: not a registry export"},
      {kExport + "\"Test guide settings\"=dword:4x\r\n", ":4: a dword value needs 1 to 8"},
      {kExport + "Test guide settings=4\r\n", ":4: expected [KEY]"},
      {kExport + "\"Test guide settings\"=word:4\r\n", ":4: a value must be"},
      {kExport + "\"Test guide settings dword:4\r\n", ":4: a quoted name or text has no closing"},
      {kExport.substr(0, 40) + "\"Test guide settings\"=dword:4\r\n",
       ":3: a value before the first key"},
      {kExport + "\"Bytes\"=hex:1,02\r\n", ":4: hex bytes must be two"},
      {kExport.substr(0, 40) + "[HKEY_LOCAL_MACHINE\r\n", ":3: a key line must be [KEY]"}};
  for (const auto& [sFile, sWhere] : kRows) {
    SCOPED_TRACE(sFile);
    std::string sPath = dir.Write("bad.reg", sFile);
    auto err = test::Caught([&] { CRegistryFileStore(sPath).ReadDword(kKey, kValue); });
    EXPECT_EQ(err.Number(), 5);
    EXPECT_EQ(err.Description().rfind(sPath + sWhere, 0), 0U) << err.Description();
  }
}

}  // namespace
}  // namespace ksv940
