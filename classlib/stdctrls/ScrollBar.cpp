// TScrollBar.
#include "classlib/stdctrls/ScrollBar.h"

#include "classlib/controls/ControlMessages.h"
#include "classlib/stdctrls/SubClass.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/MessageQueue.h"

namespace qv {

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner) {
  ControlStyle() = TControlStyle{csFramed, csDoubleClicks};
  SetBounds(Left(), Top(), 121, GetSystemMetrics(SM_CYHSCROLL));
  SetTabStop(true);
}

void TScrollBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, u"SCROLLBAR");
  Params.Style |= kind_ == sbVertical ? SBS_VERT : SBS_HORZ;
}

void TScrollBar::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateWindow();
}

void TScrollBar::UpdateWindow() {
  if (!HandleAllocated()) return;
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = min_, si.nMax = max_, si.nPage = UINT(pageSize_), si.nPos = position_;
  SetScrollInfo(WindowHandle(), SB_CTL, &si, TRUE);
}

void TScrollBar::SetKind(TScrollBarKind Value) {
  if (kind_ == Value) return;
  kind_ = Value;
  SetBounds(Left(), Top(), Height(), Width());
  RecreateWnd();
}

int TScrollBar::Highest() const {
  return pageSize_ > 0 ? std::max(min_, max_ - pageSize_ + 1) : max_;
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
  if (AMax < AMin) AMax = AMin;
  min_ = AMin, max_ = AMax;
  int position = std::clamp(APosition, min_, Highest());
  bool moved = position != position_;
  position_ = position;
  UpdateWindow();
  if (moved) Change();
}

void TScrollBar::SetPageSize(int Value) {
  pageSize_ = std::clamp(Value, 0, max_ - min_ + 1);
  SetParams(position_, min_, max_);
}

void TScrollBar::Change() {
  if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos) {
  if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::DoScroll(TMessage& M) {
  int pos = position_;
  TScrollCode code = scEndScroll;
  switch (M.WParamLo()) {
    case SB_LINEUP:
      code = scLineUp, pos -= SmallChange;
      break;
    case SB_LINEDOWN:
      code = scLineDown, pos += SmallChange;
      break;
    case SB_PAGEUP:
      code = scPageUp, pos -= LargeChange;
      break;
    case SB_PAGEDOWN:
      code = scPageDown, pos += LargeChange;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      code = M.WParamLo() == SB_THUMBTRACK ? scTrack : scPosition;
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS;
      // The message carries 16 bits; the bar being dragged has them all.
      bool full = GetScrollInfo(WindowHandle(), SB_CTL, &si) && (si.nTrackPos & 0xFFFF) == M.WParamHi();
      pos = full ? si.nTrackPos : M.WParamHi();
      break;
    }
    case SB_TOP:
      code = scTop, pos = min_;
      break;
    case SB_BOTTOM:
      code = scBottom, pos = max_;
      break;
    case SB_ENDSCROLL:
      code = scEndScroll;
      break;
  }
  pos = std::clamp(pos, min_, Highest());
  auto alive = AliveToken();
  Scroll(code, pos);
  if (!alive.expired()) SetPosition(pos);
}

void TScrollBar::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL:
      return DoScroll(M);
    case CN_CTLCOLORSCROLLBAR:
      M.Result = 0;
      return;
  }
  TWinControl::Dispatch(M);
}

}  // namespace qv
