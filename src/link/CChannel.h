#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/FPort.h"

namespace ksv940 {

/// The serial transport between the plug-in and the instrument. It opens a port through its own
/// port form at 115200 baud, 8 data bits, no parity, 1 stop bit; sends one command line at a time
/// (CR LF added when missing); collects the reply up to the caller's terminator within a time-out;
/// turns instrument error replies into errors; retries commands that got no usable reply; reads
/// streams of readings; pauses; and lets the host cut a running wait short with Abort.
///
/// Everything runs on one thread. Each wait (send drain, receive, Wait) lets the thread process
/// its messages, so the time-out timer and calls from the host (Abort) arrive while it waits; a
/// second Transmit or Wait arriving then fails with errVTI_Busy. Errors carry the source
/// "CChannel", instrument errors the source "MError".
class CChannel {
 public:
  CChannel();
  /// Closes the port; failures are ignored.
  ~CChannel();
  CChannel(const CChannel&) = delete;
  CChannel& operator=(const CChannel&) = delete;

  /// evsClosed while no port is open, evsIdle while open and nothing runs, evsBusy while an
  /// operation runs.
  int32_t State() const { return mlState; }
  /// Set when the port form's timer fired during a wait; cleared at the start of each wait.
  bool TimeOut() const { return mfTimeOut; }
  /// The port number of the last successful OpenPort; 0 before.
  int16_t Port() const { return miPort; }

  /// Ends the current wait (send drain, receive, Wait). The request lives until the next
  /// Transmit, Wait or successful OpenPort; an aborted receive returns the empty text.
  void Abort() { mfAbortRequested = true; }

  /// Opens port number iPort (1 is the first port). It pauses 100 ms before opening and discards
  /// whatever was received by then. Any failure, also on a channel already open, closes the
  /// channel and raises errVTI_NotOpen with iPort ("Can not open port N").
  void OpenPort(int32_t iPort);
  /// Closes the port and clears TransmitReceiveFlag; Port, TestAbortFlag, the abort request and
  /// TimeOut stay. Nothing is reported.
  void ClosePort();

  /// Sends sTxData (nothing when empty) with CR LF added unless it ends with CR LF, after
  /// discarding what was received before; waits until it has left; then receives the reply up to
  /// sAck. The time-out is 1000 ms for ESC alone, "stat3", "exit" and "stat1" (compared exactly),
  /// 10000 ms for every other command. Raises errVTI_NotOpen (with Port) on a closed channel and
  /// errVTI_Busy while another operation runs, State unchanged; any later failure leaves the
  /// channel idle and passes the same error on.
  std::string Transmit(const std::string& sTxData, const std::string& sAck = {},
                       bool fParse = false, bool fCheck = false);
  /// Collects characters one at a time until the last ones equal sAck, within iTmOut ms in all,
  /// and returns ParseResult of them. With fCheck a missing terminator returns the empty text;
  /// without it, it sets TransmitReceiveFlag and TestAbortFlag and raises errVTI_NoReply (with
  /// Port). An aborted wait and an empty terminator return the empty text. Characters after the
  /// terminator stay for the next Transmit to discard. Neither checks nor changes State.
  /// kLongestReply characters without the terminator end the receive at once: with fCheck as
  /// the empty text, otherwise with both flags set and errVTI_InvalidReply.
  std::string Receive(const std::string& sAck, int32_t iTmOut, bool fParse = false,
                      bool fCheck = false);
  /// Reads the stream of reading lines (CR LF, 10 s each at most) until the time of day in whole
  /// seconds has advanced by iTime since the start (counting across midnight) or the wait is
  /// aborted, and returns the last line read.
  std::string ReceiveOneFromMany(int16_t iTime);
  /// Pauses lTmOut ms, processing messages at least once; Abort cuts it short. Raises errVTI_Busy
  /// while busy and errVTI_NotOpen (without parameter) while closed; later failures are ignored.
  void Wait(int32_t lTmOut);

  /// The text a receive hands its caller: "*" CR LF unchanged; otherwise the text before the
  /// first CR LF (empty without one), after ErrorCheck and, for an error, ProcessErrorCode.
  std::string ParseResult(const std::string& sRx, bool fParse = false);
  /// Whether sDataIn is an instrument error to raise: a "!" reply or the empty line, unless fParse
  /// or the reply is "!21" or "!32". "!57" is no error, but pauses the channel 10 s first (an
  /// abort cuts it short) and leaves it idle.
  bool ErrorCheck(const std::string& sDataIn, bool fParse = false);
  /// Sets TestAbortFlag and raises, with the source "MError", errVTI_KsvError with the
  /// instrument's message for codes 33, 34, 40, 50, 51, 52, 54 and 57, or errVTI_InvalidReply
  /// with sDataIn for any other reply.
  [[noreturn]] void ProcessErrorCode(const std::string& sDataIn);

  /// True when the last exchange failed for good. The plug-in reads and clears it.
  bool TransmitReceiveFlag() const { return mfTransmitReceiveFlag; }
  void SetTransmitReceiveFlag(bool fValue) { mfTransmitReceiveFlag = fValue; }
  /// A latch: while set, TransmitCmd sends nothing (but "zero", which clears it) and returns the
  /// empty text. Set by a failed exchange and by every instrument error raised.
  bool TestAbortFlag() const { return mfTestAbortFlag; }
  void SetTestAbortFlag(bool fValue) { mfTestAbortFlag = fValue; }

  /// Sends sTxData with Transmit up to lTransmitCount times until a reply that is not empty and
  /// does not begin with "!", pausing 100 ms, 200 ms, ... between sends. Only the last send
  /// reports a missing reply (errVTI_NoReply); an error reply to the last send sets both flags
  /// and, but for "zero", raises errVTI_InvalidReply with the reply. Errors raised inside a send
  /// are not retried. With lTransmitCount below 1 it sends until it gets a usable reply.
  std::string TransmitCmd(const std::string& sTxData, const std::string& sAck, bool fParse,
                          int32_t lTransmitCount);

 private:
  void ResetFlags();
  void mfrmPort_TimeOut();
  /// The port form; raises Object variable not set (91) while the channel has none.
  std::shared_ptr<FPort> PortForm() const;

  int32_t mlState = 0;
  int16_t miPort = 0;
  bool mfAbortRequested = false;
  bool mfTimeOut = false;
  bool mfTransmitReceiveFlag = false;
  bool mfTestAbortFlag = false;
  // Shared with the running waits, so that a ClosePort from inside one does not pull the form
  // away under it.
  std::shared_ptr<FPort> mfrmPort;
};

}  // namespace ksv940
