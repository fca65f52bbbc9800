#include "testing/CScriptedView.h"

#include <stdexcept>

#include "platform/forms/CForm.h"

namespace ksv940 {

std::string SRecordedForm::Text(const std::string& sControl) const {
  auto it = mTexts.find(sControl);
  return it == mTexts.end() ? std::string() : it->second;
}

std::vector<std::string> SRecordedForm::ChangesOf(const std::string& sControl) const {
  std::vector<std::string> vTexts;
  for (const STextChange& change : vChanges) {
    if (change.sControl == sControl) {
      vTexts.push_back(change.sText);
    }
  }
  return vTexts;
}

CScriptedView& CScriptedView::Then(EOperatorAnswer eoa, int64_t lAfterMs) {
  mAnswers.push_back({eoa, lAfterMs});
  return *this;
}

void CScriptedView::FormShown(CForm& frm) {
  std::shared_ptr<CMessagePump> pPump = CContext::Share<CMessagePump>();
  SRecordedForm record;
  record.sForm = frm.Name();
  record.sCaption = frm.Caption();
  record.sOwner = frm.Owner() != nullptr ? frm.Owner()->WindowTitle() : std::string();
  record.fTopmost = frm.Topmost();
  record.fCountdown = frm.CountingDown();
  record.lShownUs = pPump->Clock().NowUs();
  for (const auto& pControl : frm.DesignedControls()) {
    if (!pControl->Visible()) {
      continue;
    }
    if (pControl->Kind() == eckLabel || pControl->Kind() == eckButton) {
      record.mTexts[pControl->Name()] = pControl->Caption();
    } else if (pControl->Kind() == eckPicture) {
      record.vPictures.push_back(pControl->Name());
    }
  }
  mvForms.push_back(record);

  if (mAnswers.empty()) {
    throw std::logic_error("scripted operator: no answer left for " + frm.Name() + " \"" +
                           frm.Caption() + "\"");
  }
  SScriptedAnswer answer = mAnswers.front();
  mAnswers.pop_front();
  SOpen open{mvForms.size() - 1, pPump};
  if (answer.eoaAnswer == eoaNone) {
    if (!record.fCountdown) {
      throw std::logic_error("scripted operator: " + frm.Name() +
                             " has no countdown and would never close by itself");
    }
  } else {
    CForm* pForm = &frm;
    size_t nRecord = open.nRecord;
    EOperatorAnswer eoa = answer.eoaAnswer;
    open.idAnswer =
        pPump->AddTimer(record.lShownUs + answer.lAfterMs * 1000, 0, [this, pForm, nRecord, eoa] {
          if (auto it = mOpen.find(pForm); it != mOpen.end()) {
            it->second.idAnswer = 0;
          }
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
  if (it == mOpen.end()) {
    return;
  }
  STextChange change;
  change.lAtUs = it->second.pPump->Clock().NowUs();
  if (pControl == nullptr) {
    change.sText = frm.Caption();
  } else {
    change.sControl = pControl->Name();
    change.sText = pControl->Caption();
    change.fVisible = pControl->Visible();
  }
  mvForms[it->second.nRecord].vChanges.push_back(change);
}

void CScriptedView::FormHidden(CForm& frm) {
  auto it = mOpen.find(&frm);
  if (it == mOpen.end()) {
    return;
  }
  SOpen open = it->second;
  mOpen.erase(it);
  if (open.idAnswer != 0) {
    open.pPump->RemoveTimer(open.idAnswer);
  }
  mvForms[open.nRecord].lHiddenUs = open.pPump->Clock().NowUs();
}

void CScriptedView::Show(const std::string& sText, const std::string& sTitle, bool fExclamation) {
  CMessagePump& pump = CContext::Get<CMessagePump>();
  int64_t lShownUs = pump.Clock().NowUs();
  size_t nBox = mvBoxes.size();
  mvBoxes.push_back({sText, MessageBoxTitle(sTitle), fExclamation, lShownUs, -1});
  if (mlMessageBoxDelayMs > 0) {
    // The box is modal: the thread keeps handling its messages until OK is pressed.
    pump.RunUntil(lShownUs + mlMessageBoxDelayMs * 1000, [] { return false; });
  }
  mvBoxes[nBox].lAnsweredUs = pump.Clock().NowUs();
}

}  // namespace ksv940
