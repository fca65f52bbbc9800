#include "app/console/CRunConsole.h"

#include <algorithm>
#include <cstdlib>

#include "app/record/MRunText.h"
#include "app/store/MTrend.h"
#include "declares/GDeclares.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/core/MText.h"

namespace ksv940 {

namespace {

constexpr size_t kLongestNameColumn = 60;
constexpr size_t kValueColumn = 18;
constexpr size_t kStateColumn = 13;  // "not performed"
constexpr const char* kClearLine = "\r\x1b[K";

std::string Padded(const std::string& sText, size_t nWidth) {
  return sText.size() >= nWidth ? sText : sText + std::string(nWidth - sText.size(), ' ');
}

std::string OneLine(std::string sText) {
  std::replace(sText.begin(), sText.end(), '\r', ' ');
  std::replace(sText.begin(), sText.end(), '\n', ' ');
  return sText;
}

size_t NameWidth(const SRunRecord& record) {
  size_t nWidth = 0;
  for (const SStepRecord& step : record.vSteps) {
    nWidth = std::max(nWidth, step.sName.size());
  }
  return std::min(nWidth, kLongestNameColumn);
}

std::string Counter(const SRunRecord& record, size_t nStep) {
  std::string sTotal = std::to_string(record.vSteps.size());
  std::string sIndex = std::to_string(nStep + 1);
  return std::string(sTotal.size() - std::min(sTotal.size(), sIndex.size()), ' ') + sIndex + "/" +
         sTotal;
}

}  // namespace

CRunConsole::CRunConsole(std::ostream& out, std::ostream& err, bool fTerminal, bool fUtf8)
    : mOut(out), mErr(err), mfTerminal(fTerminal), mfUtf8(fUtf8) {}

bool CRunConsole::Utf8Locale() {
  for (const char* szName : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* szValue = std::getenv(szName);
    if (szValue != nullptr && *szValue != '\0') {
      std::string sValue = LowerAscii(szValue);
      return sValue.find("utf-8") != std::string::npos || sValue.find("utf8") != std::string::npos;
    }
  }
  return false;
}

CRunConsole::~CRunConsole() = default;

std::string CRunConsole::ResultLine(const SRunRecord& record, size_t nStep,
                                    size_t nNameWidth) const {
  const SStepRecord& step = record.vSteps[nStep];
  std::string sDisplay = mfUtf8 ? PersonDisplay(step) : step.sDisplay;
  // The column is padded by the characters a person sees, not the bytes of the UTF-8 units.
  size_t nExtraBytes = sDisplay.size() - ShownWidth(sDisplay);
  std::string sLine = Counter(record, nStep) + "  " + Padded(step.sName, nNameWidth) + "  " +
                      Padded(sDisplay, kValueColumn + nExtraBytes) + "  " +
                      Padded(StateText(step.ess), kStateColumn);
  if (step.esv != esvNone) {
    sLine += step.esv == esvPass ? "  pass" : "  FAIL";
  }
  auto person = [&](const std::string& sText) {
    return mfUtf8 ? WithPersonUnit(sText, step.sUnit) : sText;
  };
  for (const std::string& sRemark :
       {StepRemark(step, mfUtf8), person(PreviousText(step)), person(step.sTrend)}) {
    if (!sRemark.empty()) {
      sLine += "  " + OneLine(sRemark);
    }
  }
  sLine.erase(sLine.find_last_not_of(' ') + 1);
  return sLine;
}

void CRunConsole::Showing(bool fShowing) {
  if (fShowing) {
    ++mnShown;
    if (mlShowing++ == 0) {
      Clear();
    }
  } else if (mlShowing > 0 && --mlShowing == 0) {
    Draw();
  }
}

void CRunConsole::End() {
  Clear();
  msProgress.clear();
  mpTicker.reset();
}

void CRunConsole::Connecting(const SRunRecord& record) {
  mnShownAtConnect = mnShown;
  Begin("Connecting to the analyzer (" + record.sLink + ")");
}

void CRunConsole::Connected(const SRunRecord& record) {
  End();
  if (record.connectionError) {
    const SRunError& error = *record.connectionError;
    if (error.lNumber == errVTI_UserAbort) {
      mErr << "ksv940 run: connection stopped by the operator\n";
    } else if (mnShown == mnShownAtConnect) {
      // No message box told the operator (the wireless connector's own failures show none).
      mErr << "ksv940 run: no connection: " << OneLine(error.sDescription) << "\n";
    }
    if (!record.sPortProblem.empty()) {
      mErr << "ksv940 run: " << record.sPortProblem << "\n";
    }
  } else if (!record.fIdentified) {
    mErr << "ksv940 run: the wireless connector found no analyzer\n";
  } else {
    mErr << "Analyzer: " << record.sModel << ", serial number " << record.sSerial << ", firmware "
         << record.sFirmware << "\n";
  }
  mErr.flush();
}

void CRunConsole::StepStarting(const SRunRecord& record, size_t nStep) {
  Begin("[" + Counter(record, nStep) + "] " + record.vSteps[nStep].sName);
}

void CRunConsole::StepEnded(const SRunRecord& record, size_t nStep) {
  End();
  mOut << ResultLine(record, nStep, NameWidth(record)) << "\n" << std::flush;
}

void CRunConsole::Finished(const SRunRecord& record) {
  End();
  mErr << "Outcome: " << OutcomeText(record.ero) << "\n" << std::flush;
  std::string sVerdict = RunVerdictText(RunVerdict(record));
  for (char& c : sVerdict) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  mOut << "Verdict: " << sVerdict << (mfUtf8 ? " \xe2\x80\x94 " : " - ") << StepCounts(record)
       << "\n"
       << std::flush;
}

void CRunConsole::Begin(const std::string& sText) {
  msProgress = sText + " ...";
  CMessagePump& pump = CContext::Get<CMessagePump>();
  mlStartUs = pump.Clock().NowUs();
  if (!mfTerminal) {
    mErr << msProgress << "\n" << std::flush;
    return;
  }
  Draw();
  mpTicker = std::make_unique<CPumpTimer>([this] { Draw(); });
  mpTicker->Start(1000);
}

void CRunConsole::Draw() {
  if (!mfTerminal || msProgress.empty() || mlShowing > 0) {
    return;
  }
  int64_t lSeconds = (CContext::Get<CMessagePump>().Clock().NowUs() - mlStartUs) / 1'000'000;
  mErr << kClearLine << msProgress << " " << lSeconds << " s" << std::flush;
  mfDrawn = true;
}

void CRunConsole::Clear() {
  if (mfDrawn) {
    mErr << kClearLine << std::flush;
    mfDrawn = false;
  }
}

}  // namespace ksv940
