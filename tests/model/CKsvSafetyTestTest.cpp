#include "model/CKsvSafetyTest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "host/IErrorService.h"
#include "host/default/CXmlDocument.h"
#include "model/CKsvTestOptions.h"
#include "model/CMicroSequence.h"
#include "platform/core/MRuntime.h"
#include "testing/CTempDir.h"
#include "testing/CTestContext.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;

// Power configurations -1 to 17, one character each: x where the test can be performed.
struct SValidityRow {
  std::vector<int> vCodes;
  int iLead;  // 7: the lead set before Initialize stays
  const char* sValid;
};

const SValidityRow kValidity[] = {
    {{1}, -1, ".........xxx......."},
    {{2, 3, 4, 5, 6, 7, 13, 14, 15}, -1, "..x................"},
    {{8}, -1, "xx.xx.xx.xxxxxxxxxx"},
    {{9, 11}, 1, "xx.xxxxxxxxxxxxxxxx"},
    {{10, 21}, 0, "xx.xxxxxxxxxxxxxxxx"},
    {{23}, -1, "xx.xxxxxxxxxxxxxxxx"},
    {{12, 20}, 0, "....x..x..........."},
    {{16, 24}, -1, "....x.............."},
    {{17}, 0, ".xx................"},
    {{18, 22}, 0, "..x.xx.xx.........."},
    {{19}, 0, "....xx.xx.........."},
    {{-1, 0, 25}, 7, "..................."},
};

TEST(CKsvSafetyTest, ValidityAndLeadFollowTheTableForEveryCodeAndConfiguration) {
  test::CTestContext ctx;
  for (const SValidityRow& row : kValidity) {
    for (int iCode : row.vCodes) {
      for (int iPower = -1; iPower <= 17; ++iPower) {
        SCOPED_TRACE(std::to_string(iCode) + " in " + std::to_string(iPower));
        CKsvSafetyTest test;
        test.SetLeadNo(7);
        bool fValid = row.sValid[iPower + 1] == 'x';
        if (fValid) {
          EXPECT_NO_THROW(test.Initialize(iCode, iPower));
        } else {
          auto err = Caught([&] { test.Initialize(iCode, iPower); });
          EXPECT_EQ(err.Number(), errVTI_InvalidTest);
          EXPECT_EQ(err.Source(), "CKsvSafetyTest");
          EXPECT_EQ(err.Description(), "The selected test (TestNo = " + std::to_string(iCode) +
                                           ", Power Config = " + std::to_string(iPower) +
                                           ", Lead No = " + std::to_string(row.iLead) +
                                           ") is not a valid KSV940 test and cannot be performed.");
        }
        EXPECT_EQ(test.TestCode(), iCode);
        EXPECT_EQ(test.PowerConfig(), iPower);
        EXPECT_EQ(test.LeadNo(), row.iLead);
      }
    }
  }
}

// Stores code and configuration whether or not the combination is valid.
void InitializeAnyway(CKsvSafetyTest& test, int32_t etc, int32_t epc) {
  try {
    test.Initialize(etc, epc);
  } catch (const CAutomationError&) {
  }
}

TEST(CKsvSafetyTest, PresentationFollowsCodeAndConfiguration) {
  test::CTestContext ctx;
  // Phase of power configurations -1 to 17.
  const char* sPhases = "0113224550000000000";
  for (int iPower = -1; iPower <= 17; ++iPower) {
    CKsvSafetyTest test;
    InitializeAnyway(test, 25, iPower);
    EXPECT_EQ(test.Phase(), sPhases[iPower + 1] - '0') << iPower;
  }
  struct Row {
    int iCode;
    std::optional<std::string> sUnit, sFormat;
    bool fLeadTest;
  };
  const std::optional<std::string> none;
  const Row rows[] = {
      {1, "V", "# ##0.0", false},
      {2, "Ohm", "# ##0.000", false},
      {3, "MOhm", "# ##0.0", false},
      {7, "MOhm", "# ##0.0", false},
      {8, "uA", "# ##0", false},
      {9, "uA", "# ##0", true},
      {12, "uA", "# ##0", true},
      {13, "V", "# ##0.0", false},
      {14, "Ohm", "# ##0.000", false},
      {15, "uA", "# ##0.0", false},
      {16, "A", "#0.0", false},
      {17, "uA", "# ##0", false},
      {22, "uA", "# ##0", false},
      {23, none, none, false},
      {24, none, none, false},
      {25, none, none, false},
      // The heading rows of the blocks are rows of the table too.
      {0, "=== UNITS ===", "=== VALUE FORMATS ===", false},
      {-100, "=== VALUE FORMATS ===", "=== MICRO SEQUENCES ===", false},
      {INT32_MAX, none, none, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.iCode);
    CKsvSafetyTest test;
    InitializeAnyway(test, row.iCode, 99);
    EXPECT_EQ(test.Unit(), row.sUnit);
    EXPECT_EQ(test.ValueFormat(), row.sFormat);
    EXPECT_EQ(test.IsLeadTest(), row.fLeadTest);
  }
}

