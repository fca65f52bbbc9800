#include "app/record/MRunText.h"
#include "app/reports/MReportFormats.h"
#include "app/store/MHistory.h"

namespace ksv940 {

std::string CsvReport(const SRunRecord& record) {
  std::string sOut =
      "index,kind,name,id,pc,ap,nap,lead,state,value,unknown,suffix,unit,display,min,max,"
      "verdict,error_number,error_description,started,seconds,reply,report_id,run_verdict,tester";
  for (const std::string& sField : CDeviceUnderTest::Fields()) {
    sOut += ",device_" + sField;
  }
  sOut += ",previous_value,previous_display,previous_date,trend\r\n";
  const std::string sRunVerdict = RunVerdictText(RunVerdict(record));
  for (const SStepRecord& step : record.vSteps) {
    std::vector<std::string> vFields = {
        std::to_string(step.lIndex),
        KindName(step.esk),
        step.sName,
        CsvOptional(step.lId),
        CsvOptional(step.lPc),
        CsvOptional(step.sAp),
        CsvOptional(step.sNap),
        CsvOptional(step.iLead),
        StateText(step.ess),
        CsvOptional(step.dValue),
        step.sUnknown,
        step.sSuffix,
        step.sUnit,
        PersonDisplay(step),
        CsvOptional(step.dMin),
        CsvOptional(step.dMax),
        VerdictText(step.esv),
        step.error ? std::to_string(step.error->lNumber) : std::string(),
        step.error ? step.error->sDescription : std::string(),
        step.sStarted,
        CsvOptional(step.dSeconds),
        CsvOptional(step.sReply),
        record.sReportId,
        sRunVerdict,
        record.sTester,
    };
    for (const std::string& sField : CDeviceUnderTest::Fields()) {
      vFields.push_back(record.device.Get(sField).value_or(""));
    }
    vFields.insert(vFields.end(),
                   {step.Previous() ? NumberText(step.Previous()->dValue) : std::string(),
                    step.Previous() ? step.Previous()->sDisplay : std::string(),
                    step.Previous() ? step.Previous()->sStarted : std::string(), step.sTrend});
    for (size_t i = 0; i < vFields.size(); ++i) {
      sOut += (i == 0 ? "" : ",") + CsvField(vFields[i]);
    }
    sOut += "\r\n";
  }
  return sOut;
}

}  // namespace ksv940
