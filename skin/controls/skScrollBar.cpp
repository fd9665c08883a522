// TSkScrollBar: the two faces, the geometry along the bar, the range and the
// change notifications, the mouse state machine with its repeat and drag
// timers, and the keys (the skinned painting is in skScrollBarPaint).
#include "skin/controls/skScrollBar.h"

#include <algorithm>
#include <cmath>

#include "classlib/controls/Application.h"
#include "classlib/controls/ControlMessages.h"
#include "classlib/controls/Forms.h"
#include "classlib/stdctrls/SubClass.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"
#include "skin/skBlend.h"
#include "skin/skControlTree.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skUtils.h"
#include "skin/skinManager.h"

namespace qv {

namespace {
// Set only around the recreations that must give the self-drawn window.
bool CreatingSelfDrawn = false;

constexpr int kMinSlider = 14;

bool Inside(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// Positions are worked out in 64 bits and brought back into the int range
// only at the end, so that no range of int values overflows on the way.
constexpr double kLimit64 = 4.6e18;
int64_t RoundHalfEven64(double v) {
  if (std::isnan(v)) return 0;
  return int64_t(std::nearbyint(std::clamp(v, -kLimit64, kLimit64)));
}
int RoundHalfEven(double v) {
  return TSkScrollBar::Saturate(RoundHalfEven64(v));
}
}  // namespace

TSkScrollBar::TSkScrollBar(TComponent* AOwner) : TSkSkinned(AOwner) {
  SkinData = std::make_unique<TSkCommonData>(this, true);
  SkinData->ClassCode = 142;
  SetBounds(Left(), Top(), Width() ? Width() : 121, Height() ? Height() : GetSystemMetrics(SM_CYHSCROLL));
  SetTabStop(true);
  ControlStyle() = TControlStyle{csOpaque, csDoubleClicks};
}

TSkScrollBar::~TSkScrollBar() {
  StopTimer();
  timer_.reset();
  // Gone in the middle of a press: the hints come back all the same.
  if (hintsSaved_ && Application) Application->ShowHint = savedShowHint_;
}

// A window re-creation asked for while the bar was being set up happens now.
void TSkScrollBar::SkinSetUpDone(bool) {
  if (needsRecreate_) RecreateSelfDrawn();
}

bool TSkScrollBar::SkinActive() {
  TSkinManager* m = SkinData->SkinManager();
  return m && m->SkinData()->Active;
}

bool TSkScrollBar::CanFocus() {
  return TWinControl::CanFocus() && TabStop();
}

void TSkScrollBar::RecreateSelfDrawn() {
  needsRecreate_ = false;
  CreatingSelfDrawn = true;
  RecreateWnd();
  CreatingSelfDrawn = false;
}

void TSkScrollBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  selfDrawn_ = CreatingSelfDrawn;
  if (selfDrawn_) return;
  CreateSubClass(Params, u"SCROLLBAR");
  Params.Style |= kind_ == sbVertical ? SBS_VERT : SBS_HORZ;
  if (kind_ == sbVertical) Params.Style |= UseRightToLeftAlignment() ? SBS_LEFTALIGN : SBS_RIGHTALIGN;
  rtlFactor_ = kind_ == sbVertical || !UseRightToLeftAlignment() ? 1 : -1;
  needsRecreate_ = SkinActive();
}

void TSkScrollBar::CreateWnd() {
  TWinControl::CreateWnd();
  if (selfDrawn_) return;
  HWND h = WindowHandle();
  SetScrollRange(h, SB_CTL, min_, max_, FALSE);
  SCROLLINFO si;
  si.fMask = SIF_PAGE;
  si.nPage = UINT(pageSize_);
  SetScrollInfo(h, SB_CTL, &si, FALSE);
  SetScrollPos(h, SB_CTL, rtlFactor_ == -1 ? Saturate(int64_t(max_) - position_) : position_, TRUE);
}

void TSkScrollBar::SetKind(TScrollBarKind Value) {
  if (kind_ == Value) return;
  kind_ = Value;
  if (!ComponentState().Contains(csLoading)) SetBounds(Left(), Top(), Height(), Width());
  if (HandleAllocated()) {
    CreatingSelfDrawn = selfDrawn_;
    RecreateWnd();
    CreatingSelfDrawn = false;
  }
}

void TSkScrollBar::SetMin(int Value) {
  SetParams(position_, Value, max_);
  Invalidate();
}

void TSkScrollBar::SetMax(int Value) {
  SetParams(position_, min_, Value);
  Invalidate();
}

void TSkScrollBar::SetPageSize(int Value) {
  if (Value < 0) return;
  pageSize_ = Value;
  if (HandleAllocated() && !selfDrawn_) {
    SCROLLINFO si;
    si.fMask = SIF_PAGE;
    si.nPage = UINT(Value);
    SetScrollInfo(WindowHandle(), SB_CTL, &si, TRUE);
  }
  Invalidate();
}

void TSkScrollBar::SetPosition(int Value) {
  if (ControlState().Contains(csCreating) || ComponentState().Contains(csDestroying)) return;
  SetParams(Value, min_, max_);
  RepaintIfChanged();
}

void TSkScrollBar::SetDisabledKind(TSkDisabledKind Value) {
  if (disabledKind_ == Value) return;
  disabledKind_ = Value;
  SkinData->Invalidate();
}

void TSkScrollBar::SetParams(int APosition, int AMin, int AMax) {
  const bool skin = SkinActive();
  if (skin && AMax <= AMin) {
    const TComponent* who = LinkedControl ? static_cast<TComponent*>(LinkedControl) : this;
    ShowError("Scrollbar property out of range\r\nMax = " + std::to_string(AMax) +
              (LinkedControl ? "(Owner=" : "(") + who->Name() + ")");
  }
  if (!skin && AMax < AMin) throw EInvalidOperation("Scrollbar property out of range");
  int pos = APosition;
  if (pos < AMin) pos = AMin;
  if (pos > AMax) pos = AMax;
  if (AMin != min_ || AMax != max_) {
    min_ = AMin, max_ = AMax;
    if (HandleAllocated() && !selfDrawn_)
      SetScrollRange(WindowHandle(), SB_CTL, AMin, AMax, pos == position_);
  }
  if (skin) {
    if (pos == position_) {
      if (OnScroll) OnScroll(this, scrollCode_, position_);
      return;
    }
    const int prev = position_;
    position_ = pos;
    statesChanged_ = true;
    Changed(prev);
    if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csReading) &&
        !ControlState().Contains(csCreating) && Parent())
      RepaintIfChanged();
    return;
  }
  if (pos == position_) return;
  position_ = pos;
  if (HandleAllocated() && !selfDrawn_)
    SetScrollPos(WindowHandle(), SB_CTL, rtlFactor_ == -1 ? Saturate(int64_t(max_) - position_) : position_,
                 TRUE);
  SetEnabled(true);
  Perform(CM_CHANGED, 0, LPARAM(this));
  if (OnChange) OnChange(this);
}

