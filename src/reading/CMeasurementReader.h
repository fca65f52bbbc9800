#pragma once

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
  std::string ReadStream(const std::string& sCommand);
  void StopStream();
  bool AskOperator(IWindow* frmOwner);

  CInstrumentLink& mLink;
  const CKsvTestOptions& mOptions;
  CAbortFlags& mFlags;
  std::function<void()> mfnAbort;
};

}  // namespace ksv940
