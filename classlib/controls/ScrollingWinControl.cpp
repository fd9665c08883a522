// TScrollingWinControl: positions live in the bar objects; children are
// moved by the difference whenever a position changes, so a child's Left and
// Top are always where it is on screen.
#include "classlib/controls/ScrollingWinControl.h"

#include <algorithm>

#include "classlib/controls/Screen.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/ScrollBar.h"

namespace qv {

// ---- TControlScrollBar ----

int TControlScrollBar::Page() const {
  RECT r = control_->GetClientRect();
  return kind_ == sbHorizontal ? r.Width() : r.Height();
}

bool TControlScrollBar::IsScrollBarVisible() const {
  return visible_ && range_ > Page();
}

void TControlScrollBar::SetPosition(int Value) {
  int limit = IsScrollBarVisible() ? std::max(0, range_ - Page()) : 0;
  Value = std::clamp(Value, 0, limit);
  if (Value == position_) return;
  int delta = position_ - Value;
  position_ = Value;
  // While the children move one by one the extent is not meaningful.
  bool wasUpdating = control_->updating_;
  control_->updating_ = true;
  try {
    if (kind_ == sbHorizontal)
      control_->ScrollBy(delta, 0);
    else
      control_->ScrollBy(0, delta);
  } catch (...) {
    control_->updating_ = wasUpdating;
    throw;
  }
  control_->updating_ = wasUpdating;
  if (control_->HandleAllocated())
    SetScrollPos(control_->WindowHandle(), kind_ == sbHorizontal ? SB_HORZ : SB_VERT, position_, TRUE);
}

void TControlScrollBar::SetRange(int Value) {
  range_ = std::max(0, Value);
  control_->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool Value) {
  visible_ = Value;
  control_->UpdateScrollBars();
}

void TControlScrollBar::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TControlScrollBar*>(Source)) {
    Increment = s->Increment;
    visible_ = s->visible_;
    range_ = s->range_;
    control_->UpdateScrollBars();
    SetPosition(s->position_);
    return;
  }
  TPersistent::Assign(Source);
}

void TControlScrollBar::ScrollMessage(int Code, int ThumbPos) {
  switch (Code) {
    case SB_LINEUP:
      return SetPosition(position_ - Increment);
    case SB_LINEDOWN:
      return SetPosition(position_ + Increment);
    case SB_PAGEUP:
      return SetPosition(position_ - Page());
    case SB_PAGEDOWN:
      return SetPosition(position_ + Page());
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      return SetPosition(ThumbPos);
    case SB_TOP:
      return SetPosition(0);
    case SB_BOTTOM:
      return SetPosition(range_);
  }
}

// ---- TScrollingWinControl ----

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TWinControl(AOwner),
      horz_(std::make_unique<TControlScrollBar>(this, sbHorizontal)),
      vert_(std::make_unique<TControlScrollBar>(this, sbVertical)) {}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool Value) {
  if (Value == autoScroll_) return;
  autoScroll_ = Value;
  if (!Value) {
    horz_->range_ = vert_->range_ = 0;
  }
  UpdateScrollBars();
}

// The extent of the children as if nothing were scrolled. Aligned children
// fill the client area and so never need scrolling.
void TScrollingWinControl::CalcAutoRange() {
  int right = 0, bottom = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() || c->Align() != alNone) continue;
    right = std::max(right, c->Left() + c->Width() + horz_->position_);
    bottom = std::max(bottom, c->Top() + c->Height() + vert_->position_);
  }
  horz_->range_ = right;
  vert_->range_ = bottom;
}

void TScrollingWinControl::UpdateScrollBars() {
  if (updating_) return;
  updating_ = true;
  try {
    if (autoScroll_) CalcAutoRange();
    // Showing one bar shrinks the client area the other sees: two rounds settle it.
    for (int round = 0; round < 2 && HandleAllocated(); ++round) {
      for (TControlScrollBar* bar : {horz_.get(), vert_.get()}) {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        si.nMax = bar->IsScrollBarVisible() ? bar->range_ - 1 : 0;
        si.nPage = bar->IsScrollBarVisible() ? UINT(bar->Page()) : 0;
        si.nPos = bar->position_;
        int which = bar->kind_ == sbHorizontal ? SB_HORZ : SB_VERT;
        SetScrollInfo(WindowHandle(), which, &si, TRUE);
        ShowScrollBar(WindowHandle(), which, bar->IsScrollBarVisible());
      }
    }
    // A range that shrank (or a bar that went away) may leave the position too far.
    horz_->SetPosition(horz_->position_);
    vert_->SetPosition(vert_->position_);
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
}

void TScrollingWinControl::AlignControls(TControl* AControl, RECT& Rect) {
  TWinControl::AlignControls(AControl, Rect);
  UpdateScrollBars();
}

void TScrollingWinControl::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateScrollBars();
}

void TScrollingWinControl::ScrollInView(TControl* AControl) {
  if (!AControl || AControl == this || !ContainsControl(AControl)) return;
  RECT r = AControl->BoundsRect();
  for (TWinControl* p = AControl->Parent(); p && p != this; p = p->Parent())
    OffsetRect(&r, p->Left(), p->Top());
  RECT client = GetClientRect();
  auto scroll = [](TControlScrollBar* bar, int lo, int hi, int page) {
    if (lo < 0)
      bar->SetPosition(bar->Position() + lo);
    else if (hi > page)
      bar->SetPosition(bar->Position() + std::min(hi - page, lo));
  };
  scroll(horz_.get(), r.left, r.right, client.Width());
  scroll(vert_.get(), r.top, r.bottom, client.Height());
}

bool TScrollingWinControl::WheelScroll(TMessage& M) {
  int notches = short(HIWORD(M.WParam)) / WHEEL_DELTA;
  TControlScrollBar* bar = vert_->IsScrollBarVisible() ? vert_.get() : horz_.get();
  if (notches == 0 || !bar->IsScrollBarVisible()) return false;
  bar->SetPosition(bar->Position() - notches * Mouse->WheelScrollLines() * bar->Increment);
  return true;
}

void TScrollingWinControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (M.LParam) break;  // a scroll bar control's notification
      (M.Msg == WM_HSCROLL ? horz_ : vert_)->ScrollMessage(LOWORD(M.WParam), short(HIWORD(M.WParam)));
      M.Result = 0;
      return;
    case WM_MOUSEWHEEL: {
      bool handled = false;
      POINT p{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
      if (OnMouseWheel)
        OnMouseWheel(this, KeysToShiftState(LOWORD(M.WParam)), short(HIWORD(M.WParam)), p, handled);
      if (handled || WheelScroll(M)) return void(M.Result = 1);
      return DefaultHandler(M);
    }
    case WM_SIZE: {
      auto alive = AliveToken();
      TWinControl::Dispatch(M);
      if (!alive.expired()) UpdateScrollBars();
      return;
    }
  }
  TWinControl::Dispatch(M);
}

// ---- TScrollBox ----

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  ControlStyle() =
      TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 185, 41);
  SetAutoScroll(true);
}

}  // namespace qv