void TSkScrollBar::Changed(int PrevPosition) {
  Perform(CM_CHANGED, 0, LPARAM(this));
  if (trackDeferred_) return;
  auto alive = AliveToken();
  if (OnScrollChanged) OnScrollChanged(this, PrevPosition);
  if (alive.expired()) return;
  if (OnScroll && scrollCode_ >= scLineUp && scrollCode_ <= scEndScroll) {
    int copy = position_;
    OnScroll(this, scrollCode_, copy);
    if (alive.expired()) return;
  }
  if (OnChange) OnChange(this);
}

void TSkScrollBar::BeginTrack() {
  if (Smooth) return;
  trackDeferred_ = true;
  trackStartPos_ = position_;
}

void TSkScrollBar::EndTrack() {
  if (Smooth) return;
  trackDeferred_ = false;
  Changed(trackStartPos_);
  trackStartPos_ = 0;
}

// ---- geometry ----

int TSkScrollBar::BtnSize() const {
  return GetSystemMetrics(kind_ == sbVertical ? SM_CYVSCROLL : SM_CXHSCROLL);
}

int TSkScrollBar::SliderSize() const {
  const double span = double(max_) + pageSize_ - min_;
  if (pageSize_ == 0 || span <= 0) return kMinSlider;  // no page, or nothing to divide by
  return RoundHalfEven(std::max(TrackLength() / span * pageSize_, double(kMinSlider)));
}

