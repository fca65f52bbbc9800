#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ksv940 {

class CAbortFlags;
class CInstrumentLink;
class CKsvTestOptions;
class CKsvTestResult;
class IOrvexMtiData;
class IWindow;

/// Takes readings and the instrument's identity over the plug-in's link: the reading with its
/// retries, its stream of repeated readings and the operator's question when no resistance could
/// be measured; the identity into a new instrument description for the host.
class CMeasurementReader {
 public:
  /// fnAbort is the plug-in's Abort: both stop flags set and the channel's wait ended.
  CMeasurementReader(CInstrumentLink& link, const CKsvTestOptions& options, CAbortFlags& flags,
                     std::function<void()> fnAbort);

  /// Sends sCommand ("read", "mread" or "zero") and leaves the reading in result. "!22" is tried
  /// again (three tries in all); "!32" asks the operator (Continue measures again, Skip keeps
  /// the reply, Stop Test aborts), for "zero" it ends the tries; "mread" reads the stream for two
  /// seconds and stops it; three "!37" in the stream raise errVTI_InvalidReply. An aborted
  /// reading leaves the result untouched. Errors of the link pass to the caller.
  void ReadValue(const std::string& sCommand, IWindow* frmOwner, CKsvTestResult& result);

  /// Sends "ident" and "sn" and answers a new instrument description (made by the host's class
  /// id) with the model, serial number and firmware. A reply that does not begin with "KSV 940"
  /// raises errVTI_InvalidReply with the reply; one without "," raises Subscript out of range.
  std::shared_ptr<IOrvexMtiData> ReadIdentity();

 private:
  /// What the reading does after a reply: measure again (while tries are left and nobody
  /// stopped), keep the reply, or ask the operator first.
  enum EReadNext : int32_t { ernMeasureAgain, ernKeep, ernAskOperator };
  /// The tries of one reading: "!22" (and "!32" of the zeroing) count against the command, bad
  /// replies in a stream against the stream.
  struct SReadTries {
    int iTry = 0;
    int iBadReply = 0;
  };

  // The steps of ReadValue, in the order it takes them.
  std::string SendReading(const std::string& sCommand);
  EReadNext JudgeReply(const std::string& sCommand, std::string& sReply, SReadTries& tries);
  std::string ReadStream(const std::string& sCommand);
  EReadNext JudgeStreamReply(const std::string& sReply, SReadTries& tries);
  void StopStream();
  EReadNext AskNoResistance(IWindow* frmOwner);

  CInstrumentLink& mLink;
  const CKsvTestOptions& mOptions;
  CAbortFlags& mFlags;
  std::function<void()> mfnAbort;
};

}  // namespace ksv940
