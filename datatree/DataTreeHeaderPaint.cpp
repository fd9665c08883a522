// Painting the header: each visible column as a button with its picture,
// text, sort glyph and drop mark, or drawn by the owner (a whole column, or
// only the elements it asks for).
#include <algorithm>

#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Font.h"
#include "classlib/graphics/ImageList.h"
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeHeader.h"
#include "datatree/DataTreeImages.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/text/Text.h"

namespace qv {

namespace {
void FillColor(HDC DC, const RECT& R, TColor Color) {
  HBRUSH b = CreateSolidBrush(COLORREF(ColorToRGB(Color)));
  FillRect(DC, &R, b);
  DeleteObject(b);
}

void Line(HDC DC, COLORREF Color, int X1, int Y1, int X2, int Y2) {
  HPEN pen = CreatePen(PS_SOLID, 1, Color);
  HGDIOBJ old = SelectObject(DC, pen);
  MoveToEx(DC, X1, Y1, nullptr);
  LineTo(DC, X2, Y2);
  SelectObject(DC, old);
  DeleteObject(pen);
}

void DrawUtility(HDC DC, int Index, int X, int Y) {
  ImageList_Draw(UtilityList()->Handle(), Index, DC, X, Y, ILD_TRANSPARENT);
}

// The hot strip from the utility glyphs (only their bottom rows are drawn):
// both ends and the middle tiled between them, or on a narrow button the
// right end with the left end over its first half.
void DrawHotStrip(HDC DC, const RECT& R) {
  int y = R.bottom - UtilityList()->Height(), piece = UtilityList()->Width();
  int saved = SaveDC(DC);
  IntersectClipRect(DC, R.left, R.top, R.right, R.bottom);
  if (R.right - R.left > 2 * piece) {
    DrawUtility(DC, uiHotStripLeft, R.left, y);
    for (int x = R.left + piece; x < R.right - piece; x += piece) DrawUtility(DC, uiHotStripMiddle, x, y);
    DrawUtility(DC, uiHotStripRight, R.right - piece, y);
  } else {
    DrawUtility(DC, uiHotStripRight, R.right - piece, y);
    IntersectClipRect(DC, R.left, R.top, R.left + (R.right - R.left) / 2, R.bottom);
    DrawUtility(DC, uiHotStripLeft, R.left, y);
  }
  RestoreDC(DC, saved);
}

// The XP-style button: a light face, a pressed frame, a hot strip along the
// bottom, or three shaded bottom lines; the splitter only between buttons at rest.
void DrawXPButton(HDC DC, const RECT& R, bool DrawSplitter, bool Down, bool Hover) {
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
    DrawHotStrip(DC, R);
  } else {
    Line(DC, COLORREF(0xCFDEE0), R.left, R.bottom - 3, R.right, R.bottom - 3);
    Line(DC, COLORREF(0xC3D2D5), R.left, R.bottom - 2, R.right, R.bottom - 2);
    Line(DC, COLORREF(0xB8C7CB), R.left, R.bottom - 1, R.right, R.bottom - 1);
  }
}
}  // namespace

namespace {
struct THeaderBox {
  int x = 0, y = 0, w = 0, h = 0;
};

// Vertical places: the sort glyph centred; glyph and text each centred, or
// as one block (glyph, spacing, text) with the glyph on top or below.
void PlaceVertically(THeaderBox& Text, THeaderBox& Glyph, THeaderBox& Sort, int Height, int TextSpacing,
                     TDTHeaderColumnLayout Layout, bool UseHeaderGlyph) {
  Sort.y = (Height - Sort.h) / 2;
  if (!UseHeaderGlyph || Layout == blGlyphLeft || Layout == blGlyphRight) {
    Glyph.y = (Height - Glyph.h) / 2;
    Text.y = (Height - Text.h) / 2;
    return;
  }
  int block = Glyph.h + TextSpacing + Text.h;
  if (Layout == blGlyphTop) {
    Glyph.y = (Height - block) / 2;
    Text.y = Glyph.y + Glyph.h + TextSpacing;
  } else {
    Text.y = (Height - block) / 2;
    Glyph.y = Text.y + Text.h + TextSpacing;
  }
}
}  // namespace

