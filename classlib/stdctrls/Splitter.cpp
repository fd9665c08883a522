// TSplitter: finding the neighbour, the size limits, the inverted drag line
// and resizing the neighbour (the parent's alignment then moves the bar).
#include "classlib/stdctrls/Splitter.h"

#include "classlib/graphics/Brush.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Paint.h"

namespace qv {

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetAlign(alLeft);
  SetBounds(0, 0, 3, 100);
  SetParentColor(true);
  SetCursor(crHSplit);
}

TSplitter::~TSplitter() {
  EndDrag();
  if (control_) control_->RemoveFreeNotification(this);
}

void TSplitter::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == control_) {
    EndDrag();
    control_ = nullptr;
  }
}

void TSplitter::SetBeveled(bool Value) {
  beveled_ = Value;
  Invalidate();
}

void TSplitter::RequestAlign() {
  TGraphicControl::RequestAlign();
  if (Cursor() != crHSplit && Cursor() != crVSplit) return;
  SetCursor(Align() == alTop || Align() == alBottom ? crVSplit : crHSplit);
}

TControl* TSplitter::FindControl() {
  if (!Parent()) return nullptr;
  RECT me = BoundsRect();
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    TControl* c = Parent()->Controls(i);
    if (c == this || !c->Visible() || c->Align() != Align()) continue;
    RECT r = c->BoundsRect();
    bool touches = false;
    switch (Align()) {
      case alLeft:
        touches = r.right == me.left;
        break;
      case alRight:
        touches = r.left == me.right;
        break;
      case alTop:
        touches = r.bottom == me.top;
        break;
      case alBottom:
        touches = r.top == me.bottom;
        break;
      default:
        break;
    }
    if (touches) return c;
  }
  return nullptr;
}

bool TSplitter::DoCanResize(int& NewSize) {
  bool accept = true;
  if (OnCanResize) OnCanResize(this, NewSize, accept);
  return accept;
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || control_) return;
  control_ = FindControl();
  if (!control_) return;
  control_->FreeNotification(this);  // a neighbour freed during the drag is let go
  downPos_ = Horizontal() ? X + Left() : Y + Top();
  oldSize_ = newSize_ = SizeOf(control_);
  // Room left in the parent after the other controls aligned the same way.
  maxSize_ = (Horizontal() ? Parent()->ClientWidth() : Parent()->ClientHeight()) - minSize_;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    TControl* c = Parent()->Controls(i);
    if (!c->Visible()) continue;
    bool sameAxis = Horizontal() ? (c->Align() == alLeft || c->Align() == alRight)
                                 : (c->Align() == alTop || c->Align() == alBottom);
    if (sameAxis) maxSize_ -= SizeOf(c);
  }
  maxSize_ += oldSize_;
  if (ResizeStyle == rsLine || ResizeStyle == rsPattern) {
    lineDC_ = GetDCEx(Parent()->Handle(), nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    // Inverting shows the line over any colour.
    lineBrush_ = CreateSolidBrush(RGB(255, 255, 255));
    lineOffset_ = 0;
    DrawLine();
  }
}

void TSplitter::DrawLine() {
  if (!lineDC_) return;
  lineVisible_ = !lineVisible_;
  HGDIOBJ old = SelectObject(lineDC_, lineBrush_);
  int x = Left(), y = Top();
  if (Horizontal())
    x += lineOffset_;
  else
    y += lineOffset_;
  PatBlt(lineDC_, x, y, Width(), Height(), PATINVERT);
  SelectObject(lineDC_, old);
}

void TSplitter::UpdateSize(int X, int Y) {
  int pos = Horizontal() ? X + Left() : Y + Top();
  int split = pos - downPos_;
  int size = (Align() == alLeft || Align() == alTop) ? oldSize_ + split : oldSize_ - split;
  if (size > maxSize_) size = std::max(maxSize_, 0);
  if (size < minSize_) size = AutoSnap ? 0 : minSize_;
  if (!DoCanResize(size)) return;
  newSize_ = size;
}

void TSplitter::ApplySize() {
  if (!control_ || newSize_ == SizeOf(control_)) return;
  switch (Align()) {
    case alLeft:
      control_->SetWidth(newSize_);
      break;
    case alTop:
      control_->SetHeight(newSize_);
      break;
    case alRight:
      Parent()->DisableAlign();
      control_->SetBounds(control_->Left() + control_->Width() - newSize_, control_->Top(), newSize_,
                          control_->Height());
      Parent()->EnableAlign();
      break;
    case alBottom:
      Parent()->DisableAlign();
      control_->SetBounds(control_->Left(), control_->Top() + control_->Height() - newSize_,
                          control_->Width(), newSize_);
      Parent()->EnableAlign();
      break;
    default:
      break;
  }
  Parent()->Update();
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!control_) return;
  UpdateSize(X, Y);
  if (ResizeStyle == rsUpdate) {
    auto alive = AliveToken();
    ApplySize();
    return;
  }
  if (!lineDC_) return;
  int offset = (Align() == alLeft || Align() == alTop) ? newSize_ - oldSize_ : oldSize_ - newSize_;
  if (offset == lineOffset_) return;
  if (lineVisible_) DrawLine();
  lineOffset_ = offset;
  DrawLine();
}

void TSplitter::EndDrag() {
  if (lineDC_) {
    if (lineVisible_) DrawLine();
    ReleaseDC(Parent() && Parent()->HandleAllocated() ? Parent()->WindowHandle() : nullptr, lineDC_);
    lineDC_ = nullptr;
  }
  if (lineBrush_) DeleteObject(lineBrush_), lineBrush_ = nullptr;
  lineVisible_ = false;
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (control_ && Button == mbLeft) {
    EndDrag();
    auto alive = AliveToken();
    ApplySize();
    if (control_) control_->RemoveFreeNotification(this);
    control_ = nullptr;
    if (!alive.expired() && OnMoved) OnMoved(this);
    if (alive.expired()) return;
  }
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TSplitter::Paint() {
  TCanvas* c = Canvas();
  RECT r = ClientRect();
  c->Brush()->SetColor(Color());
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  if (beveled_) {
    if (Horizontal())
      InflateRect(&r, -1, 2);
    else
      InflateRect(&r, 2, -1);
    OffsetRect(&r, 1, 1);
    c->Brush()->SetColor(clBtnHighlight);
    c->FrameRect(r);
    OffsetRect(&r, -2, -2);
    c->Brush()->SetColor(clBtnShadow);
    c->FrameRect(r);
  }
  if (OnPaint) OnPaint(this);
}

}  // namespace qv
