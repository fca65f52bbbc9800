#include "testing/CScriptedView.h"

#include <stdexcept>

#include "platform/forms/CForm.h"

namespace ksv940 {

namespace {

CMessagePump& Pump() {
  return CContext::Get<CMessagePump>();
}

}  // namespace

std::string SRecordedForm::Text(const std::string& sControl) const {
  auto it = mTexts.find(sControl);
  return it == mTexts.end() ? std::string() : it->second;
}

CScriptedView& CScriptedView::Then(EOperatorAnswer eoa, int64_t lAfterMs) {
  mAnswers.emplace_back(eoa, lAfterMs);
  return *this;
}

void CScriptedView::FormShown(CForm& frm) {
  SRecordedForm record{frm.Name(), frm.Caption(),
                       frm.Owner() != nullptr ? frm.Owner()->WindowTitle() : std::string(),
                       frm.Topmost(), frm.CountingDown()};
  record.lShownUs = Pump().Clock().NowUs();
  for (const auto& pControl : frm.DesignedControls()) {
    if (pControl->Visible() && (pControl->Kind() == eckLabel || pControl->Kind() == eckButton)) {
      record.mTexts[pControl->Name()] = pControl->Caption();
    }
  }
  mvForms.push_back(record);
  if (mAnswers.empty() && mfAnswerUnscripted) {
    if (miStopAt-- == 0 && frm.Offers(eoaStop)) {
      Then(eoaStop, 500);
    } else if (frm.Offers(eoaSkip)) {
      // No resistance measured: measure again once, then skip. (An analyzer that never measures
      // keeps asking as long as someone answers Continue, or lets the countdown continue.)
      Then(mnNoResistance++ == 0 ? eoaContinue : eoaSkip, 1000);
    } else {
      Then(record.fCountdown ? eoaNone : eoaContinue, 1000);
    }
  }
  if (mAnswers.empty()) {
    throw std::logic_error("scripted operator: no answer left for " + frm.Name());
  }
  auto [eoa, lAfterMs] = mAnswers.front();
  mAnswers.pop_front();
  SOpen open{mvForms.size() - 1};
  if (eoa == eoaNone && !record.fCountdown) {
    throw std::logic_error("scripted operator: " + frm.Name() + " would never close by itself");
  }
  if (eoa != eoaNone) {
    CForm* pForm = &frm;
    size_t nRecord = open.nRecord;
    open.idAnswer = Pump().AddTimer(record.lShownUs + lAfterMs * 1000, 0, [=, this] {
      mOpen[pForm].idAnswer = 0;
      mvForms[nRecord].eoaAnswer = eoa;
      if (!pForm->Click(eoa)) {
        mvForms[nRecord].eoaAnswer = eoaNone;
        throw std::logic_error("scripted operator: " + pForm->Name() + " offers no " +
                               OperatorAnswerName(eoa) + " button");
      }
    });
  }
  mOpen[&frm] = open;
}

void CScriptedView::FormChanged(CForm& frm, const CControl* pControl) {
  auto it = mOpen.find(&frm);
  if (it != mOpen.end() && pControl != nullptr && pControl->Name() == "lblTimer") {
    mvForms[it->second.nRecord].vCountdown.emplace_back(Pump().Clock().NowUs(),
                                                        pControl->Caption());
  }
}

void CScriptedView::FormHidden(CForm& frm) {
  auto it = mOpen.find(&frm);
  if (it == mOpen.end()) {
    return;
  }
  if (it->second.idAnswer != 0) {
    Pump().RemoveTimer(it->second.idAnswer);
  }
  mvForms[it->second.nRecord].lHiddenUs = Pump().Clock().NowUs();
  mOpen.erase(it);
}

void CScriptedView::Show(const std::string& sText, const std::string& sTitle, bool fExclamation) {
  int64_t lShownUs = Pump().Clock().NowUs();
  size_t nBox = mvBoxes.size();
  mvBoxes.push_back({sText, MessageBoxTitle(sTitle), fExclamation, lShownUs, -1});
  if (mlMessageBoxDelayMs > 0) {
    // The box is modal: the thread keeps handling its messages until OK is pressed.
    Pump().RunUntil(lShownUs + mlMessageBoxDelayMs * 1000, [] { return false; });
  }
  mvBoxes[nBox].lAnsweredUs = Pump().Clock().NowUs();
}

}  // namespace ksv940
