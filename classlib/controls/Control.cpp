// TControl: geometry, shared appearance, the message chain and the mouse
// handling every control has, windowed or not.
#include "classlib/controls/Control.h"

#include <algorithm>

#include "classlib/controls/Application.h"
#include "classlib/controls/BasicAction.h"
#include "classlib/controls/MenuBase.h"
#include "classlib/controls/ScrollingWinControl.h"
#include "classlib/controls/WinControl.h"
#include "classlib/graphics/Font.h"
#include "platform/Utf.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"

namespace qv {

namespace {
TControl* gCaptureControl = nullptr;
}

void TSizeConstraints::Apply(int& Width, int& Height) const {
  if (MaxWidth > 0 && Width > MaxWidth) Width = MaxWidth;
  if (MaxHeight > 0 && Height > MaxHeight) Height = MaxHeight;
  if (MinWidth > 0 && Width < MinWidth) Width = MinWidth;
  if (MinHeight > 0 && Height < MinHeight) Height = MinHeight;
}

void TSizeConstraints::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TSizeConstraints*>(Source)) {
    MinWidth = s->MinWidth, MinHeight = s->MinHeight, MaxWidth = s->MaxWidth, MaxHeight = s->MaxHeight;
    return;
  }
  TPersistent::Assign(Source);
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), font_(std::make_unique<TFont>()) {
  WindowProc = [this](TMessage& M) { WndProc(M); };
  font_->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  actionLink_.reset();
  alive_.reset();
  if (gCaptureControl == this) gCaptureControl = nullptr;
  ControlDestroyed(this);
  if (parent_) parent_->RemoveControl(this);
}

TControl* TControl::CaptureControl() {
  return gCaptureControl;
}

void TControl::SetParent(TWinControl* AParent) {
  if (parent_ == AParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == popupMenu_) popupMenu_ = nullptr;
}

void TControl::SetPopupMenu(TMenuBase* Value) {
  if (Value == popupMenu_) return;
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = Value;
  if (Value) Value->FreeNotification(this);
}

// ---- actions ----

TBasicAction* TControl::Action() const {
  return actionLink_ ? actionLink_->Action() : nullptr;
}

void TControl::SetAction(TBasicAction* Value) {
  if (!Value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = CreateActionLink();
  actionLink_->SetAction(Value);
}

std::unique_ptr<TControlActionLink> TControl::CreateActionLink() {
  return std::make_unique<TControlActionLink>(this);
}

void TControl::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

bool TControl::DoContextPopup(POINT Screen) {
  POINT client = Screen.x == -1 && Screen.y == -1 ? POINT{-1, -1} : ScreenToClient(Screen);
  bool handled = false;
  auto alive = AliveToken();
  if (OnContextPopup) OnContextPopup(this, client, handled);
  if (handled || alive.expired()) return true;
  if (!popupMenu_) return false;
  if (Screen.x == -1 && Screen.y == -1) Screen = ClientToScreen(POINT{0, 0});
  return popupMenu_->ContextPopup(this, Screen);
}

// ---- geometry ----

void TControl::CheckNewSize(int& NewWidth, int& NewHeight) {
  int w = NewWidth, h = NewHeight;
  if (CanResize(w, h)) NewWidth = w, NewHeight = h;
  constraints_.Apply(NewWidth, NewHeight);
  NewWidth = std::max(NewWidth, 0), NewHeight = std::max(NewHeight, 0);
}

bool TControl::CanResize(int& NewWidth, int& NewHeight) {
  bool resize = true;
  if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, resize);
  return resize;
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  CheckNewSize(AWidth, AHeight);
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  bool sized = AWidth != width_ || AHeight != height_;
  bool moved = ALeft != left_ || ATop != top_;
  Invalidate();  // the old place
  left_ = ALeft, top_ = ATop, width_ = AWidth, height_ = AHeight;
  if (!anchoring_) UpdateAnchorRules();
  Invalidate();
  auto alive = AliveToken();
  PerformBoundsMessages(moved, sized);
  if (alive.expired()) return;
  BoundsChanged();
  if (sized && !alive.expired()) Resize();
}

