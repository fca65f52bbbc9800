#include "host/default/CXmlDocument.h"

#include <gtest/gtest.h>

#include "platform/core/MRuntime.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

TEST(CXmlDocument, AMalformedPlanIsRefusedAndTheDocumentKept) {
  CXmlDocument plan;
  plan.LoadText("<Plan><KSV940Test ID=\"8\" PC=\"3\"/><!-- note --><Other/></Plan>");
  ASSERT_EQ(plan.Elements().size(), 2u);
  for (const char* szText : {"<Plan><KSV940Test ID=\"8\"></Plan>", "", "<Plan><a></b></Plan>"}) {
    EXPECT_EQ(test::Caught([&] { plan.LoadText(szText); }).Number(), erInvalidCall) << szText;
  }
  auto err = test::Caught([&] { plan.LoadFile("/no/such/plan.xml"); });
  EXPECT_NE(err.Description().find("/no/such/plan.xml"), std::string::npos);
  EXPECT_EQ(plan.Elements().at(0)->GetAttribute("PC"), "3");
  // An element keeps its document alive.
  auto pElement = CXmlDocument().CreateElement("KSV940Test");
  pElement->SetAttribute("ID", "24");
  EXPECT_EQ(pElement->TagName() + pElement->GetAttribute("ID"), "KSV940Test24");
}

}  // namespace
}  // namespace ksv940
