#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/CInstrumentLink.h"
#include "model/CAbortFlags.h"
#include "platform/automation/CServerLock.h"
#include "platform/automation/IAutomationObject.h"
#include "power/CPowerConfig.h"
#include "power/CPowerSequencer.h"
#include "reading/CMeasurementReader.h"

namespace ksv940 {

class CKsvSafetyTest;
class CMicroSequence;
class CKsvTestOptions;
class CKsvTestResult;
class IOrvexMtiData;
class IWindow;
class IWifiConnector;

/// The virtual test instrument: the object a host creates to work with one KSV940 analyzer.
///
/// The host fills in testOptions, connects with InitRemote, runs tests with RunSafetyTest and
/// reads TestResult after each, zeroes the leads with Calibrate, asks InHighVoltageMode between
/// tests, and ends with EndRemote. State, Abort, FlagAbort and StopFlagForAPScreen may be called
/// at any time, also from inside a wait of another operation (every wait pumps the thread's
/// messages). The instrument operations report a failure to the operator once and then raise
/// errVTI_Error to the host, or errVTI_UserAbort after an operator abort; EndRemote never raises.
class CKsvVti : public IAutomationObject {
 public:
  /// Creates the link, options, result and power record, and the wireless connector by its class
  /// id from the thread's class registry; fails when the connector cannot be created.
  CKsvVti();
  ~CKsvVti() override;
  CKsvVti(const CKsvVti&) = delete;
  CKsvVti& operator=(const CKsvVti&) = delete;

  std::string ClassName() const override { return "CKsvVti"; }

  /// evsClosed, evsConnecting, evsIdle or evsBusy.
  int32_t State() const { return mState; }
  /// The connected instrument's description; nullptr until an InitRemote has read the identity.
  std::shared_ptr<IOrvexMtiData> MtiData() const { return mMtiData; }
  /// The options every test reads; the host fills in this very object.
  std::shared_ptr<CKsvTestOptions> testOptions() const { return mTestOptions; }
  /// The result of the last RunSafetyTest or Calibrate; a new object for each.
  std::shared_ptr<CKsvTestResult> TestResult() const { return mTestResult; }

  /// Requests an abort: sets the abort and stop flags and ends the channel's current wait. Sends
  /// nothing; the running operation notices at its next step.
  void Abort();
  /// Connects: iPort above 0 is that serial port, 0 finds the port, below 0 (or 0 without a
  /// port) uses the wireless connector. Puts the instrument into remote operation, reads its
  /// identity and refuses firmware older than 1.17. Returns with State evsClosed and no error when
  /// the wireless connector finds no instrument.
  void InitRemote(int16_t iPort);
  /// Returns the instrument to local operation (warning the operator of a tripped ground fault
  /// interrupter) and closes the link. Never raises; State is evsClosed afterwards.
  void EndRemote(IWindow* frmTestGuide);
  /// False while high voltage is not active; otherwise fails with errVTI_Busy.
  bool InHighVoltageMode();
  /// Zeroes the test leads with the protective-earth sequence; true when it ran to its end.
  bool Calibrate();
  /// Runs one safety test; its outcome is TestResult.
  void RunSafetyTest(const std::shared_ptr<CKsvSafetyTest>& cetTest, IWindow* frmTestGuide);
  /// True when the operator stopped or the channel's test-abort latch is set.
  bool FlagAbort() const;
  /// Whether the command's name (the text before the first "=") is one of the commands after
  /// which the power-on delay is owed: SAF, PPL, PPR, PPV, INSB, INSD, INSE, APINS, MINS, ERES,
  /// MAINS (exact, case-sensitive).
  bool ChkCmdAppPODelay(const std::string& sCommandName) const;
  /// Sets or clears the operator stop.
  void SetStopFlagForAPScreen(bool fFlag) { mFlags.mfStopFlag = fFlag; }

  /// The instruction as sent: an "ap=" instruction rewritten for the applied-part board (PCA
  /// type 2 takes "ap2=" and "ALL" for ground; otherwise a lead selection ends in "GND").
  static std::string RewriteAppliedParts(const std::string& sInstruction, bool fPca2);

 private:
  void Connect(int16_t iPort);
  void SerialHandshake(int16_t iPort);
  void WirelessHandshake();
  void CheckGivenUp() const;
  void CheckPreconditions() const;
  [[noreturn]] void FailInitRemote();
  [[noreturn]] void FailOperation();
  // The steps of EndRemote that talk to the analyzer, in the order it takes them. Each exchange
  // in them goes on whatever the one before it did.
  void GiveUpConnecting();
  void LeaveMeasurementScreen();
  void ResetGroundFault();
  void ReturnToLocal();
  void SendResetInstructions(const CMicroSequence& sequence, int32_t iCurrent);
  void RunCommand(const std::string& s, const CKsvSafetyTest& test, IWindow* frmTestGuide);
  void RunDirective(const std::string& s, const CMicroSequence& sequence, int32_t i,
                    const CKsvSafetyTest& test, IWindow* frmTestGuide, int32_t eepoScreen);

  std::shared_ptr<CKsvTestOptions> mTestOptions;
  std::shared_ptr<CKsvTestResult> mTestResult;
  std::shared_ptr<IOrvexMtiData> mMtiData;
  CPowerConfig mPowerConfig;
  CInstrumentLink mLink;
  CAbortFlags mFlags;
  CMeasurementReader mReader;
  CPowerSequencer mPower;
  int32_t mState = 0;
  bool mfPca2 = false;
  bool mfEndingRemote = false;
  bool mfGivingUp = false;  // EndRemote asked the connection attempt to give up
  CServerLock mServerLock;
};

}  // namespace ksv940
