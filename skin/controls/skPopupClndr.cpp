// The drop-down calendar of the date edit: built in code, accepting,
// cancelling and freeing itself on close.
#include "skin/controls/skPopupClndr.h"

#include "platform/window/Input.h"
#include "skin/controls/skTooledit.h"
#include "skin/skinManager.h"

namespace qv {
namespace {

bool DefaultSkinActive() {
  return DefaultManager && DefaultManager->Active();
}

}  // namespace

TSkPopupCalendar::TSkPopupCalendar(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsNone);
  SetClientWidth(189);
  // The shown height, so that the edit places the form by it.
  SetHeight(144);
  SetColor(clBtnFace);
  Font()->SetName("MS Sans Serif");
  Font()->SetHeight(-11);
  KeyPreview = true;
  calendar_ = new TSkMonthCalendar(this);
  calendar_->SetAlign(alClient);
  calendar_->SetBevelWidth(1);
  calendar_->SetBorderWidth(3);
  calendar_->SetCaption(" ");
  calendar_->SkinData()->SetSkinSection("PANEL");
  calendar_->SetParent(this);
  calendar_->OnDblClick = [this](TObject*) { Accept(); };
  // Releasing the button on a day accepts it.
  calendar_->Grid()->OnDblClick = [this](TObject*) { Accept(); };
  OnShow = [this](TObject*) { FormShow(); };
  OnKeyDown = [this](TObject*, WORD& Key, TShiftState Shift) { FormKeyDown(Key, Shift); };
  OnDeactivate = [this](TObject*) {
    if (!closing_) Close();
  };
  OnClose = [this](TObject*, TCloseAction& Action) { FormClose(Action); };
}

void TSkPopupCalendar::FormShow() {
  calendar_->TitleBar()->SetCursor(crDefault);
  SetHeight(144);
  SetColor(DefaultSkinActive() ? DefaultManager->GetGlobalColor() : clBtnFace);
}

void TSkPopupCalendar::Accept() {
  if (closing_) return;
  if (Editor) {
    TDateTime d = calendar_->CalendarDate();
    bool canAccept = true;
    if (Editor->OnAcceptDate) Editor->OnAcceptDate(Editor, d, canAccept);
    if (canAccept) {
      Editor->SetDate(d);
      if (Editor->OnChange) Editor->OnChange(Editor);
    }
    if (Editor->CanFocus()) Editor->SetFocus();
    if (Editor->AutoSelect) Editor->SelectAllIfText();
  }
  Close();
}

void TSkPopupCalendar::Cancel() {
  if (closing_) return;
  if (Editor && Editor->CanFocus()) Editor->SetFocus();
  Close();
}

void TSkPopupCalendar::FormKeyDown(WORD& Key, TShiftState) {
  if (Key == VK_RETURN) {
    Key = 0;
    Accept();
  } else if (Key == VK_ESCAPE) {
    Key = 0;
    Cancel();
  }
}

void TSkPopupCalendar::FormClose(TCloseAction& Action) {
  closing_ = true;
  Action = caFree;
  if (Editor && Editor->Popup == this) Editor->Popup = nullptr;
}

void TSkPopupCalendar::KeyPress(char16_t& Key) {
  TForm::KeyPress(Key);
  if (Key) calendar_->Grid()->KeyPress(Key);
}

void TSkPopupCalendar::WndProc(TMessage& M) {
  if (M.Msg == WM_ERASEBKGND && DefaultSkinActive()) return;
  TForm::WndProc(M);
}

}  // namespace qv
