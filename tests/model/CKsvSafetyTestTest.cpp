#include "model/CKsvSafetyTest.h"

#include <gtest/gtest.h>

#include <map>

#include "hostapi/IErrorService.h"
#include "hostdefaults/CXmlDocument.h"
#include "model/CKsvTestOptions.h"
#include "model/CMicroSequence.h"
#include "platform/core/MRuntime.h"
#include "testing/CTempDir.h"
#include "testing/CTestContext.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;

TEST(CKsvSafetyTest, PhaseAndTheSequenceFollowCodeConfigurationAndTexts) {
  test::CTestContext ctx;
  CKsvSafetyTest test;
  const char* szPhases = "0113224550000000000";  // of power configurations -1 to 17
  for (int iPower = -1; iPower <= 17; ++iPower) {
    Caught([&] { test.Initialize(25, iPower); }, true);
    EXPECT_EQ(test.Phase(), szPhases[iPower + 1] - '0') << iPower;
  }
  CKsvTestOptions options;
  test.Initialize(etcPatLeak, epcNC);
  test.SetAP("all");
  test.SetNAP("2");
  auto pSequence = test.CreateMicroSequence(options);
  ASSERT_EQ(pSequence->Count(), 13);
  EXPECT_EQ(pSequence->Instruction(8) + "|" + pSequence->Instruction(9), "ap=all|grp=2");
  for (int32_t i : {-1, 13, INT32_MIN}) {
    EXPECT_EQ(pSequence->Instruction(i) + pSequence->GetResetInstructions(i), "") << i;
  }
  EXPECT_EQ(pSequence->GetResetInstructions(0), "");
  // A sequence that fails to initialize again keeps the list it had.
  options.SetECGDuration(-32);
  CMicroSequence sequence;
  sequence.Initialize(etcECGTest, epcNC, "", "", options);
  options.SetDuration(INT32_MAX / 1000 + 1);
  auto err = Caught([&] { sequence.Initialize(etcIRMains, epcOff, "", "", options); });
  EXPECT_EQ(err.Number(), errVTI_InvalidMuSeq);
  EXPECT_EQ(err.Source(), "CMicroSequence");
  EXPECT_EQ(sequence.Count(), 8);
  EXPECT_EQ(sequence.Instruction(4), "#wait=-32000");
}

// A test plan element or document that answers, or fails, as the test says.
struct SPlan : IOrvexXmlElement, IOrvexXmlDocument {
  std::string sTag = "KSV940Test";
  std::map<std::string, std::string> attributes;
  bool fFail = false;
  std::shared_ptr<IOrvexXmlElement> pCreated;

  std::string Check(const std::string& sAnswer) const {
    return fFail ? throw CAutomationError(91, "Orvex", "Object variable not set") : sAnswer;
  }
  std::string TagName() const override { return Check(sTag); }
  std::string GetAttribute(const std::string& sName) const override {
    return Check(attributes.count(sName) != 0 ? attributes.at(sName) : "");
  }
  void SetAttribute(const std::string& sName, const std::string& sValue) override {
    attributes[sName] = Check(sValue);
  }
  std::shared_ptr<IOrvexXmlElement> CreateElement(const std::string&) override { return pCreated; }
};

// Records what reached the host's error service, then raises as a host would.
struct SErrorService : IErrorService {
  std::string sCall;
  void RaiseHostError(const std::string& sModule, int32_t lNumber, const std::string& sSource,
                      int32_t lFlags, const CVariantList& vParams) override {
    sCall = "host " + sModule + " " + std::to_string(lNumber) + " " + sSource + " " +
            std::to_string(lFlags);
    for (const CVariant& vParam : vParams) {
      sCall += " " + vParam.ToText();
    }
    throw CAutomationError(lNumber, sSource, "");
  }
  void ForwardError(const CAutomationError& err, const std::string& sSource) override {
    sCall = "forward " + std::to_string(err.Number()) + " " + sSource;
    throw CAutomationError(err.Number(), sSource, err.Description());
  }
};

TEST(CKsvSafetyTest, ATestPlanRoundTripsAndItsFailuresGoThroughTheHostsErrorService) {
  test::CTestContext ctx;
  test::CTempDir dir;
  CXmlDocument plan;
  CKsvSafetyTest test;
  test.Initialize(etcEnclLeak, epcNC);
  test.Save(plan);
  plan.SaveFile(dir.PathOf("plan.xml"));
  CXmlDocument loaded;
  loaded.LoadFile(dir.PathOf("plan.xml"));
  EXPECT_NE(loaded.Text().find("<KSV940Test ID=\"9\" PC=\"3\" />"), std::string::npos);
  CKsvSafetyTest read;
  read.SetAP("1/2");
  read.Load(*loaded.Elements().at(0));
  EXPECT_EQ(read.TestCode() * 100 + read.PowerConfig(), 903);
  EXPECT_EQ(read.LeadNo(), KSV_LEAD_FIRST);
  EXPECT_EQ(read.AP(), "1/2");
  // Our own error service gives the host's numbers their texts.
  SPlan element;
  element.sTag = "Test";
  EXPECT_EQ(Caught([&] { read.Load(element); }).Number(), kErrNotKsvTestElement);
  EXPECT_EQ(Caught([&] { read.Save(element); }).Number(), kErrCreateElementFailed);

  auto pErrors = std::make_shared<SErrorService>();
  ctx.Scope().Set<IErrorService>(pErrors);
  const std::string sHost = "host KSV940 ";
  struct SRow {
    const char* szTag;
    const char* szId;
    const char* szPower;
    std::string sCall;
    int32_t lCodeAndPower;  // after the failure; a test of 9 in 3 was loaded before
  };
  const SRow rows[] = {
      {"KSV940test", "1", "8", sHost + "-2147179582 CKsvSafetyTest 1", 903},
      {"KSV940Test", "8", "x", "forward 13 CKsvSafetyTest", 803},
      {"KSV940Test", "2.5", "1.5", sHost + "-2147179416 CKsvSafetyTest 1 2 2 -1", 202},
      {"KSV940Test", "25", "3", sHost + "-2147179416 CKsvSafetyTest 1 25 3 1", 2503}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.sCall);
    SPlan good;
    good.attributes = {{"ID", "9.5"}, {"PC", "2.5"}};  // halves go to the even neighbour
    test.Load(good);
    EXPECT_EQ(test.TestCode() * 100 + test.PowerConfig(), 1002);
    good.attributes = {{"ID", "9"}, {"PC", "3"}};
    test.Load(good);
    SPlan bad;
    bad.sTag = row.szTag;
    bad.attributes = {{"ID", row.szId}, {"PC", row.szPower}};
    Caught([&] { test.Load(bad); });
    EXPECT_EQ(pErrors->sCall, row.sCall);
    EXPECT_EQ(test.TestCode() * 100 + test.PowerConfig(), row.lCodeAndPower);
  }
  SPlan failing;
  failing.fFail = true;
  Caught([&] { test.Load(failing); });
  EXPECT_EQ(pErrors->sCall, "forward 91 CKsvSafetyTest");
  test.Initialize(etcMains, epcMainsL2Gnd);
  SPlan document;
  Caught([&] { test.Save(document); });
  EXPECT_EQ(pErrors->sCall, "host KSV940 -2147179581 CKsvSafetyTest 1");
  auto pElement = std::make_shared<SPlan>();
  document.pCreated = pElement;
  EXPECT_EQ(test.Save(document), pElement);
  EXPECT_EQ(pElement->attributes, (std::map<std::string, std::string>{{"ID", "1"}, {"PC", "10"}}));
}

}  // namespace
}  // namespace ksv940
