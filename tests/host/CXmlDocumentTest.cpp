#include "host/default/CXmlDocument.h"

#include <gtest/gtest.h>

#include "platform/core/MRuntime.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;

TEST(CXmlDocument, AMalformedPlanIsRefusedAndTheDocumentKept) {
  CXmlDocument plan;
  plan.LoadText("<Plan><KSV940Test ID=\"8\" PC=\"3\"/><!-- note --><Other/></Plan>");
  auto vElements = plan.Elements();
  ASSERT_EQ(vElements.size(), 2u);
  EXPECT_EQ(vElements[0]->GetAttribute("PC"), "3");
  EXPECT_EQ(vElements[0]->GetAttribute("LeadNo"), "");
  vElements[0]->SetAttribute("PC", "6");
  EXPECT_EQ(vElements[1]->TagName(), "Other");

  struct Row {
    const char* sText;
    const char* sSays;
  };
  const Row rows[] = {{"<Plan><KSV940Test ID=\"8\"></Plan>", "at byte"},
                      {"", "No document element"},
                      {"<Plan><a></b></Plan>", "mismatch"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sText);
    auto err = Caught([&] { plan.LoadText(row.sText); });
    EXPECT_EQ(err.Number(), erInvalidCall);
    EXPECT_NE(err.Description().find(row.sSays), std::string::npos) << err.Description();
  }
  auto err = Caught([&] { plan.LoadFile(::testing::TempDir() + "no/such/plan.xml"); });
  EXPECT_NE(err.Description().find("no/such/plan.xml"), std::string::npos);
  EXPECT_EQ(Caught([&] { plan.SaveFile("/no/such/dir/plan.xml"); }).Number(), erInvalidCall);
  EXPECT_EQ(plan.Elements()[0]->GetAttribute("PC"), "6");
}

TEST(CXmlDocument, ElementsKeepTheirDocumentAlive) {
  std::shared_ptr<IOrvexXmlElement> pElement;
  {
    CXmlDocument plan;
    pElement = plan.CreateElement("KSV940Test");
  }
  pElement->SetAttribute("ID", "24");
  EXPECT_EQ(pElement->TagName(), "KSV940Test");
  EXPECT_EQ(pElement->GetAttribute("ID"), "24");
}

}  // namespace
}  // namespace ksv940
