#include "host/default/CLanguageService.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "platform/core/CAutomationError.h"
#include "testing/CTempDir.h"

namespace ksv940 {
namespace {

TEST(CLanguageService, StripsTheNumberAndFillsParametersInOrder) {
  struct Row {
    const char* sText;
    CVariantList vParams;
    const char* sExpected;
  };
  const Row rows[] = {
      {"21901::Can not open port %%1", {5}, "Can not open port 5"},
      {"21903::The channel is already open on port %%1.",
       {},
       "The channel is already open on port %%1."},
      {"21906::(TestNo = %%1, Power Config = %%2, Lead No = %%3)",
       {1, 1, -1},
       "(TestNo = 1, Power Config = 1, Lead No = -1)"},
      {"21909:: FW v%%1 or newer", {"1.17"}, " FW v1.17 or newer"},
      {"no number here %%1", {"x"}, "no number here x"},
      {"20030::%%1 %%1 %%2", {30}, "30 30 %%2"},
      {"1::%%1", {"%%1"}, "%%1"},  // a filled value is not scanned again
      {"21905::a\\nb %%1", {8008}, "a\\nb 8008"},
      {"::x", {}, "::x"},
      {"12a::x", {}, "12a::x"},
  };
  CLanguageService language;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sText);
    EXPECT_EQ(language.GetText("KSV940", row.sText, row.vParams), row.sExpected);
  }
}

TEST(CLanguageService, CatalogueReplacesWordingByTextNumber) {
  test::CTempDir dir;
  std::string sPath = dir.PathOf("catalogue.txt");
  {
    std::ofstream out(sPath);
    out << "# German\n\n21017=EIN\n21015=Die Leistung ist jetzt %%1.\\r\\nOK\n";
  }
  CLanguageService language;
  language.LoadCatalogue(sPath);
  EXPECT_EQ(language.GetText("KSV940", "21017::ON", {}), "EIN");
  EXPECT_EQ(language.GetText("KSV940", "21015::Power is now %%1.", {"EIN"}),
            "Die Leistung ist jetzt EIN.\r\nOK");
  EXPECT_EQ(language.GetText("KSV940", "21018::OFF", {}), "OFF");

  {
    std::ofstream out(sPath);
    out << "21017=EIN\nbroken line\n";
  }
  try {
    language.LoadCatalogue(sPath);
    FAIL() << "a malformed catalogue must be refused";
  } catch (const CAutomationError& err) {
    EXPECT_NE(err.Description().find(":2:"), std::string::npos) << err.Description();
  }
}

}  // namespace
}  // namespace ksv940
