#include "support/mTrace.h"

#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/trace/ITraceSink.h"

namespace ksv940 {

namespace {

// Set while a failure of this module is being traced, so that a failing sink is reported once
// and the report's own failure is dropped instead of recursing.
thread_local bool gfReporting = false;

void ReportFailure(const char* szProcedure, int iLine) {
  if (gfReporting) {
    return;
  }
  gfReporting = true;
  try {
    std::string sDescription = CAutomationError::FromCurrentException().Description();
    TraceValues({sDescription + "\r\nin OrvexNTB3.mTrace." + szProcedure + " at line " +
                 std::to_string(iLine)});
  } catch (...) {
  }
  gfReporting = false;
}

}  // namespace

bool DoTrace() {
  try {
    return CContext::Get<ITraceSink>().IsOpen();
  } catch (...) {
    ReportFailure("DoTrace", __LINE__ - 2);
    return false;
  }
}

std::string TraceLine(const CVariantList& vValues) {
  std::string sLine;
  for (const CVariant& vValue : vValues) {
    sLine += vValue.ToText();
    sLine += '\t';
  }
  return sLine;
}

void SendTraceMessage(const std::string& sLine) {
  try {
    CContext::Get<ITraceSink>().Send(sLine);
  } catch (...) {
    ReportFailure("SendTraceMessage", __LINE__ - 2);
  }
}

void TraceValues(const CVariantList& vValues) {
  if (!DoTrace()) {
    return;
  }
  std::string sLine;
  try {
    sLine = TraceLine(vValues);
  } catch (...) {
    ReportFailure("Trace", __LINE__ - 2);
    return;
  }
  SendTraceMessage(sLine);
}

}  // namespace ksv940
