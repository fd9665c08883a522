// Painting the header: each visible column as a button with its picture,
// text, sort glyph and drop mark, or drawn by the owner (a whole column, or
// only the elements it asks for).
#include <algorithm>

#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Font.h"
#include "classlib/graphics/ImageList.h"
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeHeader.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/text/Text.h"

namespace qv {

namespace {
constexpr int kSortGlyph = 8;

void FillColor(HDC DC, const RECT& R, TColor Color) {
  HBRUSH b = CreateSolidBrush(COLORREF(ColorToRGB(Color)));
  FillRect(DC, &R, b);
  DeleteObject(b);
}

void PaintSortGlyph(HDC DC, POINT At, bool Ascending) {
  // A small triangle: up for ascending, down for descending.
  int x = At.x, y = At.y;
  COLORREF gc = COLORREF(ColorToRGB(clBtnShadow));
  HBRUSH gb = CreateSolidBrush(gc);
  HPEN gp = CreatePen(PS_SOLID, 1, gc);
  HGDIOBJ ob = SelectObject(DC, gb), op = SelectObject(DC, gp);
  POINT pts[3];
  if (Ascending)
    pts[0] = {x, y + 2}, pts[1] = {x + kSortGlyph, y + 2}, pts[2] = {x + kSortGlyph / 2, y - 2};
  else
    pts[0] = {x, y - 2}, pts[1] = {x + kSortGlyph, y - 2}, pts[2] = {x + kSortGlyph / 2, y + 2};
  Polygon(DC, pts, 3);
  SelectObject(DC, op);
  SelectObject(DC, ob);
  DeleteObject(gp);
  DeleteObject(gb);
}
void Line(HDC DC, COLORREF Color, int X1, int Y1, int X2, int Y2) {
  HPEN pen = CreatePen(PS_SOLID, 1, Color);
  HGDIOBJ old = SelectObject(DC, pen);
  MoveToEx(DC, X1, Y1, nullptr);
  LineTo(DC, X2, Y2);
  SelectObject(DC, old);
  DeleteObject(pen);
}

// The XP-style button: a light face, a pressed frame, a hot strip along the
// bottom, or three shaded bottom lines; the splitter only between buttons at rest.
void DrawXPButton(HDC DC, const RECT& R, bool DrawSplitter, bool Down, bool Hover, TColor HotColor) {
  COLORREF face = Down ? COLORREF(0xD8DFDE) : Hover ? COLORREF(0xF3F8FA) : COLORREF(0xDBEAEB);
  HBRUSH b = CreateSolidBrush(face);
  FillRect(DC, &R, b);
  DeleteObject(b);
  if (DrawSplitter && !Down && !Hover) {
    Line(DC, COLORREF(0xB2C5C7), R.right - 2, R.top + 3, R.right - 2, R.bottom - 5);
    Line(DC, COLORREF(0xFFFFFF), R.right - 1, R.top + 3, R.right - 1, R.bottom - 5);
  }
  if (Down) {
    Line(DC, COLORREF(0x97A5A5), R.left, R.top, R.left, R.bottom - 1);
    Line(DC, COLORREF(0x97A5A5), R.left, R.bottom - 1, R.right - 1, R.bottom - 1);
    Line(DC, COLORREF(0x97A5A5), R.right - 1, R.bottom - 1, R.right - 1, R.top - 1);
    Line(DC, COLORREF(0xB8C2C1), R.left + 1, R.bottom - 2, R.left + 1, R.top);
    Line(DC, COLORREF(0xB8C2C1), R.left + 1, R.top, R.right - 1, R.top);
    Line(DC, COLORREF(0xC9D1D0), R.left + 2, R.bottom - 2, R.left + 2, R.top + 1);
    Line(DC, COLORREF(0xC9D1D0), R.left + 2, R.top + 1, R.right - 1, R.top + 1);
  } else if (Hover) {
    RECT strip{R.left, R.bottom - 3, R.right, R.bottom};
    FillColor(DC, strip, HotColor);
  } else {
    Line(DC, COLORREF(0xCFDEE0), R.left, R.bottom - 3, R.right, R.bottom - 3);
    Line(DC, COLORREF(0xC3D2D5), R.left, R.bottom - 2, R.right, R.bottom - 2);
    Line(DC, COLORREF(0xB8C7CB), R.left, R.bottom - 1, R.right, R.bottom - 1);
  }
}
}  // namespace

void TBaseDataTree::PaintHeader(HDC DC, const RECT& R) {
  TDataTreeColumns* cols = header_->Columns();
  bool ownerDraw = header_->Options().Contains(hoOwnerDraw) && !ComponentState().Contains(csDesigning);
  bool advanced = ownerDraw && OnHeaderDrawQueryElements && OnAdvancedHeaderDraw;
  bool simple = ownerDraw && !advanced && OnHeaderDraw;
  TCanvas canvas;
  canvas.SetHandle(DC);
  THeaderPaintInfo info;
  info.TargetCanvas = &canvas;

  // The background, unless the owner paints it.
  THeaderPaintElements elements;
  info.PaintRectangle = R;
  if (advanced) DoHeaderDrawQueryElements(info, elements);
  if (advanced && elements.Contains(hpeBackground)) {
    int saved = SaveDC(DC);
    DoAdvancedHeaderDraw(info, THeaderPaintElements{hpeBackground});
    RestoreDC(DC, saved);
  } else if (header_->Style() == hsXPStyle) {
    DrawXPButton(DC, R, false, false, false, colors_->Get(TDTColors::HeaderHotColor));
  } else {
    FillColor(DC, R, header_->Background());
  }
  HGDIOBJ oldFont = SelectObject(DC, header_->Font()->Handle());
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, COLORREF(ColorToRGB(header_->Font()->Color())));
  for (TDataTreeColumn* c : cols->GetVisibleColumns()) {
    RECT b{c->DisplayLeft(), R.top, c->DisplayLeft() + c->Width(), R.bottom};
    if (b.right <= R.left) continue;
    if (b.left >= R.right) break;
    bool down = c->Index() == cols->DownIndex && !header_->MouseState().Dragging();
    info = THeaderPaintInfo{};
    info.TargetCanvas = &canvas;
    info.Column = c;
    info.PaintRectangle = b;
    info.IsHoverIndex = c->Index() == cols->HoverIndex && header_->Options().Contains(hoHotTrack) &&
                        c->Options().Contains(coEnabled);
    info.IsDownIndex = down;
    info.IsEnabled = c->Options().Contains(coEnabled) && Enabled();
    if (header_->MouseState().Dragging() && c->Options().Contains(coShowDropMark) &&
        c->Index() == cols->DropTarget && cols->DropTarget != cols->DragIndex)
      info.DropMark = cols->DropBefore ? dmmLeft : dmmRight;
    TCustomImageList* images = header_->Images();
    info.ShowHeaderGlyph = images && header_->Options().Contains(hoShowImages) && c->ImageIndex() >= 0 &&
                           c->ImageIndex() < images->Count();
    info.ShowSortGlyph = header_->Options().Contains(hoShowSortGlyphs) && c->Index() == header_->SortColumn();
    info.ShowRightBorder = header_->Style() == hsThickButtons;

    int saved = SaveDC(DC);
    IntersectClipRect(DC, b.left, b.top, b.right, b.bottom);
    if (simple && c->Style() == vsOwnerDraw) {
      DoHeaderDraw(&canvas, c, b, info.IsHoverIndex, down, info.DropMark);
      RestoreDC(DC, saved);
      continue;
    }
    elements = {};
    if (advanced) DoHeaderDrawQueryElements(info, elements);
    // Without a border of its own, every button but the last gets a right border.
    bool rightBorder = info.ShowRightBorder || c->Position() + 1 < uint32_t(cols->Count());
    if (!elements.Contains(hpeBackground) && header_->Style() == hsXPStyle) {
      DrawXPButton(DC, b, rightBorder, down, info.IsHoverIndex, colors_->Get(TDTColors::HeaderHotColor));
    } else if (!elements.Contains(hpeBackground)) {
      RECT e = b;
      switch (header_->Style()) {
        case hsFlatButtons:
          DrawEdge(DC, &e, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
          break;
        case hsPlates:
          DrawEdge(DC, &e, down ? EDGE_SUNKEN : EDGE_ETCHED, BF_RECT);
          break;
        default:
          DrawEdge(DC, &e, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_SOFT);
          break;
      }
      if (info.IsHoverIndex) {
        RECT strip{b.left + 1, b.bottom - 3, b.right - 1, b.bottom - 1};
        FillColor(DC, strip, colors_->Get(TDTColors::HeaderHotColor));
      }
    }
    // Layout: picture beside (or above, or below) the text, sort glyph at the right.
    RECT t{b.left + c->Margin(), b.top, b.right - c->Margin(), b.bottom};
    if (info.ShowSortGlyph) {
      t.right -= kSortGlyph + c->Spacing();
      info.SortGlyphPos = POINT{t.right + c->Spacing(), (b.top + b.bottom) / 2};
    }
    if (info.ShowHeaderGlyph) {
      int iw = images->Width(), ih = images->Height(), gx = t.left, gy = (b.top + b.bottom - ih) / 2;
      switch (c->Layout()) {
        case blGlyphRight:
          gx = t.right - iw;
          t.right = gx - c->Spacing();
          break;
        case blGlyphTop:
          gx = (t.left + t.right - iw) / 2;
          gy = b.top + 2;
          t.top = gy + ih + c->Spacing();
          break;
        case blGlyphBottom:
          gx = (t.left + t.right - iw) / 2;
          gy = b.bottom - 2 - ih;
          t.bottom = gy - c->Spacing();
          break;
        default:
          t.left += iw + c->Spacing();
          break;
      }
      info.GlyphPos = POINT{gx, gy};
    }
    if (down) {
      OffsetRect(&t, 1, 1);
      info.GlyphPos.x += 1, info.GlyphPos.y += 1;
      info.SortGlyphPos.x += 1, info.SortGlyphPos.y += 1;
    }
    info.TextRectangle = t;
    if (!elements.Empty()) {
      // The owner's parts first (its background under everything), with
      // the layout known; the tree draws the rest over it.
      int inner = SaveDC(DC);
      DoAdvancedHeaderDraw(info, elements);
      RestoreDC(DC, inner);
    }
    if (info.ShowHeaderGlyph && !elements.Contains(hpeHeaderGlyph))
      ImageList_Draw(images->Handle(), c->ImageIndex(), DC, info.GlyphPos.x, info.GlyphPos.y,
                     ILD_TRANSPARENT);
    std::u16string text = c->Text();
    if (!text.empty() && !elements.Contains(hpeText)) {
      // A right-to-left column reads from the right and mirrors its alignment.
      bool rtl = c->BiDiMode() != bdLeftToRight;
      TAlignment a = c->Alignment();
      if (rtl && a != taCenter) a = a == taLeftJustify ? taRightJustify : taLeftJustify;
      UINT align = (a == taRightJustify ? DT_RIGHT
                    : a == taCenter     ? DT_CENTER
                                        : DT_LEFT) |
                   (rtl ? DT_RTLREADING : 0);
      if (!info.IsEnabled) SetTextColor(DC, COLORREF(ColorToRGB(clGrayText)));
      DrawTextW(DC, reinterpret_cast<const WCHAR*>(text.c_str()), int(text.size()), &t,
                align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
      SetTextColor(DC, COLORREF(ColorToRGB(header_->Font()->Color())));
    }
    if (info.ShowSortGlyph && !elements.Contains(hpeSortGlyph))
      PaintSortGlyph(DC, info.SortGlyphPos, header_->SortDirection() == sdAscending);
    if (info.DropMark != dmmNone && !elements.Contains(hpeDropMark)) {
      RECT m = info.DropMark == dmmLeft ? RECT{b.left, b.top, b.left + 2, b.bottom}
                                        : RECT{b.right - 2, b.top, b.right, b.bottom};
      FillColor(DC, m, colors_->Get(TDTColors::DropMarkColor));
    }
    RestoreDC(DC, saved);
  }
  SelectObject(DC, oldFont);
  canvas.SetHandle(nullptr);
}

}  // namespace qv
