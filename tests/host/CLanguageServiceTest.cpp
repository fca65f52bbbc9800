#include "host/default/CLanguageService.h"

#include <gtest/gtest.h>

#include "testing/CTempDir.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

TEST(CLanguageService, StripsTheNumberFillsParametersAndTakesACatalogueByTextNumber) {
  const std::tuple<const char*, CVariantList, const char*> kRows[] = {
      {"21906::(TestNo = %%1, Power Config = %%2, Lead No = %%3)",
       {1, 1, -1},
       "(TestNo = 1, Power Config = 1, Lead No = -1)"},
      {"20030::%%1 %%1 %%2", {30}, "30 30 %%2"},
      {"1::%%1", {"%%1"}, "%%1"},  // a filled value is not scanned again
      {"no number here %%1", {"x"}, "no number here x"},
      {"::x", {}, "::x"},
      {"12a::x", {}, "12a::x"}};
  CLanguageService language;
  for (const auto& [szText, vParams, szExpected] : kRows) {
    EXPECT_EQ(language.GetText("KSV940", szText, vParams), szExpected) << szText;
  }
  test::CTempDir dir;
  language.LoadCatalogue(dir.Write("de.txt", "# German\n\n21017=EIN\n21015=Jetzt %%1.\\r\\nOK\n"));
  EXPECT_EQ(language.GetText("KSV940", "21015::Power is now %%1.", {"EIN"}), "Jetzt EIN.\r\nOK");
  EXPECT_EQ(language.GetText("KSV940", "21018::OFF", {}), "OFF");
  auto err =
      test::Caught([&] { language.LoadCatalogue(dir.Write("de.txt", "21017=EIN\nbroken")); });
  EXPECT_NE(err.Description().find(":2:"), std::string::npos) << err.Description();
}

}  // namespace
}  // namespace ksv940
