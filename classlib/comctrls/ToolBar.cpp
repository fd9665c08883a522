// TToolBar: the buttons go into the window as records (command id = the
// position + 1); the window's clicks and drop-downs come back as reflected
// notifications and reach the button controls.
#include "classlib/comctrls/ToolBar.h"

#include <algorithm>

#include "classlib/comctrls/BarSubClass.h"
#include "classlib/comctrls/ComCtrls.h"
#include "classlib/controls/Application.h"
#include "classlib/graphics/ImageList.h"
#include "platform/Utf.h"
#include "platform/controls/SystemControls.h"
#include "platform/window/MessageQueue.h"

namespace qv {

namespace {

BYTE ButtonState(TToolButton* b) {
  BYTE s = 0;
  if (b->Enabled()) s |= TBSTATE_ENABLED;
  if (b->Down()) s |= TBSTATE_CHECKED;
  if (!b->Visible()) s |= TBSTATE_HIDDEN;
  if (b->Indeterminate()) s |= TBSTATE_INDETERMINATE;
  if (b->Marked()) s |= TBSTATE_MARKED;
  if (b->Wrap()) s |= TBSTATE_WRAP;
  return s;
}

BYTE ButtonStyle(TToolButton* b) {
  switch (b->Style()) {
    case tbsCheck:
      return b->Grouped() ? BTNS_CHECKGROUP : BTNS_CHECK;
    case tbsDropDown:
      return BTNS_DROPDOWN;
    case tbsSeparator:
    case tbsDivider:
      return BTNS_SEP;
    default:
      return BTNS_BUTTON;
  }
}

}  // namespace

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner) {
  ControlStyle() = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks};
  SetColor(clBtnFace);
  SetBounds(0, 0, 150, 29);
  SetAlign(alTop);
  for (auto* link : {&imagesLink_, &hotLink_, &disabledLink_}) {
    *link = std::make_unique<TChangeLink>();
    (*link)->OnChange = [this](TObject* Sender) { ImageListChange(Sender); };
  }
}

TToolBar::~TToolBar() {
  destroying_ = true;
  buttons_.clear();
}

TToolButton* TToolBar::Buttons(int Index) const {
  return Index >= 0 && size_t(Index) < buttons_.size() ? buttons_[size_t(Index)] : nullptr;
}

void TToolBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateBarSubClass(Params, TOOLBARCLASSNAMEW);
  Params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | WS_CLIPCHILDREN;
  if (flat_) Params.Style |= TBSTYLE_FLAT;
  if (list_) Params.Style |= TBSTYLE_LIST;
  if (wrapable_) Params.Style |= TBSTYLE_WRAPABLE;
}

void TToolBar::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageW(WindowHandle(), TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  SendMessageW(WindowHandle(), TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonWidth_, buttonHeight_));
  SendMessageW(WindowHandle(), TB_SETINDENT, WPARAM(indent_), 0);
  SendImageLists();
  RecreateButtons();
}

void TToolBar::InsertButton(TToolButton* Button) {
  if (std::find(buttons_.begin(), buttons_.end(), Button) != buttons_.end()) return;
  buttons_.push_back(Button);
  RecreateButtons();
}

void TToolBar::RemoveButton(TToolButton* Button) {
  auto it = std::find(buttons_.begin(), buttons_.end(), Button);
  if (it == buttons_.end()) return;
  buttons_.erase(it);
  if (!destroying_) RecreateButtons();
}

