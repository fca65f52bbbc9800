#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "declares/GDeclares.h"
#include "platform/automation/CServerLock.h"
#include "platform/automation/IAutomationObject.h"

namespace ksv940 {

class CKsvTestOptions;
class CMicroSequence;
class IOrvexXmlDocument;
class IOrvexXmlElement;

/// One measurement the host wants performed: a test code, the outlet's power configuration during
/// the test, the applied-part lead and the applied-part texts. It knows which combinations the
/// instrument can perform, the default lead of each test, how its result is presented, and how it
/// is kept in the host's XML test plan.
class CKsvSafetyTest : public IAutomationObject {
 public:
  std::string ClassName() const override { return "CKsvSafetyTest"; }

  int32_t TestCode() const { return mlTestCode; }
  int32_t PowerConfig() const { return mlPowerConfig; }
  int16_t LeadNo() const { return miLeadNo; }
  void SetLeadNo(int16_t iLeadNo) { miLeadNo = iLeadNo; }
  const std::string& AP() const { return msAP; }
  void SetAP(const std::string& sAP) { msAP = sAP; }
  const std::string& NAP() const { return msNAP; }
  void SetNAP(const std::string& sNAP) { msNAP = sNAP; }

  /// The phase of PowerConfig: eppPowerOff for the two off configurations, eppNormal for normal
  /// condition and open earth, eppOpenNeutral, eppOpenNeutralRev, eppReversed for normal condition
  /// and open earth with reversed mains; 0 for every other value.
  int32_t Phase() const;
  /// The unit (string 8200 + TestCode) and the host's display format of the value (8100 +
  /// TestCode); nothing when the string table has no such row.
  std::optional<std::string> Unit() const;
  std::optional<std::string> ValueFormat() const;
  /// True for the tests that measure on one applied-part lead: enclosure, patient and
  /// patient-auxiliary leakage, mains on applied part.
  bool IsLeadTest() const;

  /// Stores the test code and power configuration and validates them. An invalid combination
  /// raises errVTI_InvalidTest from CKsvSafetyTest with text 906 and the parameters TestCode,
  /// PowerConfig and LeadNo as they stand after validation (a known test code has reset LeadNo to
  /// its default already).
  void Initialize(int32_t etc, int32_t epc);

  /// Reads the test from a "KSV940Test" element (attributes "ID" and "PC") and validates it; the
  /// lead becomes the test's default, the texts stay. Failures go through the host's error
  /// service: a wrong tag as 0x8004A3C2, an invalid combination as errVTI_InvalidTest with the
  /// three parameters, anything else (a value that is not a number, a failing host call)
  /// forwarded. The fields keep what was read before a failure.
  void Load(IOrvexXmlElement& ixeIn);

  /// A new "KSV940Test" element of ixdDoc holding the test code and power configuration. A
  /// document that makes no element fails through the host's error service as 0x8004A3C3.
  std::shared_ptr<IOrvexXmlElement> Save(IOrvexXmlDocument& ixdDoc) const;

  /// A new micro sequence for this test with the options. Any failure is raised again as
  /// errVTI_InvalidMuSeq with its source and description.
  std::shared_ptr<CMicroSequence> CreateMicroSequence(const CKsvTestOptions& testOptions) const;

 private:
  /// Resets LeadNo to the test code's default (for a known code) and raises errVTI_InvalidTest
  /// when the power configuration is not one the test can be performed in.
  void Validate();

  int32_t mlPowerConfig = 0;
  int32_t mlTestCode = 0;
  int16_t miLeadNo = 0;
  std::string msAP;
  std::string msNAP;
  CServerLock mServerLock;
};

}  // namespace ksv940
