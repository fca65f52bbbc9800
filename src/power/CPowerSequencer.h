#pragma once

#include <cstdint>
#include <string>

namespace ksv940 {

class CAbortFlags;
class CInstrumentLink;
class CKsvTestOptions;
class CPowerConfig;
class IWindow;

/// The plug-in object's stops around changes of the equipment outlet's power and its switching
/// of mains polarity: whether a test stops for the operator before or after the outlet changes,
/// whether it pauses with a countdown so that the DUT can settle, and how the polarity changes
/// (outlet off, stop or pause, new polarity).
///
/// It works on its plug-in object's link, outlet record, options and stop flags, and keeps the
/// bookkeeping that lasts across the directives of one test (and some across tests) to itself;
/// the test runner and the end of remote operation tell it where a test starts, when "quit" was
/// sent and when the last polarity is to be forgotten. Whenever the operator chooses Stop Test in
/// one of its dialogs, both stop flags are set. None of the operations handles errors: a failure
/// of the link or an overflow of the polarity switching delay reaches the caller unchanged. Each
/// dialog is created for one use and discarded after it.
class CPowerSequencer {
 public:
  CPowerSequencer(CInstrumentLink& link, CPowerConfig& powerConfig, const CKsvTestOptions& options,
                  CAbortFlags& flags);
  CPowerSequencer(const CPowerSequencer&) = delete;
  CPowerSequencer& operator=(const CPowerSequencer&) = delete;

  /// Runs a stop directive of a micro sequence ("#stop=bpc" before a change of the outlet,
  /// "#stop=apc" after it, "#stop=ecg" after the ECG set-up), for a test whose power
  /// configuration is epcNew. What counts is the text after the first "=" (all of the directive
  /// without one), so a directive an applied-part text made, such as "#stopx=apc", acts as
  /// "#stop=apc", and one whose text is the polarity switching's own stop ("#stop=#pol") acts as
  /// that; any other text does nothing beyond a pending power delay's rule. Before a change it may
  /// show the before-change stop (or, with fEndDelay, the power-off delay); after a change it may
  /// show the after-change stop or a power delay, and records epcNew as the outlet's
  /// configuration. fConfigFollows: a configuration instruction comes next, so an after-change
  /// directive does nothing unless the outlet is about to go off only and the operator is warned
  /// before power goes off. A pending power delay is shown first.
  void PowerChangeStop(const std::string& sDirective, int32_t epcNew, IWindow* frmOwner,
                       bool fConfigFollows, bool fEndDelay);

  /// Runs a polarity instruction ("pol=n" or "pol=r") for a test in configuration epcConfig: asks
  /// the instrument for status word 2 and, unless the outlet is already powered in that polarity,
  /// switches the outlet off ("pol=off"), stops or pauses for the operator where the options ask
  /// for it, and sends the instruction, once more after the polarity switching delay when the
  /// instrument answers it with an error. Nothing more is sent once the operator has stopped.
  /// Never changes the outlet's recorded configuration.
  void PolaritySwitch(const std::string& sInstruction, int32_t epcConfig, IWindow* frmOwner);

  /// Shows the power-on delay when fOn and the power-on delay is at least a second, else the
  /// power-off delay when fOff and that delay is at least a second (worded as a coming switch-off
  /// when fBefore), else nothing.
  void PowerDelayWait(bool fOn, bool fOff, IWindow* frmOwner, bool fBefore);

  /// A test starts: no before-change stop shown, no after-change stop shown, no change found at
  /// "#stop=bpc" yet. A forced stop and a pending power delay carry over from the last test.
  void StartTest();
  /// The runner sent "quit": the next change of polarity stops as if the outlet had been switched.
  void QuitSent();
  /// No polarity is recorded any more: the next polarity instruction takes the one it asks for as
  /// the last one handled.
  void ForgetPolarity();