void TToolBar::RecreateButtons() {
  if (!HandleAllocated() || destroying_) return;
  HWND h = WindowHandle();
  while (SendMessageW(h, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageW(h, TB_DELETEBUTTON, 0, 0);
  std::vector<std::u16string> captions(buttons_.size());
  std::vector<TBBUTTON> records(buttons_.size());
  for (size_t i = 0; i < buttons_.size(); ++i) {
    TToolButton* b = buttons_[i];
    TBBUTTON& r = records[i];
    r.idCommand = int(i) + 1;
    r.fsState = ButtonState(b);
    r.fsStyle = ButtonStyle(b);
    r.iBitmap = r.fsStyle == BTNS_SEP ? b->Width() : b->ImageIndex();
    if (showCaptions_ && r.fsStyle != BTNS_SEP) {
      captions[i] = Utf8ToUtf16(b->Caption());
      if (!captions[i].empty()) r.iString = captions[i].c_str();
    }
  }
  if (!records.empty()) SendMessageW(h, TB_ADDBUTTONSW, records.size(), LPARAM(records.data()));
  PlaceButtons();
}

void TToolBar::UpdateButtonState(TToolButton* Button) {
  if (!HandleAllocated() || destroying_) return;
  auto it = std::find(buttons_.begin(), buttons_.end(), Button);
  if (it == buttons_.end()) return;
  SendMessageW(WindowHandle(), TB_SETSTATE, WPARAM(it - buttons_.begin() + 1), ButtonState(Button));
}

// The button controls follow the window's layout, and the bar's height its rows.
void TToolBar::PlaceButtons() {
  if (!HandleAllocated() || placing_) return;
  placing_ = true;
  for (size_t i = 0; i < buttons_.size(); ++i) {
    RECT r;
    if (SendMessageW(WindowHandle(), TB_GETITEMRECT, i, LPARAM(&r)) && buttons_[i]->Visible())
      buttons_[i]->SetBounds(r.left, r.top, r.Width(), r.Height());
  }
  AdjustHeight();
  placing_ = false;
}

void TToolBar::AdjustHeight() {
  if (!autoSize_ || !HandleAllocated() || buttons_.empty()) return;
  SIZE s{0, 0};
  SendMessageW(WindowHandle(), TB_GETMAXSIZE, 0, LPARAM(&s));
  if (s.cy > 0 && s.cy != Height()) SetHeight(s.cy);
}

int TToolBar::RowCount() {
  return HandleAllocated() ? int(SendMessageW(WindowHandle(), TB_GETROWS, 0, 0)) : 1;
}

TToolButton* TToolBar::ButtonAtPos(POINT P) {
  if (!HandleAllocated()) return nullptr;
  int i = int(SendMessageW(WindowHandle(), TB_HITTEST, 0, LPARAM(&P)));
  return i >= 0 ? Buttons(i) : nullptr;
}

// ---- images ----

void TToolBar::SetImageList(TCustomImageList*& Slot, std::unique_ptr<TChangeLink>& Link,
                            TCustomImageList* Value) {
  if (!ReplaceImageList(this, Slot, Link.get(), Value)) return;
  SendImageLists();
  RecreateButtons();
}

void TToolBar::SetImages(TCustomImageList* Value) {
  SetImageList(images_, imagesLink_, Value);
}
void TToolBar::SetHotImages(TCustomImageList* Value) {
  SetImageList(hotImages_, hotLink_, Value);
}
void TToolBar::SetDisabledImages(TCustomImageList* Value) {
  SetImageList(disabledImages_, disabledLink_, Value);
}

void TToolBar::SendImageLists() {
  if (!HandleAllocated()) return;
  auto handle = [](TCustomImageList* l) { return LPARAM(l ? l->Handle() : nullptr); };
  if (images_)
    SendMessageW(WindowHandle(), TB_SETBITMAPSIZE, 0, MAKELPARAM(images_->Width(), images_->Height()));
  SendMessageW(WindowHandle(), TB_SETIMAGELIST, 0, handle(images_));
  SendMessageW(WindowHandle(), TB_SETHOTIMAGELIST, 0, handle(hotImages_));
  SendMessageW(WindowHandle(), TB_SETDISABLEDIMAGELIST, 0, handle(disabledImages_));
}

void TToolBar::ImageListChange(TObject*) {
  SendImageLists();
  RecreateButtons();
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == images_) SetImages(nullptr);
  if (AComponent == hotImages_) SetHotImages(nullptr);
  if (AComponent == disabledImages_) SetDisabledImages(nullptr);
}

// ---- look ----

void TToolBar::SetFlat(bool Value) {
  if (flat_ == Value) return;
  flat_ = Value;
  RecreateWnd();
}
void TToolBar::SetList(bool Value) {
  if (list_ == Value) return;
  list_ = Value;
  RecreateWnd();
}
void TToolBar::SetWrapable(bool Value) {
  if (wrapable_ == Value) return;
  wrapable_ = Value;
  RecreateWnd();
}
void TToolBar::SetShowCaptions(bool Value) {
  if (showCaptions_ == Value) return;
  showCaptions_ = Value;
  RecreateButtons();
}
void TToolBar::SetButtonWidth(int Value) {
  buttonWidth_ = Value;
  if (HandleAllocated())
    SendMessageW(WindowHandle(), TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonWidth_, buttonHeight_));
  PlaceButtons();
}
void TToolBar::SetButtonHeight(int Value) {
  buttonHeight_ = Value;
  if (HandleAllocated())
    SendMessageW(WindowHandle(), TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonWidth_, buttonHeight_));
  PlaceButtons();
}
void TToolBar::SetIndent(int Value) {
  indent_ = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), TB_SETINDENT, WPARAM(Value), 0);
  PlaceButtons();
}
void TToolBar::SetAutoSize(bool Value) {
  autoSize_ = Value;
  AdjustHeight();
}

