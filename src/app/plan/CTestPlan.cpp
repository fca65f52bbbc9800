#include "app/plan/CTestPlan.h"

#include <nettle/sha2.h>
#include <algorithm>
#include <charconv>

#include <cmath>
#include <filesystem>
#include <pugixml.hpp>
#include <set>
#include <system_error>

#include "app/plan/COptionSettings.h"
#include "app/plan/MTestTitles.h"
#include "hostdefaults/CXmlElement.h"
#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestOptions.h"
#include "model/CMicroSequence.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/MText.h"
#include "support/MError.h"

namespace ksv940 {

namespace {

constexpr const char* kRoot = "KSV940Plan";
// The most faults one refusal lists; the rest are counted.
constexpr size_t kMaxFaults = 20;

// A limit: a decimal number with "." whatever the locale.
std::optional<double> ParseNumber(const std::string& sText) {
  double dValue = 0.0;
  const char* pBegin = sText.data();
  const char* pEnd = pBegin + sText.size();
  if (!sText.empty() && *pBegin == '+') {
    ++pBegin;
  }
  auto [pStop, ec] = std::from_chars(pBegin, pEnd, dValue, std::chars_format::fixed);
  if (sText.empty() || ec != std::errc() || pStop != pEnd || !std::isfinite(dValue)) {
    return std::nullopt;
  }
  return dValue;
}

// The SHA-256 of sText in lowercase hexadecimal, from Nettle's digest.
std::string Sha256Hex(const std::string& sText) {
  sha256_ctx context;
  sha256_init(&context);
  sha256_update(&context, sText.size(), reinterpret_cast<const uint8_t*>(sText.data()));
  uint8_t digest[SHA256_DIGEST_SIZE];
  sha256_digest(&context, sizeof digest, digest);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string sHex;
  for (size_t i = 0; i < sizeof digest; ++i) {
    sHex += kHex[digest[i] >> 4];
    sHex += kHex[digest[i] & 0xF];
  }
  return sHex;
}

int32_t LineBreaks(std::string_view sText) {
  int32_t lBreaks = 0;
  for (char c : sText) {
    lBreaks += c == '\n' ? 1 : 0;
  }
  return lBreaks;
}

std::optional<int16_t> ParseLead(const std::string& sText) {
  int iValue = 0;
  auto [pStop, ec] = std::from_chars(sText.data(), sText.data() + sText.size(), iValue);
  if (sText.empty() || ec != std::errc() || pStop != sText.data() + sText.size() ||
      iValue < INT16_MIN || iValue > INT16_MAX) {
    return std::nullopt;
  }
  return static_cast<int16_t>(iValue);
}

// Reads one plan file; every fault names the file and the line of the element at fault.
class CPlanReader {
 public:
  CPlanReader(std::string sPath, const COptionSettings& overrides)
      : msPath(std::move(sPath)), mOverrides(overrides) {}

  void Read(std::string& sName, std::vector<std::string>& vOptions, std::vector<SPlanStep>& vSteps,
            CDeviceUnderTest& device) {
    try {
      msText = ReadFileText(msPath);
    } catch (const std::system_error& e) {
      throw CPlanError(msPath + ": cannot be read: " + e.code().message());
    }
    mpDocument = std::make_shared<pugi::xml_document>();
    pugi::xml_parse_result result = mpDocument->load_buffer(msText.data(), msText.size());
    if (!result) {
      Fail(LineAt(result.offset), std::string("not well-formed XML: ") + result.description());
    }
    pugi::xml_node root;
    for (pugi::xml_node node : mpDocument->children()) {
      if (node.type() != pugi::node_element) {
        continue;
      }
      if (root) {
        Fail(node, "a second root element <" + std::string(node.name()) + ">");
      }
      root = node;
    }
    if (!root) {
      Fail(1, "no <KSV940Plan> element");
    }
    if (std::string(root.name()) != kRoot) {
      Fail(root, "the root element is <" + std::string(root.name()) + ">, not <KSV940Plan>");
    }
    CheckAttributes(root, {"name"});
    sName = root.attribute("name").value();
    if (sName.empty()) {
      sName = msPath.substr(msPath.rfind('/') + 1);
    }
    ReadEntries(root, vOptions, vSteps, device);
    if (vSteps.empty() && mvFaults.empty()) {
      Fail(root, "the plan has no steps");
    }
    CheckSequences(vOptions, vSteps);
    if (!mvFaults.empty()) {
      std::string sFaults;
      for (size_t n = 0; n < std::min(mvFaults.size(), kMaxFaults); ++n) {
        sFaults += (n == 0 ? "" : "\n") + mvFaults[n];
      }
      if (mvFaults.size() > kMaxFaults) {
        size_t nMore = mvFaults.size() - kMaxFaults;
        sFaults += "\n" + msPath + ": " + std::to_string(nMore) +
                   (nMore == 1 ? " more fault" : " more faults") + " not shown";
      }
      throw CPlanError(sFaults);
    }
  }