 private:
  /// Where a stop stands, from the text after the first "=" of a stop directive or request.
  enum EStopPoint : int32_t {
    espBeforeChange,  ///< "bpc": before the outlet's configuration changes
    espAfterChange,   ///< "apc": after it changed
    espAfterEcg,      ///< "ecg": after the ECG set-up
    espPolarity,      ///< "#pol": the polarity switching's own stop
    espForcedBefore,  ///< "b": the polarity switching's fixed before-change stop
    espForcedAfter,   ///< "a": the polarity switching's fixed after-change stop
    espOther,         ///< anything else: only a pending delay's rule looks at it, and finds nothing
  };

  /// What a polarity instruction asks for and what the instrument and the options say about it.
  struct SPolarityRequest {
    std::string sLetter;       ///< "N" or "R" (upper case), empty for an instruction too short
    std::string sStatus;       ///< the reply to "stat2"
    bool fOutletOn = false;    ///< status word 2: the outlet is powered
    bool fReversed = false;    ///< status word 2: its polarity is reversed
    bool fBefore = false;      ///< the operator is warned before power goes off
    bool fStopBefore = false;  ///< StopBeforeNewPC as it read after the status exchange
    bool fToggleOff = false;   ///< the test's configuration switches the outlet off
  };

  static EStopPoint ParseStop(const std::string& sDirective);
  void RunStop(EStopPoint espStop, int32_t epcNew, IWindow* frmOwner, bool fConfigFollows,
               bool fEndDelay);
  void ShowPendingDelay(EStopPoint espStop, bool fOn, bool fOff, IWindow* frmOwner, bool fBefore);

  /// Whether the operator is warned before the outlet goes off (PowerOFFScreen is eepo_before).
  bool ScreenBefore() const;
  /// Status word 2 or "pol=off": parsed, three attempts on the serial link; 30 ms on the wireless.
  std::string Exchange(const std::string& sCommand);
  bool Stopped() const;

  // The steps of PolaritySwitch, in the order it takes them.
  SPolarityRequest AskStatus(const std::string& sInstruction, int32_t epcConfig);
  void RecordPolarity(const std::string& sLetter, bool fToggleOff);
  bool AlreadyInPolarity(const SPolarityRequest& request);
  bool PolarityStopDue(const SPolarityRequest& request, int32_t epcConfig) const;
  bool StopBeforeSwitchOff(const SPolarityRequest& request, bool fPolStop, int32_t epcConfig,
                           IWindow* frmOwner);
  bool ForcedStopBefore(IWindow* frmOwner);
  bool SwitchOutletOff(bool fPolStopDone);
  void StopAfterSwitchOff(const SPolarityRequest& request, bool fSwitchedOff, bool fPolStop,
                          int32_t epcConfig, IWindow* frmOwner);
  void SendInstruction(const std::string& sInstruction);
  bool ForcedStopAfter(IWindow* frmOwner);
  void PauseAfterSwitchOff();

  CInstrumentLink& mLink;
  CPowerConfig& mPowerConfig;
  const CKsvTestOptions& mTestOptions;
  CAbortFlags& mFlags;

  /// The upper-case polarity letter ("N" or "R") of the last polarity handled; empty when none is
  /// recorded.
  std::string msLastPolarity;
  /// Whether the configuration recorded with msLastPolarity switched the outlet off.
  bool mfLastToggleOff = false;
  /// The runner sent "quit": the next polarity change stops as if the outlet had been switched.
  bool mfQuitSent = false;
  /// While set, the requests "b" and "a" show the fixed before- and after-change stops.
  bool mfForcedStop = false;
  /// A power delay is owed; the next stop directive shows it.
  bool mfDelayPending = false;
  /// The before-change stop was shown at "#stop=bpc" in this test.
  bool mfBeforeStopShown = false;
  /// The polarity switching showed its after-change stop in this test; the later after-change
  /// stops and delays of the test are skipped.
  bool mfAfterStopShown = false;
  /// "#stop=bpc" found a change of the outlet in this test.
  bool mfPowerChangeAtBpc = false;
};

}  // namespace ksv940
