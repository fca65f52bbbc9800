#include "model/CKsvSafetyTest.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "hostapi/IErrorService.h"
#include "hostapi/IOrvexXml.h"
#include "model/CMicroSequence.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/core/MRuntime.h"
#include "resources/CStringTable.h"
#include "support/MError.h"

namespace ksv940 {

namespace {

constexpr const char* kSource = "CKsvSafetyTest";
constexpr const char* kXmlTag = "KSV940Test";
constexpr int32_t kHostErrorFlags = 1;

// Which power configurations each test can be performed in, and the lead validation assigns.
// fAllBut rows list the configurations excluded; every other value is valid, also one outside
// the enumeration.
struct SValidityRow {
  std::vector<int32_t> vCodes;
  int16_t iLead;
  bool fAllBut;
  std::vector<int32_t> vConfigs;
};

const std::vector<SValidityRow>& ValidityTable() {
  static const std::vector<SValidityRow> table = {
      {{etcMains}, KSV_LEAD_NONE, false, {epcMainsL1L2, epcMainsL1Gnd, epcMainsL2Gnd}},
      {{etcProtEarth, etcIRMains, etcIRAppl, etcIRMap, etcIRM2N, etcIRAppl2N, etcPPVolt, etcPPRes,
        etcPPLeak},
       KSV_LEAD_NONE,
       false,
       {epcOff}},
      {{etcEarthLeak}, KSV_LEAD_NONE, true, {epcOff, epcOE, epcOERM}},
      {{etcEnclLeak, etcPatAux}, KSV_LEAD_FIRST, true, {epcOff}},
      {{etcPatLeak, etcAccLeak}, KSV_LEAD_ALL, true, {epcOff}},
      {{etcMAP, etcDAPLeak}, KSV_LEAD_ALL, false, {epcNC, epcNCRM}},
      {{etcEquipCurr}, KSV_LEAD_NONE, false, {epcNC}},
      {{etcAltEquip}, KSV_LEAD_ALL, false, {epcOffOE, epcOff}},
      {{etcDiffLeak, etcAltAppl}, KSV_LEAD_ALL, false, {epcOff, epcNC, epcOE, epcNCRM, epcOERM}},
      {{etcDELeak}, KSV_LEAD_ALL, false, {epcNC, epcOE, epcNCRM, epcOERM}},
      {{etcAccVoltage}, KSV_LEAD_NONE, true, {epcOff}},
      {{etcECGTest}, KSV_LEAD_NONE, false, {epcNC}},
  };
  return table;
}

bool Contains(const std::vector<int32_t>& vValues, int32_t lValue) {
  return std::find(vValues.begin(), vValues.end(), lValue) != vValues.end();
}

std::optional<std::string> TableRow(int32_t lBase, int32_t lCode) {
  int64_t lId = static_cast<int64_t>(lBase) + lCode;
  if (lId < INT32_MIN || lId > INT32_MAX) {
    return std::nullopt;
  }
  return CStringTable::Load(static_cast<int32_t>(lId));
}

// Hands a failure of Load or Save to the host's error service: the numbers the operation raises
// itself (vOwn) are raised with the host's text and vParams, anything else is forwarded. A service
// that returns has not raised, so the failure is then raised here as it is.
[[noreturn]] void RaisePlanFailure(const CAutomationError& errFailure,
                                   std::initializer_list<int32_t> vOwn,
                                   const CVariantList& vParams) {
  auto& errors = CContext::Get<IErrorService>();
  int32_t lNumber = errFailure.Number();
  if (std::find(vOwn.begin(), vOwn.end(), lNumber) != vOwn.end()) {
    errors.RaiseHostError(kTextModule, lNumber, kSource, kHostErrorFlags, vParams);
  }
  errors.ForwardError(errFailure, kSource);
  throw errFailure;
}

}  // namespace

int32_t CKsvSafetyTest::Phase() const {
  switch (mlPowerConfig) {
    case epcOffOE:
    case epcOff:
      return eppPowerOff;
    case epcON:
      return eppOpenNeutral;
    case epcNC:
    case epcOE:
      return eppNormal;
    case epcONRM:
      return eppOpenNeutralRev;
    case epcNCRM:
    case epcOERM:
      return eppReversed;
    default:
      return 0;
  }
}

std::optional<std::string> CKsvSafetyTest::Unit() const {
  return TableRow(CStringTable::kUnitBase, mlTestCode);
}

std::optional<std::string> CKsvSafetyTest::ValueFormat() const {
  return TableRow(CStringTable::kValueFormatBase, mlTestCode);
}

bool CKsvSafetyTest::IsLeadTest() const {
  return mlTestCode >= etcEnclLeak && mlTestCode <= etcMAP;
}

void CKsvSafetyTest::Validate() {
  for (const SValidityRow& row : ValidityTable()) {
    if (Contains(row.vCodes, mlTestCode)) {
      // The lead is reset before the verdict, so an invalid combination of a known test also
      // carries the test's default lead.
      miLeadNo = row.iLead;
      if (Contains(row.vConfigs, mlPowerConfig) != row.fAllBut) {
        return;
      }
      break;
    }
  }
  RaiseError(errVTI_InvalidTest, kSource);
}

void CKsvSafetyTest::Initialize(int32_t etc, int32_t epc) {
  try {
    mlTestCode = etc;
    mlPowerConfig = epc;
    Validate();
  } catch (...) {
    RaiseError(errVTI_InvalidTest, kSource, "",
               {CVariant(mlTestCode), CVariant(mlPowerConfig), CVariant(miLeadNo)});
  }
}

void CKsvSafetyTest::Load(IOrvexXmlElement& ixeIn) {
  try {
    if (ixeIn.TagName() != kXmlTag) {
      throw CAutomationError(kErrNotKsvTestElement, kSource, "");
    }
    mlTestCode = TextToInt32(ixeIn.GetAttribute("ID"));
    mlPowerConfig = TextToInt32(ixeIn.GetAttribute("PC"));
    Validate();
  } catch (...) {
    CAutomationError errFailure = CAutomationError::FromCurrentException();
    CVariantList vParams;
    if (errFailure.Number() == errVTI_InvalidTest) {
      vParams = {CVariant(mlTestCode), CVariant(mlPowerConfig), CVariant(miLeadNo)};
    }
    RaisePlanFailure(errFailure, {kErrNotKsvTestElement, errVTI_InvalidTest}, vParams);
  }
}

std::shared_ptr<IOrvexXmlElement> CKsvSafetyTest::Save(IOrvexXmlDocument& ixdDoc) const {
  try {
    std::shared_ptr<IOrvexXmlElement> ixeOut = ixdDoc.CreateElement(kXmlTag);
    if (!ixeOut) {
      throw CAutomationError(kErrCreateElementFailed, kSource, "");
    }
    ixeOut->SetAttribute("ID", std::to_string(mlTestCode));
    ixeOut->SetAttribute("PC", std::to_string(mlPowerConfig));
    return ixeOut;
  } catch (...) {
    RaisePlanFailure(CAutomationError::FromCurrentException(), {kErrCreateElementFailed}, {});
  }
}

std::shared_ptr<CMicroSequence> CKsvSafetyTest::CreateMicroSequence(
    const CKsvTestOptions& testOptions) const {
  try {
    auto pSequence = std::make_shared<CMicroSequence>();
    pSequence->Initialize(mlTestCode, mlPowerConfig, msAP, msNAP, testOptions);
    return pSequence;
  } catch (...) {
    CAutomationError errFailure = CAutomationError::FromCurrentException();
    throw CAutomationError(errVTI_InvalidMuSeq, errFailure.Source(), errFailure.Description());
  }
}

}  // namespace ksv940