  /// The file's bytes as read.
  const std::string& Text() const { return msText; }

 private:
  [[noreturn]] void Fail(int32_t lLine, const std::string& sReason) const {
    throw CPlanError(msPath + ":" + std::to_string(lLine) + ": " + sReason);
  }
  [[noreturn]] void Fail(const pugi::xml_node& node, const std::string& sReason) const {
    Fail(LineAt(node.offset_debug()), sReason);
  }
  // Runs fnCheck; a fault it finds is kept and reading goes on with what follows.
  template <typename F>
  void Keeping(F fnCheck) {
    try {
      fnCheck();
    } catch (const CPlanError& e) {
      mvFaults.emplace_back(e.what());
    }
  }

  int32_t LineAt(ptrdiff_t nOffset) const {
    size_t nEnd = std::min(static_cast<size_t>(std::max<ptrdiff_t>(nOffset, 0)), msText.size());
    return 1 + LineBreaks(std::string_view(msText).substr(0, nEnd));
  }

  // Every attribute must be one the element takes, and only once.
  void CheckAttributes(const pugi::xml_node& node, std::initializer_list<const char*> vKnown) {
    std::set<std::string> seen;
    for (pugi::xml_attribute attribute : node.attributes()) {
      std::string sAttribute = attribute.name();
      if (!seen.insert(sAttribute).second) {
        Fail(node, "attribute \"" + sAttribute + "\" is given twice");
      }
      if (std::find_if(vKnown.begin(), vKnown.end(),
                       [&](const char* sz) { return sAttribute == sz; }) == vKnown.end()) {
        std::string sList;
        for (const char* sz : vKnown) {
          sList += (sList.empty() ? "" : ", ") + std::string(sz);
        }
        Fail(node, "<" + std::string(node.name()) + "> has no attribute \"" + sAttribute +
                       "\"; it takes " + (sList.empty() ? "none" : sList));
      }
    }
  }

  void CheckEmpty(const pugi::xml_node& node) {
    for (pugi::xml_node child : node.children()) {
      if (child.type() == pugi::node_element || child.type() == pugi::node_pcdata ||
          child.type() == pugi::node_cdata) {
        Fail(child.type() == pugi::node_element ? child : node,
             "<" + std::string(node.name()) + "> holds nothing; close it with />");
      }
    }
  }

  // Each element of the plan in turn; a fault in one is kept and the next is read.
  void ReadEntries(const pugi::xml_node& root, std::vector<std::string>& vOptions,
                   std::vector<SPlanStep>& vSteps, CDeviceUnderTest& device) {
    SSeen seen;
    for (pugi::xml_node node : root.children()) {
      Keeping([&] { ReadEntry(node, seen, vOptions, vSteps, device); });
    }
  }

  // Which of the elements that come at most once a plan has given so far.
  struct SSeen {
    bool fOptions = false;
    bool fDevice = false;
  };