// A control without a window hears of its new place through the same
// messages a window gets from the window manager, so code that watches
// WM_SIZE or WM_WINDOWPOSCHANGED works for both kinds.
void TControl::PerformBoundsMessages(bool Moved, bool Sized) {
  WINDOWPOS pos;
  pos.x = left_, pos.y = top_, pos.cx = width_, pos.cy = height_;
  pos.flags = SWP_NOZORDER | SWP_NOACTIVATE | (Moved ? 0 : SWP_NOMOVE) | (Sized ? 0 : SWP_NOSIZE);
  auto alive = AliveToken();
  Perform(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  if (Moved && !alive.expired()) Perform(WM_MOVE, 0, MAKELPARAM(WORD(left_), WORD(top_)));
  if (Sized && !alive.expired()) Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(WORD(width_), WORD(height_)));
}

RECT TControl::GetClientRect() {
  return RECT{0, 0, width_, height_};
}

void TControl::SetClientWidth(int Value) {
  SetWidth(width_ - ClientWidth() + Value);
}
void TControl::SetClientHeight(int Value) {
  SetHeight(height_ - ClientHeight() + Value);
}

POINT TControl::ClientOrigin() {
  if (!parent_) return POINT{left_, top_};
  POINT p = parent_->ClientOrigin();
  return POINT{p.x + left_, p.y + top_};
}

