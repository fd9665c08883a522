// Layout of a windowed control's children: the aligned ones fill the
// client area edge by edge (top, bottom, left, right, then client), and the
// others keep their distances to the edges they are anchored to.
#include <algorithm>

#include "classlib/controls/WinControl.h"

namespace qv {

void TWinControl::EnableAlign() {
  if (alignLevel_ > 0) --alignLevel_;
  if (alignLevel_ == 0 && ControlState().Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() {
  AlignControl(nullptr);
}

void TWinControl::RequestAlign() {
  TControl::RequestAlign();
}

void TWinControl::AlignControl(TControl* AControl) {
  if (alignLevel_ > 0) {
    ControlState().Include(csAlignmentNeeded);
    return;
  }
  if (aligning_) return;
  ControlState().Exclude(csAlignmentNeeded);
  RECT r = GetClientRect();
  aligning_ = true;
  try {
    AlignControls(AControl, r);
  } catch (...) {
    aligning_ = false;
    throw;
  }
  aligning_ = false;
}

void TWinControl::AdjustClientRect(RECT& Rect) {
  InflateRect(&Rect, -borderWidth_, -borderWidth_);
}

namespace {

// The order in which controls of one alignment are stacked from the edge.
int StackKey(TControl* c, TAlign a) {
  switch (a) {
    case alTop:
      return c->Top();
    case alBottom:
      return -(c->Top() + c->Height());
    case alLeft:
      return c->Left();
    case alRight:
      return -(c->Left() + c->Width());
    default:
      return 0;
  }
}

}  // namespace

void TWinControl::AlignControls(TControl* AControl, RECT& Rect) {
  AdjustClientRect(Rect);
  std::vector<TControl*> kids;
  for (int i = 0; i < ControlCount(); ++i) kids.push_back(Controls(i));
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> row;
    for (TControl* c : kids)
      if (c->Align() == a && c->Visible()) row.push_back(c);
    // The control that asked keeps the place it was given among equals.
    std::stable_sort(row.begin(), row.end(), [&](TControl* x, TControl* y) {
      int kx = StackKey(x, a), ky = StackKey(y, a);
      if (kx != ky) return kx < ky;
      return x == AControl && y != AControl;
    });
    for (TControl* c : row) {
      int w = c->Width(), h = c->Height();
      switch (a) {
        case alTop:
          c->SetBounds(Rect.left, Rect.top, Rect.Width(), h);
          Rect.top += c->Height();
          break;
        case alBottom:
          c->SetBounds(Rect.left, Rect.bottom - h, Rect.Width(), h);
          Rect.bottom -= c->Height();
          break;
        case alLeft:
          c->SetBounds(Rect.left, Rect.top, w, Rect.Height());
          Rect.left += c->Width();
          break;
        case alRight:
          c->SetBounds(Rect.right - w, Rect.top, w, Rect.Height());
          Rect.right -= c->Width();
          break;
        default:
          c->SetBounds(Rect.left, Rect.top, std::max(0, int(Rect.Width())), std::max(0, int(Rect.Height())));
      }
    }
  }
  RECT client = GetClientRect();
  for (TControl* c : kids)
    if (c->Align() == alNone) ApplyAnchors(c, client);
}

void TWinControl::ApplyAnchors(TControl* Control, const RECT& Client) {
  if (!Control->anchorValid_) return Control->UpdateAnchorRules();
  TAnchors a = Control->Anchors();
  if (a == kDefaultAnchors) return;
  int l = Control->Left(), t = Control->Top(), w = Control->Width(), h = Control->Height();
  POINT m = Control->anchorMargin_;
  if (a.Contains(akRight)) {
    if (a.Contains(akLeft))
      w = Client.right - m.x - l;
    else
      l = Client.right - m.x - w;
  }
  if (a.Contains(akBottom)) {
    if (a.Contains(akTop))
      h = Client.bottom - m.y - t;
    else
      t = Client.bottom - m.y - h;
  }
  Control->anchoring_ = true;
  Control->SetBounds(l, t, std::max(0, w), std::max(0, h));
  Control->anchoring_ = false;
}

}  // namespace qv