// A test plan element whose every call can be made to fail.
class CPlanElement : public IOrvexXmlElement {
 public:
  std::string sTag = "KSV940Test";
  std::map<std::string, std::string> attributes;
  bool fFail = false;

  std::string TagName() const override {
    FailIfAsked();
    return sTag;
  }
  std::string GetAttribute(const std::string& sName) const override {
    FailIfAsked();
    auto it = attributes.find(sName);
    return it == attributes.end() ? "" : it->second;
  }
  void SetAttribute(const std::string& sName, const std::string& sValue) override {
    FailIfAsked();
    attributes[sName] = sValue;
  }
  void FailIfAsked() const {
    if (fFail) {
      throw CAutomationError(91, "Orvex", "Object variable not set");
    }
  }
};

class CPlanDocument : public IOrvexXmlDocument {
 public:
  std::shared_ptr<IOrvexXmlElement> pAnswer;
  std::shared_ptr<IOrvexXmlElement> CreateElement(const std::string&) override { return pAnswer; }
};

// Records what reached the host's error service, then raises as a host would.
class CRecordingErrorService : public IErrorService {
 public:
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
  void ForwardError(const CAutomationError& errFailure, const std::string& sSource) override {
    sCall = "forward " + std::to_string(errFailure.Number()) + " " + sSource;
    throw CAutomationError(errFailure.Number(), sSource, errFailure.Description());
  }
};

TEST(CKsvSafetyTest, LoadAndSaveRoundTripThroughARealTestPlan) {
  test::CTestContext ctx;
  CXmlDocument plan;
  CKsvSafetyTest enclosure;
  enclosure.Initialize(etcEnclLeak, epcNC);
  CKsvSafetyTest outside;
  outside.Initialize(etcEarthLeak, 99);
  enclosure.Save(plan);
  outside.Save(plan);
  test::CTempDir dir;
  std::string sPath = dir.PathOf("plan.xml");
  plan.SaveFile(sPath);

  CXmlDocument loaded;
  loaded.LoadFile(sPath);
  EXPECT_NE(loaded.Text().find("<KSV940Test ID=\"9\" PC=\"3\" />"), std::string::npos);
  auto vElements = loaded.Elements();
  ASSERT_EQ(vElements.size(), 2u);
  CKsvSafetyTest test;
  test.SetAP("1/2");
  test.SetLeadNo(5);
  test.Load(*vElements[0]);
  EXPECT_EQ(test.TestCode(), etcEnclLeak);
  EXPECT_EQ(test.PowerConfig(), epcNC);
  EXPECT_EQ(test.LeadNo(), KSV_LEAD_FIRST);
  EXPECT_EQ(test.AP(), "1/2");
  test.Load(*vElements[1]);
  EXPECT_EQ(test.PowerConfig(), 99);
  EXPECT_EQ(test.LeadNo(), KSV_LEAD_NONE);
}

