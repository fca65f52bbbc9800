#include <cmath>
#include <pugixml.hpp>
#include <sstream>

#include "app/record/MRunText.h"
#include "app/reports/MReportFormats.h"

namespace ksv940 {

namespace {

std::string Seconds(const std::optional<double>& dSeconds) {
  return NumberText(dSeconds.value_or(0.0));
}

void AddProperty(pugi::xml_node& properties, const std::string& sName, const std::string& sValue) {
  pugi::xml_node property = properties.append_child("property");
  property.append_attribute("name") = sName.c_str();
  property.append_attribute("value") = sValue.c_str();
}

}  // namespace

std::string JUnitReport(const SRunRecord& record) {
  int32_t lFailures = 0;
  int32_t lErrors = 0;
  int32_t lSkipped = 0;
  double dTime = 0.0;
  // A run that did not finish (killed, or still going) is an error of its own, so that a
  // consumer never counts it as passed.
  bool fUnfinished = record.sFinished.empty();
  for (const SStepRecord& step : record.vSteps) {
    dTime += step.dSeconds.value_or(0.0);
    if (step.ess == essRunning) {
      ++lErrors;
    } else if (step.ess == essNotRun && step.est == estNone) {
      ++lSkipped;
    } else if (step.error && step.est == estNone) {
      ++lErrors;
    } else if (!StepPassed(step)) {
      ++lFailures;
    }
  }

  pugi::xml_document doc;
  pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node suites = doc.append_child("testsuites");
  suites.append_attribute("name") = "ksv940 run";
  pugi::xml_node suite = suites.append_child("testsuite");
  suite.append_attribute("name") = record.sPlanName.c_str();
  for (pugi::xml_node node : {suites, suite}) {
    node.append_attribute("tests") =
        static_cast<long long>(record.vSteps.size()) + (fUnfinished ? 1 : 0);
    node.append_attribute("failures") = lFailures;
    node.append_attribute("errors") = lErrors + (fUnfinished ? 1 : 0);
    node.append_attribute("skipped") = lSkipped;
    node.append_attribute("time") = NumberText(std::round(dTime * 1000.0) / 1000.0).c_str();
  }
  suite.append_attribute("timestamp") = record.sStarted.c_str();

  pugi::xml_node properties = suite.append_child("properties");
  AddProperty(properties, "report.id", record.sReportId);
  AddProperty(properties, "plan.file", record.sPlanFile);
  AddProperty(properties, "plan.path", record.sPlanPath);
  AddProperty(properties, "plan.sha256", record.sPlanSha256);
  for (const std::string& sField : CDeviceUnderTest::Fields()) {
    AddProperty(properties, "device." + sField, record.device.Get(sField).value_or(""));
  }
  AddProperty(properties, "tester", record.sTester);
  AddProperty(properties, "link", record.sLink);
  AddProperty(properties, "analyzer.model", record.sModel);
  AddProperty(properties, "analyzer.serial", record.sSerial);
  AddProperty(properties, "analyzer.firmware", record.sFirmware);
  AddProperty(properties, "started", record.sStarted);
  AddProperty(properties, "finished", record.sFinished);
  AddProperty(properties, "outcome", OutcomeText(record.ero));
  AddProperty(properties, "verdict", RunVerdictText(RunVerdict(record)));
  for (const std::string& sRemark : record.vRemarks) {
    AddProperty(properties, "remark", sRemark);
  }
  if (record.connectionError) {
    AddProperty(properties, "connection.error", record.connectionError->sDescription);
  }
  for (const SOptionValue& option : record.vOptions) {
    AddProperty(properties, "option." + option.sName, OptionText(option));
  }

  for (const SStepRecord& step : record.vSteps) {
    pugi::xml_node testcase = suite.append_child("testcase");
    std::string sName = std::to_string(step.lIndex) + ". " + step.sName;
    testcase.append_attribute("name") = sName.c_str();
    testcase.append_attribute("classname") = ("ksv940." + KindName(step.esk)).c_str();
    testcase.append_attribute("time") = Seconds(step.dSeconds).c_str();
    std::string sRemark = StepRemark(step);
    if (step.ess == essRunning) {
      pugi::xml_node error = testcase.append_child("error");
      error.append_attribute("message") = "the run did not finish during this step";
      error.append_attribute("type") = "running";
    } else if (step.ess == essNotRun && step.est == estNone) {
      testcase.append_child("skipped").append_attribute("message") = sRemark.c_str();
    } else if (step.error && step.est == estNone) {
      pugi::xml_node error = testcase.append_child("error");
      error.append_attribute("message") = sRemark.c_str();
      error.append_attribute("type") = std::to_string(step.error->lNumber).c_str();
    } else if (!sRemark.empty()) {
      pugi::xml_node failure = testcase.append_child("failure");
      failure.append_attribute("message") = sRemark.c_str();
      failure.append_attribute("type") = step.est != estNone   ? "stopped"
                                         : step.esv == esvFail ? "out of limits"
                                                               : StateText(step.ess).c_str();
    }
    std::string sOut = "state: " + StateText(step.ess);
    if (!step.sDisplay.empty()) {
      sOut = "value: " + step.sDisplay + "\n" + sOut;
    }
    if (!LimitsText(step).empty()) {
      sOut += "\nlimits: " + LimitsText(step);
    }
    if (step.sReply) {
      sOut += "\nreply: " + *step.sReply;
    }
    testcase.append_child("system-out").text() = sOut.c_str();
  }
  if (fUnfinished) {
    pugi::xml_node testcase = suite.append_child("testcase");
    testcase.append_attribute("name") = "the run";
    testcase.append_attribute("classname") = "ksv940.run";
    testcase.append_attribute("time") = "0";
    pugi::xml_node error = testcase.append_child("error");
    error.append_attribute("message") = "the run did not finish";
    error.append_attribute("type") = "incomplete";
  }
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

}  // namespace ksv940
