// Painting of TCustomControl and TGraphicControl through their canvases.
#include "classlib/controls/CustomControl.h"

#include "platform/gdi/Gdi.h"
#include "platform/window/Paint.h"

namespace qv {

TControlCanvas::~TControlCanvas() {
  FreeHandle();
}

void TControlCanvas::SetControl(TControl* Value) {
  if (control_ == Value) return;
  FreeHandle();
  control_ = Value;
}

void TControlCanvas::FreeHandle() {
  if (!madeDC_) return;
  HDC dc = madeDC_;
  madeDC_ = nullptr;
  SetHandle(nullptr);
  ReleaseDC(madeFor_, dc);
  madeFor_ = nullptr;
}

// A windowed control draws on its window; a graphic one on its parent's,
// moved to its origin and clipped to its rectangle.
void TControlCanvas::CreateHandle() {
  if (!control_) return;
  FreeHandle();
  TControl* c = control_;
  POINT offset{0, 0};
  while (c && !dynamic_cast<TWinControl*>(c)) {
    offset.x += c->Left(), offset.y += c->Top();
    c = c->Parent();
  }
  auto* w = dynamic_cast<TWinControl*>(c);
  if (!w) return;
  HWND h = w->Handle();
  HDC dc = GetDC(h);
  if (!dc) return;
  if (w != control_) {
    IntersectClipRect(dc, offset.x, offset.y, offset.x + control_->Width(), offset.y + control_->Height());
    SetViewportOrgEx(dc, offset.x, offset.y, nullptr);
  }
  madeDC_ = dc, madeFor_ = h;
  SetHandle(dc);
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() {
  canvas_->FreeHandle();
}

void TCustomControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT) {
    ControlState().Include(csCustomPaint);
    TWinControl::Dispatch(Message);
    ControlState().Exclude(csCustomPaint);
    return;
  }
  TWinControl::Dispatch(Message);
}

void TCustomControl::PaintWindow(HDC DC) {
  TCanvasPaintScope scope(*canvas_, DC);
  Paint();
}

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
  ControlStyle().Include(csReplicatable);
}

TGraphicControl::~TGraphicControl() {
  canvas_->FreeHandle();
}

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT && Message.WParam) {
    TCanvasPaintScope scope(*canvas_, reinterpret_cast<HDC>(Message.WParam));
    Paint();
    return;
  }
  TControl::Dispatch(Message);
}

}  // namespace qv
