#include "sim/CSimInstrument.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

#include "platform/core/CContext.h"
#include "platform/core/MText.h"
#include "sim/CSimulatedLine.h"

namespace ksv940 {

namespace {

// Error replies of the simulated analyzer. None of them is a code the plug-in treats specially,
// so each reaches the plug-in as an invalid reply.
constexpr const char* kUnknownCommand = "!30";
constexpr const char* kNotRemote = "!31";
constexpr const char* kNoMeasurement = "!35";
constexpr const char* kGroundFaultTripped = "!50";
constexpr const char* kOverVoltage = "!51";
// "No measurable value": the reading of a function that measures nothing (the ECG simulator).
constexpr const char* kNoValue = "!32";

// The identity's fields after the model and the firmware: boot loader and hardware revision.
constexpr const char* kIdentTail = ",BL1.03,HW2";

// A line longer than this is noise, not a command; its start is kept and answered as unknown.
constexpr size_t kLongestLine = 256;

enum ECommandKind { eckMeasure, eckSetUp, eckAcknowledge };

struct SCommand {
  ECommandKind eKind;
  // For "name=value" commands the accepted values, separated by "|"; "*" accepts any value.
  const char* pszValues;
};

// Commands without "=" are keyed by their text, the others by their name and "=".
const std::map<std::string, SCommand>& KnownCommands() {
  static const std::map<std::string, SCommand> commands = {
      {"mains=", {eckMeasure, "l1-l2|l1-gnd|l2-gnd"}},
      {"eres=", {eckMeasure, "low|high"}},
      {"mins", {eckMeasure, nullptr}},
      {"apins", {eckMeasure, nullptr}},
      {"inse", {eckMeasure, nullptr}},
      {"insb", {eckMeasure, nullptr}},
      {"insd", {eckMeasure, nullptr}},
      {"earthl", {eckMeasure, nullptr}},
      {"encl", {eckMeasure, nullptr}},
      {"pat", {eckMeasure, nullptr}},
      {"aux", {eckMeasure, nullptr}},
      {"map", {eckMeasure, nullptr}},
      {"ppv", {eckMeasure, nullptr}},
      {"ppr", {eckMeasure, nullptr}},
      {"ppl", {eckMeasure, nullptr}},
      {"eqcurr", {eckMeasure, nullptr}},
      {"saf", {eckMeasure, nullptr}},
      {"diff", {eckMeasure, nullptr}},
      {"dirl", {eckMeasure, nullptr}},
      {"dmap", {eckMeasure, nullptr}},
      {"accl", {eckMeasure, nullptr}},
      {"spat", {eckMeasure, nullptr}},
      {"accv", {eckMeasure, nullptr}},
      {"ecg", {eckMeasure, nullptr}},
      {"rwire=", {eckSetUp, "2|4"}},
      {"ins=", {eckSetUp, "high|low"}},
      {"map=", {eckSetUp, "*"}},
      {"altearth=", {eckSetUp, "o|c"}},
      {"nominal=", {eckSetUp, "on|off"}},
      {"earth=", {eckSetUp, "o|c"}},
      {"neut=", {eckSetUp, "o|c"}},
      {"mode=", {eckSetUp, "ac|dc|acdc"}},
      {"ap=", {eckSetUp, "*"}},
      {"ap2=", {eckSetUp, "*"}},
      {"grp=", {eckSetUp, "*"}},
      {"mdual=", {eckSetUp, "on|off"}},
      {"pol=", {eckSetUp, "off|n|r"}},
      {"rptime=", {eckSetUp, "*"}},
      {"std=", {eckSetUp, "aami|601|1010|353|asnz|none"}},
      {"aami", {eckAcknowledge, nullptr}},
      {"iec", {eckAcknowledge, nullptr}},
      {"cpl30", {eckAcknowledge, nullptr}},
      {"cpl60", {eckAcknowledge, nullptr}},
      {"cpl120", {eckAcknowledge, nullptr}},
      {"cpl180", {eckAcknowledge, nullptr}},
      {"cpl240", {eckAcknowledge, nullptr}},
      {"pls30", {eckAcknowledge, nullptr}},
      {"pls60", {eckAcknowledge, nullptr}},
      {"sq125", {eckAcknowledge, nullptr}},
      {"sq2", {eckAcknowledge, nullptr}},
      {"sn10", {eckAcknowledge, nullptr}},
      {"sn40", {eckAcknowledge, nullptr}},
      {"sn50", {eckAcknowledge, nullptr}},
      {"sn60", {eckAcknowledge, nullptr}},
      {"sn100", {eckAcknowledge, nullptr}},
      {"tr2", {eckAcknowledge, nullptr}},
      {"vfib", {eckAcknowledge, nullptr}},
  };
  return commands;
}

// What each measurement reads unless the scenario says otherwise: a healthy device under test.
const std::map<std::string, std::string>& DefaultReadings() {
  static const std::map<std::string, std::string> readings = {
      {"mains", "230.1V"}, {"eres", "0.095"}, {"mins", "550.0"}, {"apins", "550.0"},
      {"inse", "550.0"},   {"insb", "550.0"}, {"insd", "550.0"}, {"earthl", "0.25mA"},
      {"encl", "12uA"},    {"pat", "8uA"},    {"aux", "5uA"},    {"map", "15uA"},
      {"ppv", "0.4V"},     {"ppr", "0.102"},  {"ppl", "3uA"},    {"eqcurr", "1.25A"},
      {"saf", "150uA"},    {"diff", "210uA"}, {"dirl", "190uA"}, {"dmap", "20uA"},
      {"accl", "4uA"},     {"spat", "10uA"},  {"accv", "0.3V"},  {"zero", "0.000"},
  };
  return readings;
}

bool Accepts(const char* pszValues, const std::string& sValue) {
  std::string_view sList(pszValues);
  if (sList == "*") {
    return true;
  }
  while (true) {
    size_t nBar = sList.find('|');
    if (sList.substr(0, nBar) == sValue) {
      return true;
    }
    if (nBar == std::string_view::npos) {
      return false;
    }
    sList.remove_prefix(nBar + 1);
  }
}

}  // namespace

CSimInstrument::CSimInstrument(CSimScenario scenario)
    : mpPump(CContext::Share<CMessagePump>()), mScenario(std::move(scenario)) {}

CSimInstrument::~CSimInstrument() {
  Detach();
  StopStream();
  for (CMessagePump::Id id : mPending) {
    mpPump->RemoveTimer(id);
  }
}

void CSimInstrument::SetOutput(std::function<void(std::string_view)> fnOutput) {
  mfnOutput = std::move(fnOutput);
}

void CSimInstrument::SetOnDrop(std::function<void()> fnDrop) {
  mfnDrop = std::move(fnDrop);
}

void CSimInstrument::SetMonitor(std::function<void(bool, std::string_view)> fnMonitor) {
  mfnMonitor = std::move(fnMonitor);
}

void CSimInstrument::Attach(CSimulatedLine& line) {
  Detach();
  mpLine = &line;
  line.SetReceiver(CSimulatedLine::eslPeer, [this](std::string_view sBytes) { Receive(sBytes); });
  SetOutput([this](std::string_view sBytes) { mpLine->Write(CSimulatedLine::eslPeer, sBytes); });
}

void CSimInstrument::Detach() {
  if (mpLine != nullptr) {
    mpLine->SetReceiver(CSimulatedLine::eslPeer, nullptr);
    mpLine = nullptr;
    mfnOutput = nullptr;
  }
}

uint16_t CSimInstrument::StatusWord(int iWord) const {
  uint16_t iBits = mScenario.aiStatusBits.at(static_cast<size_t>(iWord));
  bool fTripped = mScenario.fGroundFault || mScenario.fOverVoltage;
  switch (iWord) {
    case 0:
      return iBits | (mScenario.fRemote ? 0x0004 : 0);
    case 1:
      return iBits | (msMeasurement.empty() ? 0x0001 : 0);
    case 2:
      if (mScenario.eOutlet != esoOff && !fTripped) {
        iBits |= 0x0008;
      }
      if (mScenario.eOutlet == esoReversed && !fTripped) {
        iBits |= 0x0200;
      }
      return iBits | (mScenario.fHighVoltage ? 0x0040 : 0);
    default:
      return iBits | (mScenario.fGroundFault ? 0x4000 : 0);
  }
}

void CSimInstrument::Receive(std::string_view sBytes) {
  if (mfnMonitor) {
    mfnMonitor(true, sBytes);
  }
  for (char c : sBytes) {
    if (mfDropped) {
      return;
    }
    if (c == '\x1b') {
      // The escape works at once, without a line end: it must cut a stream short.
      msLine.clear();
      HandleLine("\x1b");
    } else if (c == '\r' || c == '\n') {
      if (!msLine.empty()) {
        std::string sLine;
        sLine.swap(msLine);
        HandleLine(sLine);
      }
    } else if (msLine.size() < kLongestLine) {
      msLine.push_back(c);
    }
  }
}

void CSimInstrument::HandleLine(const std::string& sLine) {
  mvCommands.push_back(sLine);
  std::string sLower = LowerAscii(sLine);
  std::string sName = sLine == "\x1b" ? "esc" : sLower.substr(0, sLower.find('='));

  int64_t lDelayMs = mScenario.lLatencyMs;
  size_t nSplitAt = 0;
  int64_t lSplitGapMs = 0;
  bool fSilent = false;
  bool fDrop = false;
  bool fGarble = false;
  std::string sError;
  std::string sNoise;
  for (SSimFault& fault : mScenario.vFaults) {
    if (fault.sCommand != sLower && fault.sCommand != sName) {
      continue;
    }
    ++fault.lSeen;
    if (fault.lOccurrence != 0 && fault.lSeen != fault.lOccurrence) {
      continue;
    }
    switch (fault.eFault) {
      case esfLate:
        lDelayMs += fault.lMs;
        break;
      case esfSilent:
        fSilent = true;
        break;
      case esfGarbled:
        fGarble = true;
        break;
      case esfSplit:
        nSplitAt = static_cast<size_t>(fault.lSplitAt);
        lSplitGapMs = fault.lMs;
        break;
      case esfError:
        sError = "!" + fault.sText;
        break;
      case esfNoise:
        sNoise += fault.sText;
        break;
      case esfDrop:
        fDrop = true;
        break;
    }
  }
  if (fDrop) {
    Drop();
    return;
  }
  if (fSilent) {
    return;
  }

  bool fStartsStream = false;
  std::string sText = sError.empty() ? Execute(sLower, fStartsStream) : sError;
  if (fGarble) {
    for (char& c : sText) {
      c = static_cast<char>(c ^ 0x80);
    }
  }
  std::string sBytes = sNoise + sText + "\r\n";
  if (nSplitAt > 0 && nSplitAt < sBytes.size()) {
    SendLater(lDelayMs, sBytes.substr(0, nSplitAt), false);
    SendLater(lDelayMs + lSplitGapMs, sBytes.substr(nSplitAt), fStartsStream);
  } else {
    SendLater(lDelayMs, sBytes, fStartsStream);
  }
}

std::string CSimInstrument::Execute(const std::string& sLine, bool& fStartsStream) {
  CSimScenario& s = mScenario;
  if (sLine == "\x1b") {
    StopStream();
    return "*";
  }
  static const char* const kStatusWords[] = {"stat", "stat1", "stat2", "stat3"};
  for (int iWord = 0; iWord < 4; ++iWord) {
    if (sLine == kStatusWords[iWord]) {
      char szHex[8];
      std::snprintf(szHex, sizeof szHex, "%04X", StatusWord(iWord));
      return szHex;
    }
  }
  if (sLine == "remote") {
    s.fRemote = true;
    return "*";
  }
  if (sLine == "local") {
    StopStream();
    s.fRemote = s.fRemote && s.fRemoteLock;
    return "*";
  }
  if (sLine == "gfir" || sLine == "ovr") {
    // The outlet stays off after the interrupter is reset.
    bool& fTripped = sLine == "gfir" ? s.fGroundFault : s.fOverVoltage;
    if (fTripped) {
      s.eOutlet = esoOff;
    }
    fTripped = false;
    return "*";
  }
  if (s.fGroundFault) {
    return kGroundFaultTripped;
  }
  if (s.fOverVoltage) {
    return kOverVoltage;
  }
  if (sLine == "ident") {
    return "KSV 940," + s.sFirmware + kIdentTail;
  }
  if (sLine == "sn") {
    return s.sSerial;
  }
  if (sLine == "pca_type?") {
    return s.sPcaType;
  }

  size_t nEquals = sLine.find('=');
  std::string sKey = nEquals == std::string::npos ? sLine : sLine.substr(0, nEquals + 1);
  std::string sValue = nEquals == std::string::npos ? std::string() : sLine.substr(nEquals + 1);
  auto it = KnownCommands().find(sKey);
  bool fSpecial = sLine == "read" || sLine == "mread" || sLine == "zero" || sLine == "exit";
  if (!fSpecial && it == KnownCommands().end()) {
    return kUnknownCommand;
  }
  if (!s.fRemote) {
    return kNotRemote;
  }
  if (sLine == "read" || sLine == "mread") {
    if (msMeasurement.empty()) {
      return kNoMeasurement;
    }
    if (sLine == "mread") {
      StopStream();
      mfStreamArmed = fStartsStream = true;
    }
    return NextReading();
  }
  if (sLine == "zero") {
    auto itZero = s.readings.find("zero");
    return itZero != s.readings.end() && !itZero->second.empty() ? itZero->second.front()
                                                                 : DefaultReadings().at("zero");
  }
  if (sLine == "exit") {
    // Back to the main menu: the test function ends and the outlet is switched off.
    StopStream();
    msMeasurement.clear();
    s.eOutlet = esoOff;
    return "*";
  }
  const SCommand& command = it->second;
  if (command.pszValues != nullptr && !Accepts(command.pszValues, sValue)) {
    return kUnknownCommand;
  }
  if (command.eKind == eckMeasure) {
    return Select(sKey.substr(0, sKey.find('=')));
  }
  if (sKey == "pol=") {
    s.eOutlet = sValue == "off" ? esoOff : sValue == "n" ? esoNormal : esoReversed;
  }
  return "*";
}

std::string CSimInstrument::Select(const std::string& sMeasurement) {
  StopStream();
  msMeasurement = sMeasurement;
  mnReading = 0;
  return "*";
}

std::string CSimInstrument::NextReading() {
  auto it = mScenario.readings.find(msMeasurement);
  if (it != mScenario.readings.end() && !it->second.empty()) {
    const std::vector<std::string>& vValues = it->second;
    std::string sReading = vValues[std::min(mnReading, vValues.size() - 1)];
    ++mnReading;
    return sReading;
  }
  auto itDefault = DefaultReadings().find(msMeasurement);
  return itDefault != DefaultReadings().end() ? itDefault->second : kNoValue;
}

void CSimInstrument::StartStream() {
  if (!mfStreamArmed || mStreamTimer != 0) {
    return;  // stopped before its first reading went out
  }
  int64_t lPeriodUs = static_cast<int64_t>(mScenario.lStreamMs) * 1000;
  mStreamTimer = mpPump->AddTimer(mpPump->Clock().NowUs() + lPeriodUs, lPeriodUs,
                                  [this] { Send(NextReading() + "\r\n"); });
}

void CSimInstrument::StopStream() {
  mfStreamArmed = false;
  if (mStreamTimer != 0) {
    mpPump->RemoveTimer(mStreamTimer);
    mStreamTimer = 0;
  }
}

void CSimInstrument::SendLater(int64_t lDelayMs, std::string sBytes, bool fStartsStream) {
  auto pId = std::make_shared<CMessagePump::Id>(0);
  *pId = mpPump->AddTimer(mpPump->Clock().NowUs() + lDelayMs * 1000, 0,
                          [this, pId, sBytes = std::move(sBytes), fStartsStream] {
                            mPending.erase(*pId);
                            Send(sBytes);
                            if (fStartsStream) {
                              StartStream();
                            }
                          });
  mPending.insert(*pId);
}

void CSimInstrument::Send(std::string_view sBytes) {
  if (mfDropped) {
    return;
  }
  if (mfnMonitor) {
    mfnMonitor(false, sBytes);
  }
  if (mfnOutput) {
    mfnOutput(sBytes);
  }
}

void CSimInstrument::Drop() {
  mfDropped = true;
  StopStream();
  for (CMessagePump::Id id : mPending) {
    mpPump->RemoveTimer(id);
  }
  mPending.clear();
  if (mfnDrop) {
    mfnDrop();
  }
}

}  // namespace ksv940
