// TShape: the outline fitted inside the bounds with the pen's width.
#include "classlib/stdctrls/Shape.h"

#include <algorithm>

#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Pen.h"

namespace qv {

TShape::TShape(TComponent* AOwner)
    : TGraphicControl(AOwner), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  ControlStyle().Include(csReplicatable);
  SetBounds(0, 0, 65, 65);
  pen_->OnChange = [this](TObject*) { Invalidate(); };
  brush_->OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape() {
  pen_->OnChange = nullptr;
  brush_->OnChange = nullptr;
}

void TShape::SetShape(TShapeType Value) {
  if (shape_ == Value) return;
  shape_ = Value;
  Invalidate();
}

void TShape::Paint() {
  TCanvas* c = Canvas();
  c->SetPen(pen_.get());
  c->SetBrush(brush_.get());
  int pw = pen_->Width();
  int x = pw / 2, y = x;
  int w = Width() - pw + 1, h = Height() - pw + 1;
  if (pw == 0) --w, --h;
  if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
    int s = std::min(w, h);
    x += (w - s) / 2, y += (h - s) / 2;
    w = h = s;
  }
  switch (shape_) {
    case stRectangle:
    case stSquare:
      c->Rectangle(x, y, x + w, y + h);
      break;
    case stRoundRect:
    case stRoundSquare: {
      int s = std::min(w, h) / 4;
      c->RoundRect(x, y, x + w, y + h, s, s);
      break;
    }
    case stEllipse:
    case stCircle:
      c->Ellipse(x, y, x + w, y + h);
      break;
  }
}

}  // namespace qv
