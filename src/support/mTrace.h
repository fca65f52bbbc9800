#pragma once

#include <string>

#include "platform/automation/CVariant.h"

namespace ksv940 {

/// True when this thread has a trace sink that takes lines. The sink is chosen on the thread's
/// first trace and kept; a sink that appears later is not seen by the thread.
bool DoTrace();

/// The trace line of vValues: each value as text followed by one TAB, so the line ends with a TAB.
std::string TraceLine(const CVariantList& vValues);

/// Sends one finished line to the thread's sink.
void SendTraceMessage(const std::string& sLine);

/// Sends one line made of vValues, or does nothing when the thread has no sink. Never raises: a
/// failure is itself traced, once, as its description, CR LF, "in OrvexNTB3.mTrace.<procedure> at
/// line <n>"; a failure while tracing that report is dropped.
void TraceValues(const CVariantList& vValues);

/// Trace("Send Data    ::" + sTxData), Trace("Connected", 5): texts and numbers, one line. The
/// values are not even converted when the thread has no sink.
template <class... T>
void Trace(const T&... values) {
  if (DoTrace()) {
    TraceValues(CVariantList{CVariant(values)...});
  }
}

}  // namespace ksv940
