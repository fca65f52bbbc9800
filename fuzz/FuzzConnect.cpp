// The connection handshake against an analyzer that answers anything: status words, the refusal
// of "remote", the PCA type, identities and firmware versions of any shape. Whatever it answers,
// InitRemote ends connected (a firmware of at least 1.17) or closed with one message box, and
// EndRemote always returns with the port free.

#include <cstdlib>
#include <string>

#include "CFuzzContext.h"
#include "CFuzzInput.h"
#include "MFuzzSupport.h"
#include "declares/GDeclares.h"
#include "hostapi/IOrvexMtiData.h"
#include "platform/automation/CClassRegistry.h"
#include "plugin/CKsvVti.h"
#include "sim/CSimulatedLine.h"

namespace ksv940::fuzz {

namespace {

// The firmware rule, written out once more: the version starts at the first digit 1 to 9; its
// number is the decimal number there ("." the separator, blanks, tabs and line feeds skipped).
double FirmwareNumber(const std::string& sFirmware) {
  size_t nStart = sFirmware.find_first_of("123456789");
  if (nStart == std::string::npos) {
    return 0.0;
  }
  std::string sDigits;
  for (char c : sFirmware.substr(nStart)) {
    if (c != ' ' && c != '\t' && c != '\n') {
      sDigits += c;
    }
  }
  return std::strtod(sDigits.c_str(), nullptr);
}

}  // namespace

int FuzzConnect(const uint8_t* pData, size_t nSize) {
  CFuzzInput in(pData, nSize);
  CFuzzContext ctx;
  auto pLine = std::make_shared<CSimulatedLine>();
  ctx.Ports().Connect(5, pLine);
  // The analyzer answers the nth line it receives with the nth reply of the input: a text with or
  // without its line end, the acknowledgement, or silence; each after a delay.
  std::string sHeard;
  pLine->SetReceiver(CSimulatedLine::eslPeer, [&](std::string_view sBytes) {
    for (char c : sBytes) {
      sHeard += c;
      if (!sHeard.ends_with("\r\n")) {
        continue;
      }
      sHeard.clear();
      uint8_t iKind = in.Byte();
      int64_t lDelayUs = (iKind >> 2) * 40'000LL;
      std::string sReply;
      switch (iKind & 0x03) {
        case 0:
          continue;
        case 1:
          sReply = in.Text() + "\r\n";
          break;
        case 2:
          sReply = in.Text();
          break;
        default:
          sReply = "*\r\n";
          break;
      }
      ctx.Pump().AddTimer(ctx.Clock().NowUs() + lDelayUs, 0,
                          [pWeak = std::weak_ptr(pLine), sReply] {
                            // The line holds the pump that holds this timer: no owner here.
                            if (auto pAlive = pWeak.lock()) {
                              pAlive->Write(CSimulatedLine::eslPeer, sReply);
                            }
                          });
    }
  });

  auto pVti = std::dynamic_pointer_cast<CKsvVti>(
      CContext::Get<CClassRegistry>().CreateObject("OrvexKSV940vti.CKsvVti"));
  FUZZ_CHECK(pVti != nullptr);
  int32_t lError = RaisedNumber([&] { pVti->InitRemote(5); });
  size_t nBoxes = ctx.MessageBoxes();
  if (lError == 0) {
    FUZZ_CHECK(pVti->State() == evsIdle);
    FUZZ_CHECK(nBoxes == 0);
    FUZZ_CHECK(pVti->MtiData() != nullptr);
    FUZZ_CHECK(pVti->MtiData()->Model().starts_with("KSV 940"));
    FUZZ_CHECK(FirmwareNumber(pVti->MtiData()->FirmwareVersion()) >= 1.17);
  } else {
    FUZZ_CHECK(lError == errVTI_Error || lError == errVTI_UserAbort);
    FUZZ_CHECK(pVti->State() == evsClosed);
    FUZZ_CHECK(nBoxes == 1);
    FUZZ_CHECK(!ctx.Ports().IsOpen(5));
  }
  // However the connection went, ending it returns, closes the port and shows at most the ground
  // fault warning.
  pVti->EndRemote(nullptr);
  FUZZ_CHECK(pVti->State() == evsClosed);
  FUZZ_CHECK(!ctx.Ports().IsOpen(5));
  FUZZ_CHECK(ctx.MessageBoxes() <= nBoxes + 1);
  return 0;
}

}  // namespace ksv940::fuzz

KSV940_FUZZ_ENTRY(FuzzConnect)
