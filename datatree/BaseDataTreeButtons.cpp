// The expand buttons: the plus and minus bitmaps drawn once per button style
// and fill mode (and again when a colour they use changes), the custom line
// pattern asked for once per line style, and the vertical anchor of a row's
// button and images.
#include <cstring>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Font.h"
#include "classlib/graphics/ImageList.h"
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeImages.h"
#include "platform/gdi/Gdi.h"

namespace qv {

namespace {
constexpr int kButtonSide = 9;
constexpr TColor kButtonKey = 0xFF00FF;  // fuchsia: transparent

void DrawTriangle(TCanvas* C, bool Plus) {
  // Pointing right while collapsed, down while expanded.
  C->Brush()->SetColor(clBlack);
  C->Pen()->SetColor(clBlack);
  if (Plus)
    C->Polygon({{2, 0}, {6, 4}, {2, 8}});
  else
    C->Polygon({{0, 2}, {8, 2}, {4, 6}});
}
}  // namespace

void TBaseDataTree::DrawRectangleButton(TCanvas* C, bool Plus) {
  // A box in the line colour filled as the fill mode says, with a bar (and
  // a cross bar for plus) in the font colour.
  if (buttonFillMode_ == fmTreeColor)
    C->Brush()->SetColor(Color());
  else if (buttonFillMode_ == fmWindowColor)
    C->Brush()->SetColor(clWindow);
  else
    C->Brush()->SetColor(kButtonKey);
  C->Pen()->SetColor(colors_->Get(TDTColors::TreeLineColor));
  C->Rectangle(0, 0, kButtonSide, kButtonSide);
  C->Pen()->SetColor(Font()->Color());
  C->MoveTo(2, kButtonSide / 2);
  C->LineTo(kButtonSide - 2, kButtonSide / 2);
  if (Plus) {
    C->MoveTo(kButtonSide / 2, 2);
    C->LineTo(kButtonSide / 2, kButtonSide - 2);
  }
}

void TBaseDataTree::PrepareBitmaps(bool NeedButtons, bool NeedLines) {
  if (NeedButtons) {
    for (bool plus : {false, true}) {
      std::unique_ptr<TBitmap>& bm = plus ? plusBM_ : minusBM_;
      bm = std::make_unique<TBitmap>(kButtonSide, kButtonSide, pf24bit);
      TCanvas* c = bm->Canvas();
      c->Brush()->SetColor(kButtonKey);
      c->FillRect(RECT{0, 0, kButtonSide, kButtonSide});
      if (buttonStyle_ == bsTriangle)
        DrawTriangle(c, plus);
      else if (buttonFillMode_ == fmShaded)
        DrawShadedButton(c, plus);
      else
        DrawRectangleButton(c, plus);
    }
  }
  if (NeedLines) {
    // A custom style starts from the dots; the owner may give its own rows.
    customLinePattern_.reset();
    const uint8_t* rows = nullptr;
    if (lineStyle_ == lsCustomStyle && OnGetLineStyle) OnGetLineStyle(this, rows);
    if (rows) {
      customLinePattern_ = std::make_unique<uint8_t[]>(8);
      std::memcpy(customLinePattern_.get(), rows, 8);
    }
  }
}

TBitmap* TBaseDataTree::PlusBitmap() {
  if (!plusBM_) PrepareBitmaps(true, false);
  return plusBM_.get();
}

TBitmap* TBaseDataTree::MinusBitmap() {
  if (!minusBM_) PrepareBitmaps(true, false);
  return minusBM_.get();
}

void TBaseDataTree::PaintNodeButton(HDC DC, PDataNode Node, int X, int Y) {
  TBitmap* bm = Node->Has(vsExpanded) ? MinusBitmap() : PlusBitmap();
  TransparentBlt(DC, X, Y, bm->Width(), bm->Height(), bm->Canvas()->Handle(), 0, 0, bm->Width(), bm->Height(),
                 UINT(kButtonKey));
}

void TBaseDataTree::GetButtonVAlign(bool ShowImages, bool ShowStateImages, int& ButtonY, int& VAlign,
                                    PDataNode Node) {
  int buttonHeight = PlusBitmap()->Height();
  switch (nodeAlignment_) {
    case naFromBottom:
      VAlign = int(NodeHeight(Node)) - Node->Align;
      break;
    case naFromTop:
      VAlign = Node->Align;
      break;
    default: {
      // Proportional: the anchor is where the images' (or the button's)
      // centre lies when their top sits at Align percent of the free height.
      int h = -1;
      TCustomImageList* list = ShowImages ? images_ : ShowStateImages ? stateImages_ : nullptr;
      if (list)
        h = list->Height();
      else if (options_->PaintOptions().Contains(toShowButtons))
        h = buttonHeight;
      if (h >= 0)
        VAlign = MulDiv(int(NodeHeight(Node)) - h, Node->Align, 100) + h / 2;
      else
        VAlign = MulDiv(Node->NodeHeight, Node->Align, 100);
    }
  }
  ButtonY = VAlign - buttonHeight / 2;
}

}  // namespace qv
