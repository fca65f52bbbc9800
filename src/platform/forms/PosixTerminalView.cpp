#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/core/PosixPumpPlatform.h"
#include "platform/forms/CForm.h"
#include "platform/forms/CTerminalView.h"
#include "platform/forms/SFormText.h"

namespace ksv940 {

namespace {

constexpr size_t kWrapWidth = 72;
constexpr const char* kIndent = "     ";
constexpr char kCtrlC = 3;

// The mode to give back if the process is ended while a terminal is raw. Signal handlers may only
// read these; they are written while the signals are blocked.
termios gSavedMode{};
volatile sig_atomic_t giRawFd = -1;
struct sigaction gOldTerm {};
struct sigaction gOldHup {};

void RestoreOnSignal(int iSignal) {
  if (giRawFd >= 0) {
    tcsetattr(giRawFd, TCSANOW, &gSavedMode);
  }
  sigaction(SIGTERM, &gOldTerm, nullptr);
  sigaction(SIGHUP, &gOldHup, nullptr);
  raise(iSignal);
}

class CSignalsBlocked {
 public:
  CSignalsBlocked() {
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    sigaddset(&block, SIGHUP);
    sigprocmask(SIG_BLOCK, &block, &mOld);
  }
  ~CSignalsBlocked() { sigprocmask(SIG_SETMASK, &mOld, nullptr); }