void TDataTreeColumn::LayoutHeaderContents(HDC DC, const RECT& Client, bool UseSortGlyph, bool UseHeaderGlyph,
                                           RECT& TextBounds, POINT& SortGlyphPos, POINT& GlyphPos) const {
  bool rtl = bidi_ != bdLeftToRight;
  TAlignment align = alignment_;
  if (rtl && align != taCenter) align = align == taLeftJustify ? taRightJustify : taLeftJustify;
  if (text_.empty() && !UseSortGlyph && !UseHeaderGlyph) return;
  int width = Client.right - Client.left, height = Client.bottom - Client.top;
  SIZE extent{};
  GetTextExtentPoint32W(DC, reinterpret_cast<const WCHAR*>(text_.c_str()), int(text_.size()), &extent);
  THeaderBox text{0, 0, int(extent.cx) + 2, int(extent.cy)};
  int textSpacing = text_.empty() ? 0 : spacing_;
  THeaderBox sort, glyph;
  if (UseSortGlyph) sort.w = UtilityList()->Width(), sort.h = UtilityList()->Height();
  TCustomImageList* images = owner_->Header()->Images();
  if (UseHeaderGlyph && images) glyph.w = images->Width(), glyph.h = images->Height();
  bool sideBySide = layout_ == blGlyphLeft || layout_ == blGlyphRight || !UseHeaderGlyph;

  if (UseSortGlyph && text_.empty() && !UseHeaderGlyph) {
    sort.x = (width - sort.w) / 2;
    sort.y = (height - sort.h) / 2;
  } else {
    PlaceVertically(text, glyph, sort, height, textSpacing, layout_, UseHeaderGlyph);
    if (align == taLeftJustify) {
      int x = margin_;
      if (rtl && UseSortGlyph) sort.x = x, x += sort.w + spacing_;
      if (sideBySide) {
        if (UseHeaderGlyph && layout_ == blGlyphLeft) glyph.x = x, x += glyph.w + spacing_;
        text.x = x, x += text.w + textSpacing;
        if (UseHeaderGlyph && layout_ == blGlyphRight) glyph.x = x, x += glyph.w + spacing_;
      } else {
        text.x = x;
        glyph.x = std::max(x, x + (text.w - glyph.w) / 2);
        x = std::max(text.x + text.w + textSpacing, glyph.x + glyph.w + spacing_);
      }
      if (!rtl && UseSortGlyph) sort.x = x;
    } else if (align == taRightJustify) {
      int x = width - margin_;
      if (!rtl && UseSortGlyph) x -= sort.w, sort.x = x, x -= spacing_;
      if (sideBySide) {
        if (UseHeaderGlyph && layout_ == blGlyphRight) x -= glyph.w, glyph.x = x, x -= spacing_;
        x -= text.w, text.x = x, x -= textSpacing;
        if (UseHeaderGlyph && layout_ == blGlyphLeft) x -= glyph.w, glyph.x = x, x -= spacing_;
      } else {
        text.x = x - text.w;
        glyph.x = std::min(x - glyph.w, text.x + (text.w - glyph.w) / 2);
        x = std::min(text.x - textSpacing, glyph.x - spacing_);
      }
      if (rtl && UseSortGlyph) sort.x = x - sort.w;
    } else {
      int blockLeft, blockRight;
      if (sideBySide) {
        int gap = !UseHeaderGlyph ? 0 : layout_ == blGlyphLeft ? spacing_ : textSpacing;
        int block = text.w + (UseHeaderGlyph ? glyph.w + gap : 0);
        blockLeft = (width - block) / 2;
        blockRight = blockLeft + block;
        if (UseHeaderGlyph && layout_ == blGlyphLeft) {
          glyph.x = blockLeft;
          text.x = blockLeft + glyph.w + gap;
        } else {
          text.x = blockLeft;
          glyph.x = blockLeft + text.w + gap;
        }
      } else {
        text.x = (width - text.w) / 2;
        if (UseSortGlyph) text.x -= sort.w / 2;
        glyph.x = (width - glyph.w) / 2;
        blockLeft = std::min(text.x, glyph.x);
        blockRight = std::max(text.x + text.w, glyph.x + glyph.w);
      }
      sort.x = rtl ? blockLeft - spacing_ - sort.w : blockRight + spacing_;
    }
  }

  // Everything within the margins: the glyphs are pulled in and narrow the
  // span on their side; the text keeps to what is left.
  int spanLeft = margin_, spanRight = width - margin_;
  if (UseSortGlyph) {
    if (!rtl) {
      sort.x = std::min(sort.x, spanRight - sort.w);
      spanRight = sort.x - spacing_;
    } else {
      sort.x = std::max(sort.x, spanLeft);
      spanLeft = sort.x + sort.w + spacing_;
    }
  }
  if (UseHeaderGlyph) {
    if (layout_ == blGlyphRight) {
      glyph.x = std::min(glyph.x, spanRight - glyph.w);
      spanRight = glyph.x - spacing_;
    } else if (layout_ == blGlyphLeft) {
      glyph.x = std::max(glyph.x, spanLeft);
      spanLeft = glyph.x + glyph.w + spacing_;
    } else {
      glyph.x = std::max(std::min(glyph.x, spanRight - glyph.w), spanLeft);
    }
  }
  text.x = std::max(text.x, spanLeft);
  TextBounds = RECT{Client.left + text.x, Client.top + text.y,
                    Client.left + std::min(text.x + text.w, spanRight), Client.top + text.y + text.h};
  SortGlyphPos = POINT{Client.left + sort.x, Client.top + sort.y};
  GlyphPos = POINT{Client.left + glyph.x, Client.top + glyph.y};
}

