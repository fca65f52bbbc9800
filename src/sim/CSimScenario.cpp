#include "sim/CSimScenario.h"
#include "platform/core/MText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <system_error>

namespace ksv940 {

namespace {

// Line noise when the scenario names none: bytes no reply contains.
constexpr std::string_view kDefaultNoise = "\xff\xfe\xfd";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && IsBlank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

// The first word of s; s keeps the rest, trimmed.
std::string_view NextWord(std::string_view& s) {
  s = Trim(s);
  size_t n = 0;
  while (n < s.size() && !IsBlank(s[n])) {
    ++n;
  }
  std::string_view sWord = s.substr(0, n);
  s = Trim(s.substr(n));
  return sWord;
}

[[noreturn]] void Fail(const std::string& sReason) {
  throw CSimScenarioError(sReason);
}

bool OnOff(std::string_view sKey, std::string_view sValue) {
  std::string s = LowerAscii(sValue);
  if (s == "on") {
    return true;
  }
  if (s == "off") {
    return false;
  }
  Fail("'" + std::string(sKey) + "' takes on or off, not '" + std::string(sValue) + "'");
}

int32_t Number(std::string_view sWhat, std::string_view sValue) {
  int32_t lValue = 0;
  auto [pEnd, ec] = std::from_chars(sValue.data(), sValue.data() + sValue.size(), lValue);
  if (sValue.empty() || ec != std::errc() || pEnd != sValue.data() + sValue.size() || lValue < 0) {
    Fail(std::string(sWhat) + " must be a whole number of 0 or more, not '" + std::string(sValue) +
         "'");
  }
  return lValue;
}

std::string Unescape(std::string_view sText) {
  std::string s;
  for (size_t i = 0; i < sText.size(); ++i) {
    if (sText[i] != '\\' || i + 1 == sText.size()) {
      s.push_back(sText[i]);
      continue;
    }
    char c = sText[++i];
    if (c == 'r') {
      s.push_back('\r');
    } else if (c == 'n') {
      s.push_back('\n');
    } else if (c == 't') {
      s.push_back('\t');
    } else if (c == 'x' && i + 2 < sText.size() &&
               std::isxdigit(static_cast<unsigned char>(sText[i + 1])) &&
               std::isxdigit(static_cast<unsigned char>(sText[i + 2]))) {
      s.push_back(static_cast<char>(std::stoi(std::string(sText.substr(i + 1, 2)), nullptr, 16)));
      i += 2;
    } else if (c == '\\') {
      s.push_back('\\');
    } else {
      Fail("unknown escape '\\" + std::string(1, c) + "' in noise text");
    }
  }
  return s;
}

SSimFault ParseFault(std::string_view sRest) {
  SSimFault fault;
  fault.sCommand = LowerAscii(NextWord(sRest));
  std::string_view sWhen = NextWord(sRest);
  std::string_view sKind = NextWord(sRest);
  if (fault.sCommand.empty() || sWhen.empty() || sKind.empty()) {
    Fail("'on' needs a command, an occurrence (a number from 1, or every) and a fault");
  }
  if (LowerAscii(sWhen) != "every") {
    fault.lOccurrence = Number("the occurrence", sWhen);
    if (fault.lOccurrence == 0) {
      Fail("the occurrence counts from 1; use every for all of them");
    }
  }
  std::string sFault = LowerAscii(sKind);
  std::string_view sArgs = sRest;
  if (sFault == "late") {
    fault.eFault = esfLate;
    fault.lMs = Number("the delay of 'late'", NextWord(sRest));
  } else if (sFault == "silent") {
    fault.eFault = esfSilent;
  } else if (sFault == "garbled") {
    fault.eFault = esfGarbled;
  } else if (sFault == "split") {
    fault.eFault = esfSplit;
    fault.lSplitAt = Number("the characters of the first part of 'split'", NextWord(sRest));
    fault.lMs = Number("the gap of 'split'", NextWord(sRest));
  } else if (sFault == "error") {
    fault.eFault = esfError;
    fault.sText = std::string(NextWord(sRest));
    if (fault.sText.empty() || !std::all_of(fault.sText.begin(), fault.sText.end(),
                                            [](unsigned char c) { return std::isdigit(c); })) {
      Fail("'error' needs a code of digits, such as 57");
    }
  } else if (sFault == "noise") {
    fault.eFault = esfNoise;
    fault.sText = sArgs.empty() ? std::string(kDefaultNoise) : Unescape(sArgs);
    sRest = {};
  } else if (sFault == "drop") {
    fault.eFault = esfDrop;
  } else {
    Fail("unknown fault '" + std::string(sKind) +
         "' (late, silent, garbled, split, error, noise, drop)");
  }
  if (!sRest.empty()) {
    Fail("unexpected '" + std::string(sRest) + "' after the fault");
  }
  return fault;
}

}  // namespace

CSimScenario& CSimScenario::On(std::string sCommand, int32_t lOccurrence, ESimFault eFault,
                               int32_t lMs, std::string sText, int32_t lSplitAt) {
  SSimFault fault;
  fault.sCommand = LowerAscii(sCommand);
  fault.lOccurrence = lOccurrence;
  fault.eFault = eFault;
  fault.lMs = lMs;
  fault.sText = eFault == esfNoise && sText.empty() ? std::string(kDefaultNoise) : sText;
  fault.lSplitAt = lSplitAt;
  vFaults.push_back(std::move(fault));
  return *this;
}

CSimScenario& CSimScenario::Reading(std::string sMeasurement, std::vector<std::string> vValues) {
  readings[LowerAscii(sMeasurement)] = std::move(vValues);
  return *this;
}

std::string CSimScenario::PcaTypeReply(const std::string& sType) {
  return sType.find('/') == std::string::npos ? "1/0/" + sType : sType;
}

void CSimScenario::ApplyLine(std::string_view sLine) {
  std::string_view sRest = Trim(sLine);
  if (sRest.empty() || sRest.front() == '#') {
    return;
  }
  std::string_view sKeyWord = NextWord(sRest);
  std::string sKey = LowerAscii(sKeyWord);
  auto fnValue = [&]() {
    if (sRest.empty()) {
      Fail("'" + sKey + "' needs a value");
    }
    return sRest;
  };
  if (sKey == "firmware") {
    sFirmware = fnValue();
  } else if (sKey == "serial") {
    sSerial = fnValue();
  } else if (sKey == "pca-type") {
    sPcaType = PcaTypeReply(std::string(fnValue()));
  } else if (sKey == "remote") {
    fRemote = OnOff(sKey, fnValue());
  } else if (sKey == "remote-lock") {
    fRemoteLock = OnOff(sKey, fnValue());
  } else if (sKey == "ground-fault") {
    fGroundFault = OnOff(sKey, fnValue());
  } else if (sKey == "over-voltage") {
    fOverVoltage = OnOff(sKey, fnValue());
  } else if (sKey == "high-voltage") {
    fHighVoltage = OnOff(sKey, fnValue());
  } else if (sKey == "outlet") {
    std::string sValue = LowerAscii(fnValue());
    if (sValue == "off") {
      eOutlet = esoOff;
    } else if (sValue == "normal") {
      eOutlet = esoNormal;
    } else if (sValue == "reversed") {
      eOutlet = esoReversed;
    } else {
      Fail("'outlet' takes off, normal or reversed, not '" + sValue + "'");
    }
  } else if (sKey == "status") {
    std::string sWord = LowerAscii(NextWord(sRest));
    static const char* const kWords[] = {"stat", "stat1", "stat2", "stat3"};
    auto it = std::find(std::begin(kWords), std::end(kWords), sWord);
    std::string_view sBits = NextWord(sRest);
    if (sBits.size() > 2 && LowerAscii(sBits.substr(0, 2)) == "0x") {
      sBits.remove_prefix(2);
    }
    unsigned uBits = 0;
    auto [pEnd, ec] = std::from_chars(sBits.data(), sBits.data() + sBits.size(), uBits, 16);
    if (it == std::end(kWords) || sBits.empty() || ec != std::errc() ||
        pEnd != sBits.data() + sBits.size() || uBits > 0xFFFF || !sRest.empty()) {
      Fail("'status' needs a status word (stat, stat1, stat2, stat3) and up to four hex digits");
    }
    aiStatusBits[static_cast<size_t>(it - std::begin(kWords))] |= static_cast<uint16_t>(uBits);
  } else if (sKey == "latency") {
    lLatencyMs = Number("the latency", fnValue());
  } else if (sKey == "stream") {
    lStreamMs = Number("the stream interval", fnValue());
    if (lStreamMs == 0) {
      Fail("the stream interval must be at least 1 ms");
    }
  } else if (sKey == "reading") {
    std::string sName = LowerAscii(NextWord(sRest));
    std::vector<std::string> vValues;
    for (std::string_view sValue = NextWord(sRest); !sValue.empty(); sValue = NextWord(sRest)) {
      vValues.emplace_back(sValue);
    }
    if (vValues.empty()) {
      Fail("'reading' needs a measurement and at least one value");
    }
    readings[sName] = std::move(vValues);
  } else if (sKey == "on") {
    vFaults.push_back(ParseFault(sRest));
  } else {
    Fail("unknown setting '" + std::string(sKeyWord) + "'");
  }
}

CSimScenario CSimScenario::Parse(std::string_view sText, const std::string& sName) {
  CSimScenario scenario;
  int32_t lLine = 0;
  while (!sText.empty()) {
    size_t nEnd = sText.find('\n');
    std::string_view sLine = sText.substr(0, nEnd);
    sText = nEnd == std::string_view::npos ? std::string_view() : sText.substr(nEnd + 1);
    ++lLine;
    try {
      scenario.ApplyLine(sLine);
    } catch (const CSimScenarioError& e) {
      throw CSimScenarioError(sName + ":" + std::to_string(lLine) + ": " + e.what());
    }
  }
  return scenario;
}

CSimScenario CSimScenario::Load(const std::string& sPath) {
  std::string sText;
  try {
    sText = ReadFileText(sPath);
  } catch (const std::system_error& e) {
    throw CSimScenarioError(sPath + ": cannot read the scenario file: " + e.code().message());
  }
  return Parse(sText, sPath);
}

}  // namespace ksv940