TEST(CKsvSafetyTest, LoadFailuresGoThroughTheHostsErrorService) {
  test::CTestContext ctx;
  auto pErrors = std::make_shared<CRecordingErrorService>();
  ctx.Scope().Set<IErrorService>(pErrors);
  const std::string sHost = "host KSV940 ";
  struct Row {
    const char* sTag;
    const char* sId;
    const char* sPower;
    std::string sCall;
    int32_t lCode, lPower;  // after the failure; a test of 9 in 3 was loaded before
  };
  const Row rows[] = {
      {"KSV940test", "1", "8", sHost + "-2147179582 CKsvSafetyTest 1", 9, 3},
      {"KSV940Test", "abc", "8", "forward 13 CKsvSafetyTest", 9, 3},
      {"KSV940Test", "8", "x", "forward 13 CKsvSafetyTest", 8, 3},
      {"KSV940Test", "", "3", "forward 13 CKsvSafetyTest", 9, 3},
      {"KSV940Test", "99999999999", "3", "forward 6 CKsvSafetyTest", 9, 3},
      {"KSV940Test", "1", "1", sHost + "-2147179416 CKsvSafetyTest 1 1 1 -1", 1, 1},
      {"KSV940Test", "2.5", "1.5", sHost + "-2147179416 CKsvSafetyTest 1 2 2 -1", 2, 2},
      {"KSV940Test", "25", "3", sHost + "-2147179416 CKsvSafetyTest 1 25 3 1", 25, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sCall);
    CPlanElement good;
    good.attributes = {{"ID", "9"}, {"PC", "3"}};
    CKsvSafetyTest test;
    test.Load(good);
    CPlanElement element;
    element.sTag = row.sTag;
    element.attributes = {{"ID", row.sId}, {"PC", row.sPower}};
    Caught([&] { test.Load(element); });
    EXPECT_EQ(pErrors->sCall, row.sCall);
    EXPECT_EQ(test.TestCode(), row.lCode);
    EXPECT_EQ(test.PowerConfig(), row.lPower);
  }
  CPlanElement failing;
  failing.fFail = true;
  CKsvSafetyTest test;
  Caught([&] { test.Load(failing); });
  EXPECT_EQ(pErrors->sCall, "forward 91 CKsvSafetyTest");
  CPlanElement half;
  half.attributes = {{"ID", "9.5"}, {"PC", "2.5"}};  // halves go to the even neighbour
  test.Load(half);
  EXPECT_EQ(test.TestCode(), 10);
  EXPECT_EQ(test.PowerConfig(), 2);
}

TEST(CKsvSafetyTest, SaveFailuresGoThroughTheHostsErrorService) {
  test::CTestContext ctx;
  auto pErrors = std::make_shared<CRecordingErrorService>();
  ctx.Scope().Set<IErrorService>(pErrors);
  CKsvSafetyTest test;
  test.Initialize(etcMains, epcMainsL2Gnd);
  CPlanDocument document;
  Caught([&] { test.Save(document); });
  EXPECT_EQ(pErrors->sCall, "host KSV940 -2147179581 CKsvSafetyTest 1");
  auto pElement = std::make_shared<CPlanElement>();
  pElement->fFail = true;
  document.pAnswer = pElement;
  Caught([&] { test.Save(document); });
  EXPECT_EQ(pErrors->sCall, "forward 91 CKsvSafetyTest");
  pElement->fFail = false;
  EXPECT_EQ(test.Save(document), pElement);
  EXPECT_EQ(pElement->attributes, (std::map<std::string, std::string>{{"ID", "1"}, {"PC", "10"}}));
}

TEST(CKsvSafetyTest, OurErrorServiceGivesTheHostsNumbersWithTheirTexts) {
  test::CTestContext ctx;
  CPlanElement element;
  element.sTag = "Test";
  CKsvSafetyTest test;
  auto err = Caught([&] { test.Load(element); });
  EXPECT_EQ(err.Number(), kErrNotKsvTestElement);
  EXPECT_EQ(err.Source(), "CKsvSafetyTest");
  EXPECT_NE(err.Description().find("KSV940Test"), std::string::npos);
  element.sTag = "KSV940Test";
  element.attributes = {{"ID", "16"}, {"PC", "1"}};
  err = Caught([&] { test.Load(element); });
  EXPECT_EQ(err.Description(),
            "The selected test (TestNo = 16, Power Config = 1, Lead No = -1) is not a valid KSV940 "
            "test and cannot be performed.");
  element.attributes = {{"ID", "16"}, {"PC", "three"}};
  err = Caught([&] { test.Load(element); });
  EXPECT_EQ(err.Number(), erTypeMismatch);
  EXPECT_EQ(err.Description(), "Type mismatch");
  CPlanDocument document;
  EXPECT_EQ(Caught([&] { test.Save(document); }).Number(), kErrCreateElementFailed);
}

TEST(CKsvSafetyTest, CreateMicroSequenceUsesTheTestsTextsAndKeepsTheFailuresSource) {
  test::CTestContext ctx;
  CKsvTestOptions options;
  CKsvSafetyTest test;
  test.Initialize(etcPatLeak, epcNC);
  test.SetAP("all");
  test.SetNAP("2");
  auto pSequence = test.CreateMicroSequence(options);
  ASSERT_EQ(pSequence->Count(), 13);
  EXPECT_EQ(pSequence->Instruction(8), "ap=all");
  EXPECT_EQ(pSequence->Instruction(9), "grp=2");
  options.SetECGDuration(-33);
  auto err = Caught([&] { test.CreateMicroSequence(options); });
  EXPECT_EQ(err.Number(), errVTI_InvalidMuSeq);
  EXPECT_EQ(err.Source(), "CMicroSequence");
  EXPECT_NE(err.Description().find("stored as 8010"), std::string::npos);
}

}  // namespace
}  // namespace ksv940