namespace {
// The edges of a button at rest, pressed, and hot (plates only), by header
// style. The right border of a button at rest or hot is given per column.
struct TEdge {
  UINT Edge, Flags;
};
struct TButtonEdges {
  TEdge Normal, Pressed, Hot;
};
TButtonEdges ButtonEdges(TDTHeaderStyle Style) {
  constexpr UINT face = BF_ADJUST | BF_MIDDLE, open = BF_LEFT | BF_TOP | BF_BOTTOM;
  switch (Style) {
    case hsFlatButtons:
      return {
          {BDR_RAISEDINNER, face | open}, {BDR_SUNKENOUTER, face | BF_RECT}, {BDR_RAISEDINNER, face | open}};
    case hsPlates:
      return {{BDR_RAISEDINNER, face | BF_SOFT | BF_RECT},
              {BDR_SUNKENOUTER, face | BF_RECT},
              {BDR_RAISEDINNER, face | open}};
    default:
      return {{EDGE_RAISED, face | BF_SOFT | open},
              {EDGE_RAISED, face | BF_SOFT | BF_FLAT | BF_RECT},
              {EDGE_RAISED, face | BF_SOFT | open}};
  }
}

// Every button closes with a right border, except the last one of an
// auto-sized header whose tree has a bevel to close it; thick buttons always.
bool ShowsRightBorder(TDTHeaderStyle Style, TDTHeaderOptions Options, bool Beveled) {
  return Style == hsThickButtons || !(Options.Contains(hoAutoResize) && Beveled);
}

// The caption, cut with an ellipsis when too wide: in the font's colour, or
// the hot colour; a disabled one is embossed, a highlight one pixel down and
// right under the text in the shadow colour.
void DrawButtonText(HDC DC, const std::u16string& Caption, const RECT& Bounds, bool Enabled, bool Hot,
                    UINT DrawFormat, TColor FontColor, TColor HotColor) {
  auto draw = [&](RECT r, TColor color) {
    SetTextColor(DC, COLORREF(ColorToRGB(color)));
    DrawTextW(DC, reinterpret_cast<const WCHAR*>(Caption.c_str()), int(Caption.size()), &r,
              DrawFormat | DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
  };
  SetBkMode(DC, TRANSPARENT);
  if (Enabled) {
    draw(Bounds, Hot ? HotColor : FontColor);
  } else {
    RECT offset = Bounds;
    OffsetRect(&offset, 1, 1);
    draw(offset, clBtnHighlight);
    draw(Bounds, clBtnShadow);
  }
  SetTextColor(DC, COLORREF(ColorToRGB(FontColor)));
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
    DrawXPButton(DC, R, false, false, false);
  } else {
    FillColor(DC, R, header_->Background());
  }
  HGDIOBJ oldFont = SelectObject(DC, header_->Font()->Handle());
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, COLORREF(ColorToRGB(header_->Font()->Color())));
  const int x0 = R.left + HeaderScrollBarShift();  // where the client's x 0 lies
  // Fixed columns stay put; the others scroll beside them, never over them,
  // as their cells do in the rows.
  const int scrolledFrom = std::max<int>(R.left, x0 + cols->GetVisibleFixedWidth());
  for (TDataTreeColumn* c : cols->GetVisibleColumns()) {
    RECT b{x0 + c->DisplayLeft(), R.top, x0 + c->DisplayLeft() + c->Width(), R.bottom};
    const int visibleFrom = c->Options().Contains(coFixed) ? R.left : scrolledFrom;
    if (b.right <= visibleFrom) continue;
    if (b.left >= R.right) continue;  // a fixed column after it may still be in
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
    info.ShowRightBorder = ShowsRightBorder(header_->Style(), header_->Options(), BevelKind() != bkNone);

    int saved = SaveDC(DC);
    IntersectClipRect(DC, std::max<int>(b.left, visibleFrom), b.top, std::min(b.right, R.right), b.bottom);
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
      DrawXPButton(DC, b, rightBorder, down, info.IsHoverIndex);
    } else if (!elements.Contains(hpeBackground)) {
      RECT e = b;
      TButtonEdges edges = ButtonEdges(header_->Style());
      UINT right = rightBorder ? BF_RIGHT : 0;
      bool plateHot = header_->Style() == hsPlates && info.IsHoverIndex &&
                      c->Options().Contains(coAllowClick) && c->Options().Contains(coEnabled);
      if (down)
        DrawEdge(DC, &e, edges.Pressed.Edge, edges.Pressed.Flags);
      else if (plateHot)
        DrawEdge(DC, &e, edges.Hot.Edge, edges.Hot.Flags | right);
      else
        DrawEdge(DC, &e, edges.Normal.Edge, edges.Normal.Flags | right);
    }
    RECT t{};
    RECT contents{b.left + 2, b.top + 2, b.right - 2, b.bottom - 2};
    c->LayoutHeaderContents(DC, contents, info.ShowSortGlyph, info.ShowHeaderGlyph, t, info.SortGlyphPos,
                            info.GlyphPos);
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
    // The header glyph gives way to a sort glyph it would run into.
    bool glyphFits = info.ShowHeaderGlyph && (!info.ShowSortGlyph || c->BiDiMode() != bdLeftToRight ||
                                              info.GlyphPos.x + images->Width() <= info.SortGlyphPos.x);
    if (glyphFits && !elements.Contains(hpeHeaderGlyph))
      ImageList_Draw(images->Handle(), c->ImageIndex(), DC, info.GlyphPos.x, info.GlyphPos.y,
                     ILD_TRANSPARENT);
    std::u16string text = c->Text();
    if (!text.empty() && !elements.Contains(hpeText)) {
      UINT format = DT_NOPREFIX | (c->BiDiMode() != bdLeftToRight ? DT_RTLREADING : 0);
      DrawButtonText(DC, text, t, info.IsEnabled, info.IsHoverIndex && !states_.Contains(tsUseThemes), format,
                     header_->Font()->Color(), colors_->Get(TDTColors::HeaderHotColor));
    }
    if (info.ShowSortGlyph && !elements.Contains(hpeSortGlyph)) {
      bool ascending = header_->SortDirection() == sdAscending, themed = states_.Contains(tsUseThemes);
      int glyph = themed ? (ascending ? uiThemedSortAscending : uiThemedSortDescending)
                         : (ascending ? uiSortAscending : uiSortDescending);
      DrawUtility(DC, glyph, info.SortGlyphPos.x, info.SortGlyphPos.y);
    }
    if (info.DropMark != dmmNone && !elements.Contains(hpeDropMark)) {
      int y = b.top + (b.bottom - b.top - UtilityList()->Height()) / 2;
      if (info.DropMark == dmmLeft)
        DrawUtility(DC, uiDropMarkLeft, b.left, y);
      else
        DrawUtility(DC, uiDropMarkRight, b.right - UtilityList()->Width(), y);
    }
    RestoreDC(DC, saved);
  }
  SelectObject(DC, oldFont);
  canvas.SetHandle(nullptr);
}

}  // namespace qv
