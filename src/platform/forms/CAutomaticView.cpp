#include "platform/forms/CAutomaticView.h"

#include <cmath>

#include "platform/forms/CForm.h"
#include "platform/forms/SFormText.h"

namespace ksv940 {

namespace {

// The buttons' captions as they read, with the answers to the side: "Continue | Stop Test".
std::string ButtonLine(const SFormText& text) {
  std::string sLine;
  for (const CControl* pButton : text.vButtons) {
    sLine += (sLine.empty() ? "" : " | ") + SFormText::PlainCaption(pButton->Caption());
  }
  return sLine;
}

std::string ButtonCaption(const CForm& frm, EOperatorAnswer eoa) {
  std::string sCaption = SFormText::ButtonCaption(frm, eoa);
  return sCaption.empty() ? OperatorAnswerName(eoa) : sCaption;
}

}  // namespace

CAutomaticView::CAutomaticView(EOperatorAnswer eoa, int64_t lAfterMs, std::ostream& out,
                               std::ostream& err)
    : meoaAnswer(eoa), mlAfterMs(lAfterMs), mOut(out), mErr(err) {}

void CAutomaticView::FormShown(CForm& frm) {
  SOpen open;
  open.pPump = CContext::Share<CMessagePump>();
  open.lShownUs = open.pPump->Clock().NowUs();

  SFormText text = SFormText::Of(frm);
  mOut << text.sCaption << (frm.Topmost() ? "  (on top)" : "") << "\n";
  for (const std::string& sText : text.vTexts) {
    mOut << "  " << sText << "\n";
  }
  for (const std::string& sStatus : text.vStatus) {
    mOut << "  " << sStatus << "\n";
  }
  mOut << "  Buttons: " << ButtonLine(text) << "\n";
  mOut.flush();

  EOperatorAnswer eoa = meoaAnswer;
  int64_t lAfterMs = mlAfterMs;
  if (eoa == eoaNone) {
    if (frm.CountingDown()) {
      mOpen[&frm] = open;
      return;
    }
    eoa = eoaContinue;
    lAfterMs = 0;
  } else if (!frm.Offers(eoa)) {
    open.sNote = " (no " + OperatorAnswerName(eoa) + " button here)";
    eoa = eoaContinue;
  }
  CForm* pForm = &frm;
  open.idAnswer = open.pPump->AddTimer(open.lShownUs + lAfterMs * 1000, 0,
                                       [this, pForm, eoa] { Answer(*pForm, eoa); });
  mOpen[&frm] = open;
}

void CAutomaticView::Answer(CForm& frm, EOperatorAnswer eoa) {
  auto it = mOpen.find(&frm);
  if (it == mOpen.end()) {
    return;
  }
  it->second.idAnswer = 0;
  it->second.eoaGiven = eoa;
  if (!frm.Click(eoa)) {
    it->second.eoaGiven = eoaNone;
  }
}

void CAutomaticView::FormChanged(CForm& /*frm*/, const CControl* /*pControl*/) {
  // An unattended log keeps the form as it appeared and the answer; the countdown's ticks would
  // only repeat the first line.
}

void CAutomaticView::FormHidden(CForm& frm) {
  auto it = mOpen.find(&frm);
  if (it == mOpen.end()) {
    return;
  }
  SOpen open = it->second;
  mOpen.erase(it);
  if (open.idAnswer != 0) {
    open.pPump->RemoveTimer(open.idAnswer);
  }
  auto lSeconds =
      std::llround(static_cast<double>(open.pPump->Clock().NowUs() - open.lShownUs) / 1'000'000.0);
  if (open.eoaGiven == eoaNone) {
    mOut << "Answer: none, closed by itself after " << lSeconds << " s\n";
  } else {
    mOut << "Answer: " << ButtonCaption(frm, open.eoaGiven) << open.sNote << " after " << lSeconds
         << " s\n";
  }
  mOut.flush();
}

void CAutomaticView::Show(const std::string& sText, const std::string& sTitle,
                          bool /*fExclamation*/) {
  mErr << MessageBoxTitle(sTitle) << ": " << sText << "\n";
  mErr.flush();
}

}  // namespace ksv940
