#include "app/run/MStoredRecord.h"

#include "app/record/MRunText.h"
#include "app/store/MTrend.h"

namespace ksv940 {

SStoredRun StoredRun(const SRunRecord& record) {
  SStoredRun run;
  run.sReportId = record.sReportId;
  run.sPlanName = record.sPlanName;
  run.sPlanFile = record.sPlanPath.empty() ? record.sPlanFile : record.sPlanPath;
  run.sPlanSha256 = record.sPlanSha256;
  const CDeviceUnderTest& device = record.device;
  for (auto [pszField, psMember] : SStoredDevice::Fields()) {
    run.device.*psMember = device.Get(pszField).value_or("");
  }
  run.sTester = record.sTester;
  if (record.fIdentified) {
    run.sAnalyzerModel = record.sModel;
    run.sAnalyzerSerial = record.sSerial;
    run.sAnalyzerFirmware = record.sFirmware;
  }
  run.sLink = record.sLink;
  for (const SOptionValue& option : record.vOptions) {
    run.vOptions.emplace_back(option.sName, OptionText(option));
  }
  run.sStarted = UtcTime(record.sStarted);
  run.sFinished = UtcTime(record.sFinished);
  run.sOutcome = OutcomeText(record.ero);
  run.sVerdict = RunVerdictText(RunVerdict(record));
  return run;
}

SStoredStep StoredStep(const SStepRecord& step) {
  SStoredStep stored;
  stored.lIndex = step.lIndex;
  stored.sKind = KindName(step.esk);
  stored.sName = step.sName;
  stored.lId = step.lId;
  stored.lPc = step.lPc;
  stored.sAp = step.sAp;
  stored.sNap = step.sNap;
  if (step.iLead) {
    stored.lLead = *step.iLead;
  }
  stored.sState = StateText(step.ess);
  stored.dValue = step.dValue;
  stored.sUnknown = step.sUnknown;
  stored.sSuffix = step.sSuffix;
  stored.sUnit = step.sUnit;
  stored.sDisplay = step.sDisplay;
  stored.dMin = step.dMin;
  stored.dMax = step.dMax;
  stored.sVerdict = VerdictText(step.esv);
  if (step.error) {
    stored.lErrorNumber = step.error->lNumber;
    stored.sErrorDescription = step.error->sDescription;
  }
  std::string sRemark = StepRemark(step);
  stored.sRemark = step.sTrend.empty() ? sRemark
                   : sRemark.empty()   ? step.sTrend
                                       : sRemark + "; " + step.sTrend;
  stored.sReply = step.sReply.value_or("");
  stored.sStarted = UtcTime(step.sStarted);
  stored.dSeconds = step.dSeconds;
  return stored;
}

}  // namespace ksv940