 private:
  sigset_t mOld;
};

}  // namespace

CTerminalView::CTerminalView(int iInFd, int iOutFd)
    : miInFd(iInFd), miOutFd(iOutFd), mfOutIsTerminal(isatty(iOutFd) == 1) {}

CTerminalView::~CTerminalView() {
  mvShown.clear();
  Leave();
}

char CTerminalView::KeyFor(EOperatorAnswer eoa) {
  switch (eoa) {
    case eoaContinue:
      return 'C';
    case eoaStop:
      return 'S';
    case eoaSkip:
      return 'K';
    case eoaNone:
      break;
  }
  return 0;
}

void CTerminalView::Write(const std::string& sText) {
  size_t nDone = 0;
  while (nDone < sText.size()) {
    ssize_t nWritten = write(miOutFd, sText.data() + nDone, sText.size() - nDone);
    if (nWritten < 0) {
      if (errno == EINTR) {
        continue;
      }
      return;  // an output that is gone must not stop the dialog: the keys still answer it
    }
    nDone += static_cast<size_t>(nWritten);
  }
}

void CTerminalView::Enter() {
  if (!mpPump) {
    mpPump = CContext::Share<CMessagePump>();
  }
  termios mode{};
  if (!mfRaw && tcgetattr(miInFd, &mode) == 0) {
    CSignalsBlocked blocked;
    gSavedMode = mode;
    mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    mode.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    if (tcsetattr(miInFd, TCSANOW, &mode) == 0) {
      mfRaw = true;
      giRawFd = miInFd;
      struct sigaction restore {};
      restore.sa_handler = RestoreOnSignal;
      sigemptyset(&restore.sa_mask);
      sigaction(SIGTERM, &restore, &gOldTerm);
      sigaction(SIGHUP, &restore, &gOldHup);
    }
  }
  if (mfRaw) {
    // Keys pressed before the dialog appeared must not answer it.
    tcflush(miInFd, TCIFLUSH);
  }
  if (mWatch == 0 && !mfInputEnded) {
    mWatch = CPosixPumpPlatform::Of(*mpPump).WatchReadable(miInFd, [this] { OnReadable(); });
  }
}

void CTerminalView::Leave() {
  if (!mvShown.empty()) {
    return;
  }
  if (mWatch != 0) {
    CPosixPumpPlatform::Of(*mpPump).Unwatch(mWatch);
    mWatch = 0;
  }
  if (mfRaw) {
    CSignalsBlocked blocked;
    tcsetattr(miInFd, TCSANOW, &gSavedMode);
    giRawFd = -1;
    sigaction(SIGTERM, &gOldTerm, nullptr);
    sigaction(SIGHUP, &gOldHup, nullptr);
    mfRaw = false;
  }
}

void CTerminalView::OnReadable() {
  char buffer[64];
  ssize_t nRead = read(miInFd, buffer, sizeof buffer);
  if (nRead < 0 && (errno == EINTR || errno == EAGAIN)) {
    return;
  }
  if (nRead <= 0) {
    mfInputEnded = true;
    CPosixPumpPlatform::Of(*mpPump).Unwatch(mWatch);
    mWatch = 0;
    // Nobody is left at the keyboard: halt rather than let the test go on unattended.
    while (!mvShown.empty()) {
      size_t nBefore = mvShown.size();
      OnKey(kCtrlC);
      if (mvShown.size() == nBefore) {
        break;
      }
    }
    return;
  }
  size_t nShown = mvShown.size();
  for (ssize_t i = 0; i < nRead; ++i) {
    OnKey(buffer[i]);
    if (mvShown.size() != nShown) {
      break;  // the rest was typed for the dialog that just closed
    }
  }
}

void CTerminalView::OnKey(char c) {
  if (mvShown.empty()) {
    return;
  }
  SShown& top = mvShown.back();
  if (top.pForm == nullptr) {
    if (c == '\r' || c == '\n' || c == ' ' || c == 'o' || c == 'O' || c == kCtrlC) {
      *top.pfBoxDone = true;
    }
    return;
  }
  EOperatorAnswer eoa = eoaNone;
  switch (c) {
    case 'c':
    case 'C':
      eoa = eoaContinue;
      break;
    case 's':
    case 'S':
    case kCtrlC:
      eoa = eoaStop;
      break;
    case 'k':
    case 'K':
      eoa = eoaSkip;
      break;
    default:
      return;
  }
  CForm* pForm = top.pForm;
  if (pForm->Offers(eoa)) {
    top.eoaGiven = eoa;
    pForm->Click(eoa);
  }
}

void CTerminalView::PrintStatus(const std::string& sStatus, bool fRewrite) {
  if (fRewrite && mfOutIsTerminal) {
    Write("\r\033[K" + std::string(kIndent) + sStatus);
  } else {
    Write((fRewrite ? "\n" : "") + std::string(kIndent) + sStatus);
  }
}

void CTerminalView::PrintForm(const CForm& frm, SShown& shown) {
  SFormText text = SFormText::Of(frm);
  std::string sOut = "\n=== " + text.sCaption + " ===\n";
  std::string sSymbol = text.vPictures.empty() ? std::string() : text.vPictures.front();
  bool fFirst = true;
  for (size_t i = 0; i < text.vTexts.size(); ++i) {
    if (i == 1) {
      sOut += "\n";  // the title stands apart from the body
    }
    for (const std::string& sLine : SFormText::Wrap(text.vTexts[i], kWrapWidth)) {
      std::string sLead = fFirst ? sSymbol : std::string();
      sLead.resize(std::string(kIndent).size(), ' ');
      sOut += sLead + sLine + "\n";
      fFirst = false;
    }
  }
  if (fFirst && !sSymbol.empty()) {
    sOut += sSymbol + "\n";
  }
  std::string sButtons;
  for (const CControl* pButton : text.vButtons) {
    sButtons += (sButtons.empty() ? "" : "   ") + std::string("[") + KeyFor(pButton->Answer()) +
                "] " + SFormText::PlainCaption(pButton->Caption());
  }
  sOut += "\n" + std::string(kIndent) + sButtons + "\n";
  Write(sOut);
  shown.sStatus = text.vStatus.empty() ? std::string() : text.vStatus.front();
  if (!shown.sStatus.empty()) {
    PrintStatus(shown.sStatus, false);
  }
}

void CTerminalView::FormShown(CForm& frm) {
  SShown shown;
  shown.pForm = &frm;
  PrintForm(frm, shown);
  mvShown.push_back(shown);
  Enter();
}

void CTerminalView::FormChanged(CForm& frm, const CControl* pControl) {
  for (SShown& shown : mvShown) {
    if (shown.pForm != &frm) {
      continue;
    }
    if (pControl != nullptr && SFormText::IsStatusLine(*pControl)) {
      std::string sStatus = pControl->Visible() ? pControl->Caption() : std::string();
      if (sStatus != shown.sStatus) {
        shown.sStatus = sStatus;
        PrintStatus(sStatus, true);
      }
    } else {
      Write(shown.sStatus.empty() ? "" : "\n");
      PrintForm(frm, shown);
    }
    return;
  }
}

void CTerminalView::FormHidden(CForm& frm) {
  for (auto it = mvShown.begin(); it != mvShown.end(); ++it) {
    if (it->pForm != &frm) {
      continue;
    }
    std::string sAnswer =
        it->eoaGiven != eoaNone ? SFormText::ButtonCaption(frm, it->eoaGiven) : std::string();
    if (sAnswer.empty()) {
      sAnswer = "closed by itself";
    }
    Write((it->sStatus.empty() ? "" : "\n") + std::string(kIndent) + "-> " + sAnswer + "\n");
    mvShown.erase(it);
    Leave();
    return;
  }
}

void CTerminalView::Show(const std::string& sText, const std::string& sTitle, bool fExclamation) {
  Write("\n" + std::string(fExclamation ? "/!\\ " : "") + MessageBoxTitle(sTitle) + ": " + sText +
        "\n" + kIndent + "[Enter] OK\n");
  bool fDone = false;
  SShown shown;
  shown.pfBoxDone = &fDone;
  mvShown.push_back(shown);
  Enter();
  CMessagePump& pump = *mpPump;
  try {
    while (!fDone && !mfInputEnded) {
      pump.ProcessMessages();
    }
  } catch (...) {
    mvShown.pop_back();
    Leave();
    throw;
  }
  mvShown.pop_back();
  Leave();
}

}  // namespace ksv940