  void ReadEntry(const pugi::xml_node& node, SSeen& seen, std::vector<std::string>& vOptions,
                 std::vector<SPlanStep>& vSteps, CDeviceUnderTest& device) {
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
      // The line where the text itself begins, after the line break that ends the tag before.
      std::string sText = node.value();
      size_t nStart = sText.find_first_not_of(" \t\r\n");
      size_t nEnd = sText.find_last_not_of(" \t\r\n");
      Fail(LineAt(node.offset_debug()) + LineBreaks(std::string_view(sText).substr(0, nStart)),
           "text outside the plan's elements: \"" + sText.substr(nStart, nEnd - nStart + 1) + "\"");
    }
    if (node.type() != pugi::node_element) {
      return;
    }
    std::string sTag = node.name();
    CheckEmpty(node);
    if (sTag == "Options") {
      if (seen.fOptions) {
        Fail(node, "a second <Options>; give every option in one");
      }
      seen.fOptions = true;
      ReadOptions(node, vOptions);
    } else if (sTag == "Device") {
      if (seen.fDevice || !vSteps.empty()) {
        Fail(node, seen.fDevice ? "a second <Device>; a plan tests one device"
                                : "<Device> comes before the steps");
      }
      seen.fDevice = true;
      ReadDevice(node, device);
    } else if (sTag == "KSV940Test") {
      vSteps.push_back(ReadTest(node));
    } else if (sTag == "Calibrate" || sTag == "HighVoltageCheck") {
      CheckAttributes(node, {"name"});
      SPlanStep step;
      step.esk = sTag == "Calibrate" ? eskCalibrate : eskHighVoltage;
      step.lLine = LineAt(node.offset_debug());
      step.sName = node.attribute("name").value();
      if (step.sName.empty()) {
        step.sName = step.esk == eskCalibrate ? "Zero the test leads" : "High voltage check";
      }
      step.fTakesReading = step.esk == eskCalibrate;
      vSteps.push_back(std::move(step));
    } else {
      Fail(node, "unknown element <" + sTag +
                     ">; a plan holds <Options>, <Device>, <Calibrate>, <KSV940Test> and "
                     "<HighVoltageCheck>");
    }
  }

  void ReadOptions(const pugi::xml_node& node, std::vector<std::string>& vOptions) {
    std::set<std::string> seen;
    for (pugi::xml_attribute attribute : node.attributes()) {
      Keeping([&] {
        std::string sSetting = std::string(attribute.name()) + "=" + attribute.value();
        std::string sProblem = COptionSettings::Problem(sSetting);
        if (!sProblem.empty()) {
          Fail(node, sProblem);
        }
        if (!seen.insert(LowerAscii(attribute.name())).second) {
          Fail(node, "<Options>: option \"" + std::string(attribute.name()) + "\" is given twice");
        }
        vOptions.push_back(sSetting);
      });
    }
  }

  void ReadDevice(const pugi::xml_node& node, CDeviceUnderTest& device) {
    CheckAttributes(node,
                    {"asset", "manufacturer", "model", "serial", "location", "class", "type"});
    for (pugi::xml_attribute attribute : node.attributes()) {
      std::string sProblem = CDeviceUnderTest::Problem(attribute.name(), attribute.value());
      if (!sProblem.empty()) {
        Fail(node, "<Device>: " + sProblem);
      }
      device.Set(attribute.name(), attribute.value());
    }
  }