// ---- messages ----

// The window takes the mouse itself (the button controls only stand for
// its buttons), but the hint machinery hears which button is under it.
void TToolBar::WndProc(TMessage& M) {
  if (M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MOUSELAST && M.Msg != WM_MOUSEWHEEL && M.Msg != WM_MOUSEHWHEEL) {
    if (M.Msg == WM_MOUSEMOVE) {
      TToolButton* b = ButtonAtPos(M.Pos());
      auto alive = AliveToken();
      ApplicationHintMouseMessage(b ? static_cast<TControl*>(b) : this, M);
      if (alive.expired()) return;
    }
    return Dispatch(M);
  }
  TWinControl::WndProc(M);
}

void TToolBar::HandleCommand(int Id) {
  TToolButton* b = Buttons(Id - 1);
  if (!b) return;
  bool was = b->down_;
  bool now = SendMessageW(WindowHandle(), TB_ISBUTTONCHECKED, WPARAM(Id), 0) != 0;
  if (b->style_ == tbsCheck && b->grouped_ && b->AllowAllUp && was && now) {
    now = false;
    SendMessageW(WindowHandle(), TB_CHECKBUTTON, WPARAM(Id), FALSE);
  }
  // The window has toggled its check state; the controls learn it.
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i]->style_ == tbsCheck)
      buttons_[i]->down_ = SendMessageW(WindowHandle(), TB_ISBUTTONCHECKED, i + 1, 0) != 0;
  b->Click();
}

LRESULT TToolBar::HandleDropDown(int Id) {
  TToolButton* b = Buttons(Id - 1);
  if (!b) return TBDDRET_DEFAULT;
  return b->CheckMenuDropdown() ? TBDDRET_DEFAULT : TBDDRET_TREATPRESSED;
}

void TToolBar::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND:
      if (M.WParamHi() == BN_CLICKED) HandleCommand(M.WParamLo());
      return;
    case CN_NOTIFY: {
      auto* n = reinterpret_cast<NMHDR*>(M.LParam);
      if (n->code == TBN_DROPDOWN) M.Result = HandleDropDown(reinterpret_cast<NMTOOLBARW*>(n)->iItem);
      return;
    }
    case WM_SIZE:
      TWinControl::Dispatch(M);
      PlaceButtons();
      return;
    case CM_FONTCHANGED:
      TWinControl::Dispatch(M);
      PlaceButtons();
      return;
  }
  TWinControl::Dispatch(M);
}

}  // namespace qv
