#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/CMessagePump.h"
#include "platform/forms/EOperatorAnswer.h"
#include "platform/forms/IFormView.h"

namespace ksv940 {

/// The operator at a terminal. A form is printed as its caption, picture symbol, title and body
/// (wrapped), the buttons with their keys, and the countdown line, which is rewritten in place on
/// a terminal (a new line otherwise) as it changes. Keys, read through the message pump: C
/// Continue, S Stop Test, K Skip (when the form shows Skip), Ctrl-C Stop Test; other keys are
/// ignored. End of input answers Stop Test: nobody is left to answer. A message box is printed as
/// "TITLE: TEXT" and waits for Enter (or Space, O, Ctrl-C).
///
/// While a form or box is shown, a terminal input is in raw mode (no echo, no line editing, no
/// signals from keys) and keys typed before it appeared are dropped; the previous mode comes back
/// when it hides, and also when the process is ended by SIGTERM or SIGHUP meanwhile.
class CTerminalView : public IFormView {
 public:
  explicit CTerminalView(int iInFd = 0, int iOutFd = 1);
  ~CTerminalView() override;
  CTerminalView(const CTerminalView&) = delete;
  CTerminalView& operator=(const CTerminalView&) = delete;

  void FormShown(CForm& frm) override;
  void FormChanged(CForm& frm, const CControl* pControl) override;
  void FormHidden(CForm& frm) override;
  void Show(const std::string& sText, const std::string& sTitle, bool fExclamation) override;

  /// The key that answers eoa ('C', 'S', 'K'); 0 for eoaNone.
  static char KeyFor(EOperatorAnswer eoa);

 private:
  struct SShown {
    CForm* pForm = nullptr;  ///< null for a message box
    bool* pfBoxDone = nullptr;
    EOperatorAnswer eoaGiven = eoaNone;
    std::string sStatus;  ///< the countdown line as last printed
  };

  void Enter();
  void Leave();
  void OnReadable();
  void OnKey(char c);
  void PrintForm(const CForm& frm, SShown& shown);
  void PrintStatus(const std::string& sStatus, bool fRewrite);
  void Write(const std::string& sText);

  int miInFd;
  int miOutFd;
  bool mfOutIsTerminal;
  std::vector<SShown> mvShown;
  std::shared_ptr<CMessagePump> mpPump;
  CMessagePump::Id mWatch = 0;
  bool mfInputEnded = false;
  bool mfRaw = false;
};

}  // namespace ksv940