  SPlanStep ReadTest(const pugi::xml_node& node) {
    CheckAttributes(node, {"ID", "PC", "AP", "NAP", "LeadNo", "name", "min", "max"});
    SPlanStep step;
    step.lLine = LineAt(node.offset_debug());
    std::string sWhat = "<KSV940Test ID=\"" + std::string(node.attribute("ID").value()) +
                        "\" PC=\"" + node.attribute("PC").value() + "\">";
    if (!node.attribute("ID") || !node.attribute("PC")) {
      Fail(node, "<KSV940Test> needs ID (the test code) and PC (the power configuration)");
    }
    step.pTest = std::make_shared<CKsvSafetyTest>();
    // The element goes through the test's own Load, as a test stored in the host's plan does.
    CXmlElement element(mpDocument, node);
    try {
      step.pTest->Load(element);
    } catch (...) {
      Fail(node, sWhat + ": " + CAutomationError::FromCurrentException().Description());
    }
    // What the host sets after loading a test.
    if (node.attribute("AP")) {
      step.pTest->SetAP(node.attribute("AP").value());
    }
    if (node.attribute("NAP")) {
      step.pTest->SetNAP(node.attribute("NAP").value());
    }
    if (node.attribute("LeadNo")) {
      std::optional<int16_t> iLead = ParseLead(node.attribute("LeadNo").value());
      if (!iLead) {
        Fail(node, sWhat + ": LeadNo \"" + node.attribute("LeadNo").value() +
                       "\" is not a whole number from -32768 to 32767");
      }
      step.pTest->SetLeadNo(*iLead);
    }
    for (const char* szLimit : {"min", "max"}) {
      if (!node.attribute(szLimit)) {
        continue;
      }
      std::optional<double> dLimit = ParseNumber(node.attribute(szLimit).value());
      if (!dLimit) {
        Fail(node, sWhat + ": " + szLimit + " \"" + node.attribute(szLimit).value() +
                       "\" is not a number (digits with \".\" for decimals)");
      }
      (std::string(szLimit) == "min" ? step.dMin : step.dMax) = dLimit;
    }
    if (step.dMin && step.dMax && *step.dMin > *step.dMax) {
      Fail(node, sWhat + ": min is above max");
    }
    step.sName = node.attribute("name").value();
    if (step.sName.empty()) {
      step.sName = DefaultStepName(step.pTest->TestCode(), step.pTest->PowerConfig());
    }
    return step;
  }

  // Each test's micro sequence with the options in force: what the run will build.
  void CheckSequences(const std::vector<std::string>& vOptions, std::vector<SPlanStep>& vSteps) {
    CKsvTestOptions options;
    COptionSettings::Apply(vOptions, options);
    mOverrides.ApplyTo(options);
    for (SPlanStep& step : vSteps) {
      if (step.esk == eskTest) {
        Keeping([&] { CheckSequence(options, step); });
      }
    }
  }

  void CheckSequence(const CKsvTestOptions& options, SPlanStep& step) const {
    std::shared_ptr<CMicroSequence> pSequence;
    try {
      pSequence = step.pTest->CreateMicroSequence(options);
    } catch (...) {
      Fail(step.lLine, step.sName + ": " + OperatorText(CAutomationError::FromCurrentException()));
    }
    step.fTakesReading = false;
    for (int32_t i = 0; i < pSequence->Count(); ++i) {
      std::string sKind = pSequence->Instruction(i).substr(0, 5);
      step.fTakesReading = step.fTakesReading || sKind == "#many" || sKind == "#read";
    }
    if (!step.fTakesReading && (step.dMin || step.dMax)) {
      Fail(step.lLine, step.sName + ": the test takes no reading, so it has no min or max");
    }
  }

  std::string msPath;
  const COptionSettings& mOverrides;
  std::string msText;
  std::shared_ptr<pugi::xml_document> mpDocument;
  std::vector<std::string> mvFaults;  // every fault found so far, in the order of the file
};

}  // namespace

CTestPlan CTestPlan::Read(const std::string& sPath, const COptionSettings& overrides) {
  CTestPlan plan;
  plan.msFile = sPath;
  CPlanReader reader(sPath, overrides);
  reader.Read(plan.msName, plan.mvOptions, plan.mvSteps, plan.mDevice);
  plan.msSha256 = Sha256Hex(reader.Text());
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(sPath, ec);
  plan.msAbsolutePath = ec ? sPath : absolute.lexically_normal().string();
  return plan;
}

CTestPlan CTestPlan::OfOneStep(EStepKind esk, const std::string& sName) {
  CTestPlan plan;
  plan.msName = sName;
  SPlanStep step;
  step.esk = esk;
  step.sName = sName;
  step.fTakesReading = esk == eskCalibrate;
  plan.mvSteps.push_back(step);
  return plan;
}

void CTestPlan::ApplyOptions(CKsvTestOptions& options) const {
  COptionSettings::Apply(mvOptions, options);
}

}  // namespace ksv940