void TControl::UpdateAnchorRules() {
  if (!parent_) return;
  RECT c = parent_->ClientRect();
  anchorValid_ = c.right > 0 || c.bottom > 0;
  anchorMargin_ = POINT{c.right - (left_ + width_), c.bottom - (top_ + height_)};
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::BoundsChanged() {
  if (align_ != alNone)
    RequestAlign();
  else if (auto* scroller = dynamic_cast<TScrollingWinControl*>(parent_))
    scroller->UpdateScrollBars();  // the children's extent is the scroll range
}

void TControl::RequestAlign() {
  if (parent_) parent_->AlignControl(this);
}

void TControl::SetAlign(TAlign Value) {
  if (align_ == Value) return;
  align_ = Value;
  if (Value != alNone) RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) {
  anchors_ = Value;
  UpdateAnchorRules();
}

// ---- visibility and state ----

void TControl::SetVisible(bool Value) {
  if (visible_ == Value) return;
  VisibleChanging();
  visible_ = Value;
  Perform(CM_VISIBLECHANGED, Value, 0);
  if (align_ != alNone || parent_) RequestAlign();
}

void TControl::Show() {
  SetVisible(true);
  BringToFront();
}

void TControl::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

bool TControl::IsShowing() const {
  return visible_ && parent_ && parent_->Showing();
}

void TControl::SetColor(TColor Value) {
  if (color_ == Value && !parentColor_) return;
  color_ = Value;
  if (!fromParent_) parentColor_ = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
  if (parentColor_ == Value) return;
  parentColor_ = Value;
  if (Value && parent_) DoParentColorChanged();
}

void TControl::SetFont(TFont* Value) {
  font_->Assign(Value);
}

void TControl::SetParentFont(bool Value) {
  if (parentFont_ == Value) return;
  parentFont_ = Value;
  if (Value && parent_) DoParentFontChanged();
}

void TControl::FontChanged() {
  if (!fromParent_) parentFont_ = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::DoParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  fromParent_ = true;
  font_->Assign(parent_->Font());
  fromParent_ = false;
}

void TControl::DoParentColorChanged() {
  if (!parentColor_ || !parent_) return;
  fromParent_ = true;
  SetColor(parent_->Color());
  fromParent_ = false;
  parentColor_ = true;
}

void TControl::SetShowHint(bool Value) {
  showHint_ = Value;
  parentShowHint_ = false;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
  parentShowHint_ = Value;
  if (Value && parent_) showHint_ = parent_->ShowHint();
}

void TControl::SetCursor(TCursor Value) {
  if (cursor_ == Value) return;
  cursor_ = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

// ---- text ----

std::string TControl::Text() {
  auto length = Perform(WM_GETTEXTLENGTH, 0, 0);
  std::u16string buffer(size_t(std::max<LRESULT>(length, 0)) + 1, u'\0');
  auto got = Perform(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(size_t(std::clamp<LRESULT>(got, 0, length)));
  return Utf16ToUtf8(buffer);
}

void TControl::SetText(const std::string& Value) {
  if (Text() == Value) return;
  std::u16string wide = Utf8ToUtf16(Value);
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  Perform(CM_TEXTCHANGED, 0, 0);
}

// ---- messages ----

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  WindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& M) {
  if (M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MOUSELAST) {
    auto alive = AliveToken();
    if (M.Msg == WM_MOUSEMOVE) ApplicationHintMouseMessage(this, M);
    if (alive.expired()) return;
    switch (M.Msg) {
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (style_.Contains(csCaptureMouse)) SetMouseCapture(true);
        if (style_.Contains(csClickEvents)) state_.Include(csClicked);
        state_.Include(csLButtonDown);
        break;
      case WM_LBUTTONUP:
        state_.Exclude(csLButtonDown);
        break;
    }
  }
  Dispatch(M);
}

void TControl::HandleMouse(TMessage& M) {
  TShiftState shift = KeysToShiftState(M.WParam);
  switch (M.Msg) {
    case WM_LBUTTONDOWN:
      return DoMouseDown(M, mbLeft, shift);
    case WM_RBUTTONDOWN:
      return DoMouseDown(M, mbRight, shift);
    case WM_MBUTTONDOWN:
      return DoMouseDown(M, mbMiddle, shift);
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
      TMouseButton b = M.Msg == WM_LBUTTONDBLCLK ? mbLeft : M.Msg == WM_RBUTTONDBLCLK ? mbRight : mbMiddle;
      auto alive = AliveToken();
      if (style_.Contains(csDoubleClicks) && b == mbLeft) DblClick();
      if (!alive.expired()) DoMouseDown(M, b, shift + ssDouble);
      return;
    }
    case WM_LBUTTONUP:
      return DoMouseUp(M, mbLeft);
    case WM_RBUTTONUP:
      return DoMouseUp(M, mbRight);
    case WM_MBUTTONUP:
      return DoMouseUp(M, mbMiddle);
    case WM_MOUSEMOVE:
      return MouseMove(shift, M.Pos().x, M.Pos().y);
  }
}

void TControl::DoMouseDown(TMessage& M, TMouseButton Button, TShiftState Shift) {
  MouseDown(Button, Shift, M.Pos().x, M.Pos().y);
}

void TControl::DoMouseUp(TMessage& M, TMouseButton Button) {
  auto alive = AliveToken();
  if (Button == mbLeft) {
    SetMouseCapture(false);
    if (state_.Contains(csClicked)) {
      state_.Exclude(csClicked);
      RECT r = GetClientRect();
      if (PtInRect(&r, M.Pos())) Click();
    }
  }
  // The click may have destroyed the control.
  if (!alive.expired()) MouseUp(Button, KeysToShiftState(M.WParam), M.Pos().x, M.Pos().y);
}

void TControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE: {
      // The window's own procedure sees the message before the events fire.
      auto alive = AliveToken();
      DefaultHandler(M);
      if (!alive.expired()) HandleMouse(M);
      return;
    }
    case WM_CANCELMODE:
      if (MouseCapture()) SetMouseCapture(false);
      state_.Exclude(csLButtonDown), state_.Exclude(csClicked);
      break;
    case CM_CANCELMODE:
      if (reinterpret_cast<TControl*>(M.LParam) != this) Perform(WM_CANCELMODE, 0, 0);
      return;
    case WM_CONTEXTMENU:
      if (DoContextPopup(POINT{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)})) return void(M.Result = 1);
      break;
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
    case CM_TEXTCHANGED:
      Invalidate();
      return;
    case CM_PARENTFONTCHANGED:
      DoParentFontChanged();
      return;
    case CM_PARENTCOLORCHANGED:
      DoParentColorChanged();
      return;
    case CM_PARENTSHOWHINTCHANGED:
      if (parentShowHint_ && parent_) showHint_ = parent_->ShowHint();
      return;
    case CM_MOUSEENTER:
      if (parent_) parent_->Perform(CM_MOUSEENTER, 0, M.LParam ? M.LParam : reinterpret_cast<LPARAM>(this));
      if (M.LParam == 0 && OnMouseEnter) OnMouseEnter(this);
      return;
    case CM_MOUSELEAVE:
      if (parent_) parent_->Perform(CM_MOUSELEAVE, 0, M.LParam ? M.LParam : reinterpret_cast<LPARAM>(this));
      if (M.LParam == 0 && OnMouseLeave) OnMouseLeave(this);
      return;
    case CM_HITTEST:
      M.Result = 1;
      return;  // HTCLIENT: the whole rectangle is the control
  }
  DefaultHandler(M);
}

