// TBevel: the shadow and highlight lines of each bevel shape.
#include "classlib/stdctrls/Bevel.h"

#include "classlib/graphics/Pen.h"

namespace qv {

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  ControlStyle().Include(csReplicatable);
  SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
  if (shape_ == Value) return;
  shape_ = Value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas* c = Canvas();
  TColor first = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor second = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
  int w = Width(), h = Height();
  c->Pen()->SetWidth(1);
  c->Pen()->SetStyle(psSolid);
  auto line = [&](TColor color, int x1, int y1, int x2, int y2) {
    c->Pen()->SetColor(color);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
  };
  // A box: top and left in one colour, bottom and right in the other.
  auto box = [&](TColor topLeft, TColor bottomRight, int x1, int y1, int x2, int y2) {
    line(topLeft, x1, y2, x1, y1);
    line(topLeft, x1, y1, x2 + 1, y1);
    line(bottomRight, x2, y1 + 1, x2, y2 + 1);
    line(bottomRight, x1, y2, x2, y2);
  };
  switch (shape_) {
    case bsBox:
      box(first, second, 0, 0, w - 1, h - 1);
      break;
    case bsFrame:
      box(second, second, 1, 1, w - 1, h - 1);
      box(first, first, 0, 0, w - 2, h - 2);
      break;
    case bsTopLine:
      line(first, 0, 0, w, 0);
      line(second, 0, 1, w, 1);
      break;
    case bsBottomLine:
      line(first, 0, h - 2, w, h - 2);
      line(second, 0, h - 1, w, h - 1);
      break;
    case bsLeftLine:
      line(first, 0, 0, 0, h);
      line(second, 1, 0, 1, h);
      break;
    case bsRightLine:
      line(first, w - 2, 0, w - 2, h);
      line(second, w - 1, 0, w - 1, h);
      break;
    case bsSpacer:
      break;
  }
}

}  // namespace qv