int TSkScrollBar::PositionToCoord() const {
  if (!const_cast<TSkScrollBar*>(this)->Enabled()) return Len() / 2;
  if (max_ <= min_) return 0;
  const int s = SliderSize();
  return BtnSize() + s / 2 +
         RoundHalfEven(double(TrackLength() - s) / (double(max_) - min_) * (double(position_) - min_));
}

int64_t TSkScrollBar::CoordToPosition64(POINT P) const {
  if (!const_cast<TSkScrollBar*>(this)->Enabled()) return 0;
  const int s = SliderSize(), room = TrackLength() - s;
  if (room <= 0) return min_;  // a bar too short to move the slider in
  const int c = kind_ == sbVertical ? P.y : P.x;
  return min_ + RoundHalfEven64((double(c) - BtnSize() - s / 2.0) * (double(max_) - min_) / room);
}

int TSkScrollBar::CoordToPosition(POINT P) const {
  return Saturate(CoordToPosition64(P));
}

int TSkScrollBar::DraggedTo(POINT P) const {
  return Saturate(CoordToPosition64(P) - dragOffset_);
}

int TSkScrollBar::Offset(int64_t Delta) const {
  return Saturate(int64_t(position_) + Delta);
}

RECT TSkScrollBar::PartRect(TPart Part) const {
  const int len = Len(), b = BtnSize();
  int from = 0, to = 0;
  switch (Part) {
    case spBtn1:
      from = 0, to = std::min(b, len / 2);
      break;
    case spBtn2:
      from = std::max(len - b, len / 2), to = len;
      break;
    case spBar1:
      from = 0, to = PositionToCoord();
      break;
    case spBar2:
      from = PositionToCoord(), to = len;
      break;
    case spSlider:
      from = PositionToCoord() - SliderSize() / 2, to = from + SliderSize();
      break;
  }
  if (kind_ == sbVertical) return RECT{0, from, Width(), to};
  return RECT{from, 0, to, Height()};
}

void TSkScrollBar::SetState(TPart Part, int State) {
  if (states_[Part] == State) return;
  statesChanged_ = true;
  states_[Part] = State;
  if (State != 1 && State != 2) return;
  for (TPart p : {spBtn1, spBtn2, spSlider})
    if (p != Part) states_[p] = 0;
  for (TPart p : {spBar1, spBar2})
    if (p != Part) states_[p] = 1;
}

TSkScrollBar::TPart TSkScrollBar::HitPart(POINT P) const {
  for (TPart p : {spBtn1, spBtn2, spSlider, spBar1})
    if (Inside(PartRect(p), P)) return p;
  return spBar2;
}

int TSkScrollBar::ActiveState() const {
  return SkinData->ControlIsActive() ? 1 : 0;
}

bool TSkScrollBar::Ready() {
  return ControlIsReady(this);
}

// ---- the standard face's scrolling ----

void TSkScrollBar::StandardScroll(TMessage& M) {
  int64_t pos = position_;
  TScrollCode code = scEndScroll;
  switch (M.WParamLo()) {
    case SB_LINEUP:
      code = scLineUp, pos -= int64_t(SmallChange) * rtlFactor_;
      break;
    case SB_LINEDOWN:
      code = scLineDown, pos += int64_t(SmallChange) * rtlFactor_;
      break;
    case SB_PAGEUP:
      code = scPageUp, pos -= int64_t(LargeChange) * rtlFactor_;
      break;
    case SB_PAGEDOWN:
      code = scPageDown, pos += int64_t(LargeChange) * rtlFactor_;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      code = M.WParamLo() == SB_THUMBTRACK ? scTrack : scPosition;
      SCROLLINFO si;
      si.fMask = SIF_ALL;
      if (GetScrollInfo(WindowHandle(), SB_CTL, &si))
        pos = rtlFactor_ == -1 ? int64_t(max_) - si.nTrackPos : si.nTrackPos;
      break;
    }
    case SB_TOP:
      code = scTop, pos = min_;
      break;
    case SB_BOTTOM:
      code = scBottom, pos = max_;
      break;
    default:
      break;
  }
  int clamped = int(std::clamp<int64_t>(pos, min_, std::max(min_, max_)));
  auto alive = AliveToken();
  if (OnScroll) OnScroll(this, code, clamped);
  if (!alive.expired()) SetPosition(clamped);
}

