#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hostapi/IOrvexMLCQuery.h"
#include "link/FPort.h"
#include "platform/automation/CServerLock.h"
#include "platform/automation/IAutomationObject.h"

namespace ksv940 {

/// The discovery query the host runs on one serial port to learn whether a KSV940 is attached and,
/// if so, its serial number and firmware version, without connecting the plug-in object. It talks
/// through its own port form (made by the first query, kept until the object is destroyed) with
/// fixed time-outs, and never raises: every failure answers the empty record with Result 0.
///
/// A query pauses 1000 ms with the thread blocked, then sends "local", ESC and "stat"; an
/// instrument in remote operation is asked "ident", "sn" and "stat1" as well (and "exit" when it
/// is not at its main menu). A tripped ground-fault interrupter or a detected over-voltage is
/// shown to the operator in a message box and reset ("gfir", "ovr"). A query that fails on its
/// way leaves its port open until the next query through the same object or its destruction.
class CKsvMlcQuery : public IAutomationObject, public IOrvexMLCQuery {
 public:
  CKsvMlcQuery();
  /// Unloads the port form, which closes a port still open; failures are ignored.
  ~CKsvMlcQuery() override;
  CKsvMlcQuery(const CKsvMlcQuery&) = delete;
  CKsvMlcQuery& operator=(const CKsvMlcQuery&) = delete;

  std::string ClassName() const override { return "CKsvMlcQuery"; }

  /// The firmware version the last query read ("" before one, or when it read none); when the
  /// identity reply had only two fields it keeps the reply's CR LF.
  std::string FWVersion() const override { return msFWVersion; }
  /// Always "KSV940".
  std::string MtiType() const override;
  /// The serial number the last query read, or "".
  std::string SerialNo() const override { return msSerialNo; }
  /// Asks port lPort (n of COMn) which instrument is attached. Result 0: nothing identified (the
  /// record is otherwise empty); 1: an instrument answered its status but is not in remote
  /// operation (Model "KSV940", no serial or firmware); 2: identified. Never raises.
  MtiQueryResult QueryMTI(int32_t lPort) override;

  /// Set when the port form's timer fired during the last receive.
  bool TimedOut() const { return mfTimedOut; }

 private:
  /// Opens port lPort at 115200,N,8,1 with each read taking all that is waiting; closes it first
  /// when it is open. A failure is traced ("Error " and its description) and raised again.
  void OpenQueryPort(int32_t lPort);
  /// Closes the port when it is open; failures are ignored and the form stays loaded.
  void CloseQueryPort();
  /// Discards what is waiting, sends sTx unchanged and collects what arrives until it ends with
  /// sAck, within iTmOut ms. Answers the collected reply, terminator included, or "" when the
  /// terminator did not come in time or kLongestReply characters came without it.
  std::string QueryPort(const std::string& sTx, const std::string& sAck, int16_t iTmOut);
  /// The TimeOut event of the port form.
  void mfrmPort_TimeOut();

  std::unique_ptr<FPort> mfrmPort;
  bool mfTimedOut = false;
  std::string msSerialNo;
  std::string msFWVersion;
  CServerLock mServerLock;
};

}  // namespace ksv940
