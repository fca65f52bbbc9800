// Replies of any shape, split and timed at will, to the channel's exchanges on a simulated line:
// the reply parsing, the instrument's error codes, the retries, the reading of a stream, a host
// Abort at any moment. Whatever comes, an exchange answers a line without its end (or the
// acknowledgement) or raises one of the link's errors, and leaves the channel idle.

#include "CFuzzContext.h"
#include "CFuzzInput.h"
#include "MFuzzSupport.h"
#include "declares/GDeclares.h"
#include "link/CChannel.h"
#include "link/MWire.h"
#include "platform/core/MRuntime.h"
#include "sim/CSimulatedLine.h"

namespace ksv940::fuzz {

namespace {

const char* const kCommands[] = {"stat", "stat1", "\x1b", "zero", "read", "mread", "ident", "exit"};

}  // namespace

int FuzzChannelReply(const uint8_t* pData, size_t nSize) {
  CFuzzInput in(pData, nSize);
  CFuzzContext ctx;
  auto pLine = std::make_shared<CSimulatedLine>();
  ctx.Ports().Connect(5, pLine);
  CChannel channel;
  channel.OpenPort(5);

  uint8_t iMode = in.Byte();
  bool fParse = (iMode & 0x04) != 0;
  bool fCheck = (iMode & 0x08) != 0;
  std::string sAck = (iMode & 0x10) != 0 ? kAcknowledged : kCrLf;
  std::string sCommand = kCommands[in.Pick(std::size(kCommands))];
  if ((iMode & 0x20) != 0) {
    // The host aborts the wait at some moment.
    int64_t lAbortUs = in.Word() * 1000LL;
    ctx.Pump().AddTimer(lAbortUs, 0, [&channel] { channel.Abort(); });
  }
  // The far side: pieces of text, each some time after the one before; a piece may be repeated
  // into a flood longer than any reply. (The line holds the pump that holds these timers, so
  // they do not own it.)
  int64_t lAtUs = 0;
  while (!in.Empty()) {
    lAtUs += in.Byte() * 50'000LL;
    uint8_t iRepeat = in.Byte();
    std::string sPiece = in.Text();
    std::string sBytes = sPiece;
    while (iRepeat > 250 && !sPiece.empty() && sBytes.size() <= kLongestReply) {
      sBytes += sPiece;
    }
    ctx.Pump().AddTimer(lAtUs, 0, [pWeak = std::weak_ptr(pLine), sBytes] {
      if (auto pAlive = pWeak.lock()) {
        pAlive->Write(CSimulatedLine::eslPeer, sBytes);
      }
    });
  }

  std::string sReply;
  int32_t lError = RaisedNumber([&] {
    switch (iMode & 0x03) {
      case 0:
        sReply = channel.TransmitCmd(sCommand, sAck, fParse, 3);
        break;
      case 1:
        sReply = channel.Transmit(sCommand, sAck, fParse, fCheck);
        break;
      case 2:
        sReply = channel.ReceiveOneFromMany(2);
        break;
      default:
        channel.SetTestAbortFlag(true);
        sReply = channel.TransmitCmd(sCommand, sAck, fParse, 3);
        break;
    }
  });

  FUZZ_CHECK(lError == 0 || lError == errVTI_NoReply || lError == errVTI_InvalidReply ||
             lError == errVTI_KsvError);
  // Only a reply that is not the caller's to judge becomes an instrument error.
  FUZZ_CHECK(!(fParse && lError == errVTI_KsvError && (iMode & 0x03) != 2));
  if (lError != 0) {
    FUZZ_CHECK(channel.TestAbortFlag());
    FUZZ_CHECK(sReply.empty());
  }
  // A reply is one line without its end, or the acknowledgement; never more than the longest
  // reply the link collects.
  FUZZ_CHECK(sReply == kAcknowledged || sReply.find(kCrLf) == std::string::npos);
  FUZZ_CHECK(sReply.size() < kLongestReply);
  if ((iMode & 0x03) == 0 || (iMode & 0x03) == 3) {
    // TransmitCmd hands over only usable replies.
    FUZZ_CHECK(sReply.empty() || sReply[0] != '!');
  }
  if ((iMode & 0x03) == 3 && sCommand != "zero") {
    FUZZ_CHECK(sReply.empty() && lError == 0);
  }
  if ((iMode & 0x03) != 2) {
    FUZZ_CHECK(channel.State() == evsIdle);
  }
  // Three attempts of at most 10 s each, a 10 s pause for "!57" after each, and the pauses
  // between them: nothing waits longer.
  FUZZ_CHECK(ctx.Clock().NowUs() < 61'000'000);
  channel.ClosePort();
  FUZZ_CHECK(!ctx.Ports().IsOpen(5));
  return 0;
}

}  // namespace ksv940::fuzz

KSV940_FUZZ_ENTRY(FuzzChannelReply)