// ---- messages ----

bool TSkScrollBar::SkinLoaded(TMessage& M) {
  SkinWndProc(M, SkinData.get());
  return true;
}

bool TSkScrollBar::SkinRemoved(TMessage& M) {
  SkinWndProc(M, SkinData.get());
  if (HandleAllocated()) RecreateWnd();  // back to the system scroll bar
  return true;
}

bool TSkScrollBar::SkinApplied(TMessage& M) {
  SkinWndProc(M, SkinData.get());
  SkinData->BGChanged = true;
  if (HandleAllocated()) RecreateSelfDrawn();
  return true;
}

bool TSkScrollBar::UpdateFinished(TMessage&) {
  SkinData->Updating = false;
  Repaint();
  return true;
}

void TSkScrollBar::WndProc(TMessage& M) {
  const bool destroying = ComponentState().Contains(csDestroying);
  if (!destroying && DispatchSkinCommand(M, SkinData.get(), *this)) return;
  switch (M.Msg) {
    case WM_PRINT:
      if (SkinData->Skinned()) {
        Perform(WM_PAINT, M.WParam, M.LParam);
        Perform(WM_NCPAINT, M.WParam, M.LParam);
        return;
      }
      break;
    case WM_PAINT:
      if (needsRecreate_ && HandleAllocated()) {
        RecreateSelfDrawn();  // the new window gets its own paint
        return;
      }
      if (selfDrawn_ &&
          (MouseBusy || (!ControlState().Contains(csCreating) && SkinActive() && !destroying))) {
        SkinData->Updating = SkinData->GetUpdating();
        if (M.WParam) {
          Paint(HDC(M.WParam));
        } else {
          PAINTSTRUCT ps;
          HDC dc = BeginPaint(WindowHandle(), &ps);
          Paint(dc);
          EndPaint(WindowHandle(), &ps);
        }
        M.Result = 0;
        return;
      }
      break;
    case WM_ERASEBKGND:
      if (MouseBusy) {
        M.Result = 1;
        return;
      }
      break;
    case WM_NCHITTEST:
      if (needsRecreate_ && HandleAllocated()) RecreateSelfDrawn();
      if (selfDrawn_ && SkinActive() && Enabled() && !ComponentState().Contains(csDesigning)) {
        if (!Ready()) return;
        HitTestMove(POINT{short(LOWORD(M.LParam)), short(HIWORD(M.LParam))});
      }
      break;
    case CM_MOUSEENTER:
      if (selfDrawn_ && SkinActive()) {
        SkinData->MouseAbove = true;
        SetState(spBar1, 1);
        SetState(spBar2, 1);
        RepaintIfChanged();
        return;
      }
      break;
    case CM_MOUSELEAVE:
      if (selfDrawn_ && SkinActive()) {
        SkinData->MouseAbove = false;
        SetState(spBtn1, 0);
        SetState(spBtn2, 0);
        if (states_[spSlider] != 2) {
          SetState(spSlider, 0);
          SetState(spBar1, 0);
          SetState(spBar2, 0);
        }
        RepaintIfChanged();
        return;
      }
      break;
    case CN_HSCROLL:
    case CN_VSCROLL:
      if (!(trackDeferred_ && SkinActive())) StandardScroll(M);
      return;
    case CN_CTLCOLORSCROLLBAR:
      M.Result = 0;
      return;
    case WM_GETDLGCODE:
      TWinControl::WndProc(M);
      M.Result = DLGC_WANTARROWS;
      return;
  }
  SkinWndProc(M, SkinData.get());
  TWinControl::WndProc(M);
}