void TControl::DefaultHandler(TMessage& M) {
  switch (M.Msg) {
    case WM_GETTEXT: {
      std::u16string wide = Utf8ToUtf16(text_);
      auto* out = reinterpret_cast<char16_t*>(M.LParam);
      size_t room = M.WParam;
      if (!out || room == 0) return void(M.Result = 0);
      size_t n = std::min(wide.size(), room - 1);
      std::copy_n(wide.data(), n, out);
      out[n] = 0;
      M.Result = LRESULT(n);
      return;
    }
    case WM_GETTEXTLENGTH:
      M.Result = LRESULT(Utf8ToUtf16(text_).size());
      return;
    case WM_SETTEXT:
      text_ = M.LParam ? Utf16ToUtf8(reinterpret_cast<const char16_t*>(M.LParam)) : std::string();
      M.Result = 1;
      return;
  }
}

// ---- mouse capture, clicks ----

bool TControl::MouseCapture() const {
  return gCaptureControl == this;
}

void TControl::SetMouseCapture(bool Value) {
  if (MouseCapture() == Value) return;
  if (Value) {
    gCaptureControl = this;
    // A graphic control's capture is its parent window's.
    TControl* c = this;
    while (c && !dynamic_cast<TWinControl*>(c)) c = c->parent_;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated()) SetCapture(w->WindowHandle());
  } else {
    gCaptureControl = nullptr;
    ReleaseCapture();
  }
}

// OnClick when set, else the action.
void TControl::Click() {
  if (OnClick)
    OnClick(this);
  else if (actionLink_ && actionLink_->Action())
    actionLink_->Execute(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

// ---- painting and z-order ----

void TControl::Invalidate() {
  if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
  RECT r = BoundsRect();
  InvalidateRect(parent_->WindowHandle(), &r, !style_.Contains(csOpaque));
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
  if (style_.Contains(csOpaque)) {
    HDC dc = GetDC(parent_->WindowHandle());
    int saved = SaveDC(dc);
    IntersectClipRect(dc, left_, top_, left_ + width_, top_ + height_);
    parent_->PaintControls(dc, this);
    RestoreDC(dc, saved);
    ReleaseDC(parent_->WindowHandle(), dc);
  } else {
    Invalidate();
    Update();
  }
}

void TControl::SetZOrder(bool TopMost) {
  if (!parent_) return;
  auto& list = parent_->graphic_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (TopMost)
    list.push_back(this);
  else
    list.insert(list.begin(), this);
  Invalidate();
}

void TControl::ChangeScale(int M, int D) {
  if (M == D || D <= 0) return;
  TSizeConstraints& c = constraints_;
  for (int* v : {&c.MinWidth, &c.MinHeight, &c.MaxWidth, &c.MaxHeight}) *v = MulDiv(*v, M, D);
  // The distances to the parent's right and bottom edges scale with the
  // bounds: measured again here, against a parent not scaled yet, they would
  // move a right- or bottom-anchored control a second time as the parent grows.
  const bool anchored = anchorValid_;
  const POINT margin = anchorMargin_;
  // Bounds before the font: a control that sizes itself to its text (an
  // edit) has its height from the scaled font, not scaled a second time.
  anchoring_ = true;
  SetBounds(MulDiv(left_, M, D), MulDiv(top_, M, D), MulDiv(left_ + width_, M, D) - MulDiv(left_, M, D),
            MulDiv(top_ + height_, M, D) - MulDiv(top_, M, D));
  anchoring_ = false;
  if (anchored) anchorMargin_ = POINT{MulDiv(margin.x, M, D), MulDiv(margin.y, M, D)};
  if (!parentFont_) font_->SetHeight(MulDiv(font_->Height(), M, D));
}

}  // namespace qv