void TSkScrollBar::HitTestMove(POINT ScreenPoint) {
  const POINT p = ScreenToClient(ScreenPoint);
  if (states_[spSlider] == 2) {
    const int pos = DraggedTo(p);
    if (pos != position_) {
      MouseBusy = true;
      SetPosition(pos);
    }
  } else if (Inside(PartRect(spSlider), p)) {
    SetState(spSlider, 1);
  } else if (Inside(PartRect(spBtn1), p) && states_[spBtn1] != 2) {
    SetState(spBtn1, 1);
  } else if (Inside(PartRect(spBtn2), p) && states_[spBtn2] != 2) {
    SetState(spBtn2, 1);
  } else {
    SetState(spSlider, 0);
    SetState(spBtn1, 0);
    SetState(spBtn2, 0);
  }
  RepaintIfChanged();
}

// ---- mouse and keys ----

void TSkScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!(selfDrawn_ && SkinActive() && Enabled()) || Button != mbLeft || !Ready()) {
    TWinControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  // Hints are saved once per press: a second press before the release must
  // not save "off" as the value to restore.
  if (!hintsSaved_ && Application) {
    savedShowHint_ = Application->ShowHint;
    hintsSaved_ = true;
    Application->ShowHint = false;
  }
  dragOffset_ = 0;
  if (CanFocus()) SetFocus();
  const POINT p{X, Y};
  switch (HitPart(p)) {
    case spBtn1:
      if (states_[spBtn1] == 2) break;
      scrollCode_ = scLineUp;
      SetState(spBtn1, 2);
      MouseBusy = true;
      if (position_ == min_) {
        if (OnScroll) {
          int copy = position_;
          OnScroll(this, scLineUp, copy);
        }
      } else {
        SetPosition(Offset(-int64_t(SmallChange)));
      }
      StartTimer(1);
      break;
    case spBtn2:
      if (states_[spBtn2] == 2) break;
      SetState(spBtn2, 2);
      scrollCode_ = scLineDown;
      if (position_ != max_) {
        MouseBusy = true;
        SetPosition(Offset(SmallChange));
        StartTimer(1);
      }
      break;
    case spSlider:
      scrollCode_ = scTrack;
      BeginTrack();
      if (states_[spSlider] == 2) break;
      dragOffset_ = CoordToPosition64(p) - position_;
      SetState(spSlider, 2);
      StartTimer(3);
      SetCapture(WindowHandle());
      break;
    case spBar1:
      scrollCode_ = scPageUp;
      if (states_[spBar1] == 2) break;
      SetState(spBar1, 2);
      SetState(spBar2, ActiveState());
      MouseBusy = true;
      SetPosition(Offset(-int64_t(LargeChange)));
      StartTimer(2);
      break;
    case spBar2:
      scrollCode_ = scPageDown;
      if (states_[spBar2] == 2) break;
      SetState(spBar1, ActiveState());
      SetState(spBar2, 2);
      MouseBusy = true;
      SetPosition(Offset(LargeChange));
      StartTimer(2);
      break;
  }
  RepaintIfChanged();
  TWinControl::MouseDown(Button, Shift, X, Y);
}

void TSkScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!(selfDrawn_ && SkinActive() && Enabled()) || !Ready()) {
    TWinControl::MouseUp(Button, Shift, X, Y);
    return;
  }
  StopTimer();
  const POINT p{X, Y};
  const bool onSlider = Inside(PartRect(spSlider), p);
  if (onSlider || states_[spSlider] == 2) {
    scrollCode_ = scPosition;
    states_[spBar1] = states_[spBar2] = ActiveState();
    statesChanged_ = true;
    if (states_[spSlider] == 2) {
      MouseBusy = true;
      SetPosition(DraggedTo(p));
      SetState(spSlider, onSlider ? 1 : 0);
      EndTrack();
    }
  } else if (Inside(PartRect(spBtn1), p) && states_[spBtn1] == 2) {
    SetState(spBtn1, 1);
  } else if (Inside(PartRect(spBtn2), p) && states_[spBtn2] == 2) {
    SetState(spBtn2, 1);
  } else if (states_[spBar1] == 2) {
    SetState(spBar1, ActiveState());
  } else if (states_[spBar2] == 2) {
    SetState(spBar2, ActiveState());
  }
  // A button released away from it is no longer pressed either.
  if (states_[spBtn1] == 2) SetState(spBtn1, 0);
  if (states_[spBtn2] == 2) SetState(spBtn2, 0);
  RepaintIfChanged();
  ReleaseCapture();
  auto alive = AliveToken();
  TWinControl::MouseUp(Button, Shift, X, Y);
  if (alive.expired()) return;
  if (OnScroll) {
    int copy = position_;
    OnScroll(this, scEndScroll, copy);
  }
  // Only a press that turned the hints off turns them back on.
  if (hintsSaved_ && Application) Application->ShowHint = savedShowHint_;
  hintsSaved_ = false;
}

// While the mouse is captured the hit test is not asked: a drag follows the
// moves themselves.
void TSkScrollBar::MouseMove(TShiftState Shift, int X, int Y) {
  if (selfDrawn_ && SkinActive() && Enabled() && states_[spSlider] == 2) {
    const int pos = DraggedTo(POINT{X, Y});
    if (pos != position_) {
      MouseBusy = true;
      SetPosition(pos);
    }
  }
  TWinControl::MouseMove(Shift, X, Y);
}

void TSkScrollBar::KeyDown(WORD& Key, TShiftState Shift) {
  if (selfDrawn_ && SkinActive()) {
    switch (Key) {
      case VK_PRIOR:
        SetPosition(Offset(-int64_t(LargeChange)));
        break;
      case VK_NEXT:
        SetPosition(Offset(LargeChange));
        break;
      case VK_END:
        SetPosition(max_);
        break;
      case VK_HOME:
        SetPosition(min_);
        break;
      case VK_LEFT:
      case VK_UP:
        SetPosition(Offset(-int64_t(SmallChange)));
        break;
      case VK_RIGHT:
      case VK_DOWN:
        SetPosition(Offset(SmallChange));
        break;
    }
  }
  TWinControl::KeyDown(Key, Shift);
}

// ---- timers ----

void TSkScrollBar::StartTimer(int Kind) {
  StopTimer();
  timer_ = std::make_unique<TTimer>(nullptr);
  timerKind_ = Kind;
  timer_->SetInterval(Kind == 3 ? 10 : 500);
  timer_->OnTimer = [this](TObject*) { TimerTick(); };
  timer_->SetEnabled(true);
}

// The timer may be stopped from its own tick: it is only disabled then, and
// freed when the next one starts or the bar goes.
void TSkScrollBar::StopTimer() {
  if (timer_) timer_->SetEnabled(false);
  timerKind_ = 0;
}

void TSkScrollBar::TimerTick() {
  if (!timer_ || !timer_->Enabled() || ComponentState().Contains(csDestroying)) return;
  POINT c{0, 0};
  GetCursorPos(&c);
  c = ScreenToClient(c);
  switch (timerKind_) {
    case 1:
      if (states_[spBtn1] == 2)
        SetPosition(Offset(-int64_t(SmallChange)));
      else if (states_[spBtn2] == 2)
        SetPosition(Offset(SmallChange));
      else
        return StopTimer();
      timer_->SetInterval(100);
      break;
    case 2:
      if (states_[spBar1] == 2 && CoordToPosition(c) < position_)
        SetPosition(Offset(-int64_t(LargeChange)));
      else if (states_[spBar2] == 2 && CoordToPosition(c) > position_)
        SetPosition(Offset(LargeChange));
      else
        return StopTimer();  // the slider reached the cursor
      timer_->SetInterval(100);
      break;
    case 3:
      if (!Ready() || SkinData->MouseAbove) break;
      if (states_[spSlider] == 2 && DraggedTo(c) != position_) SetPosition(DraggedTo(c));
      SetCapture(WindowHandle());
      break;
  }
}

}  // namespace qv
