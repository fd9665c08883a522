// TSpeedButton's look: the raised, sunken or flat frame, the stuck-down
// dither, and the glyph and caption laid out by Layout, Margin and Spacing
// (a disabled button without a disabled image gets an embossed one).
#include <algorithm>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "classlib/stdctrls/SpeedButton.h"
#include "platform/Utf.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"

namespace qv {

namespace {

COLORREF Rgb(TColor c) {
  return COLORREF(ColorToRGB(c));
}

}  // namespace

SIZE TSpeedButton::GlyphSize() const {
  if (glyph_->Empty()) return SIZE{0, 0};
  return SIZE{glyph_->Width() / std::max(1, numGlyphs_), glyph_->Height()};
}

SIZE TSpeedButton::TextSize(HDC DC) {
  std::u16string text = Utf8ToUtf16(Caption());
  if (text.empty()) return SIZE{0, 0};
  RECT r{0, 0, ClientWidth(), 0};
  DrawTextW(DC, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  return SIZE{r.right, r.bottom};
}

void TSpeedButton::CalcLayout(const RECT& Client, POINT& GlyphPos, RECT& TextBounds) {
  HDC dc = Canvas()->Handle();
  SelectObject(dc, Canvas()->Font()->Handle());
  SIZE glyph = GlyphSize(), text = TextSize(dc);
  int clientW = Client.right - Client.left, clientH = Client.bottom - Client.top;
  bool horizontal = layout_ == blGlyphLeft || layout_ == blGlyphRight;
  POINT gp{0, 0}, tp{0, 0};
  if (horizontal) {
    gp.y = (clientH - glyph.cy + 1) / 2;
    tp.y = (clientH - text.cy + 1) / 2;
  } else {
    gp.x = (clientW - glyph.cx + 1) / 2;
    tp.x = (clientW - text.cx + 1) / 2;
  }
  int spacing = spacing_, margin = margin_;
  if (text.cx == 0 || glyph.cx == 0) spacing = 0;
  int clientSize = horizontal ? clientW : clientH;
  int glyphSize = horizontal ? glyph.cx : glyph.cy, textSize = horizontal ? text.cx : text.cy;
  if (margin == -1) {
    if (spacing == -1) {
      margin = (clientSize - glyphSize - textSize) / 3;
      spacing = margin;
    } else {
      margin = (clientSize - (glyphSize + spacing + textSize) + 1) / 2;
    }
  } else if (spacing == -1) {
    spacing = (clientSize - (margin + glyphSize) - textSize) / 2;
  }
  switch (layout_) {
    case blGlyphLeft:
      gp.x = margin;
      tp.x = gp.x + glyph.cx + spacing;
      break;
    case blGlyphRight:
      gp.x = clientW - margin - glyph.cx;
      tp.x = gp.x - spacing - text.cx;
      break;
    case blGlyphTop:
      gp.y = margin;
      tp.y = gp.y + glyph.cy + spacing;
      break;
    case blGlyphBottom:
      gp.y = clientH - margin - glyph.cy;
      tp.y = gp.y - spacing - text.cy;
      break;
  }
  GlyphPos = POINT{gp.x + Client.left, gp.y + Client.top};
  TextBounds =
      RECT{tp.x + Client.left, tp.y + Client.top, tp.x + Client.left + text.cx, tp.y + Client.top + text.cy};
}

void TSpeedButton::DrawGlyph(HDC DC, POINT Pos, TButtonState State) {
  SIZE size = GlyphSize();
  if (size.cx == 0 || size.cy == 0) return;
  int cell = int(State);
  bool emboss = State == bsDisabled && numGlyphs_ < 2;
  if (cell >= numGlyphs_) cell = 0;
  Surface pixels = glyph_->ToSurface();
  // The bottom-left pixel is the transparent colour.
  uint32_t key = pixels.At(0, pixels.Height - 1) & 0xFFFFFF;
  for (int pass = emboss ? 0 : 1; pass < 2; ++pass) {
    for (int y = 0; y < size.cy; ++y)
      for (int x = 0; x < size.cx; ++x) {
        if (!pixels.Contains(cell * size.cx + x, y)) continue;
        uint32_t p = pixels.At(cell * size.cx + x, y) & 0xFFFFFF;
        if (p == key) continue;
        COLORREF color = RGB(BYTE(p >> 16), BYTE(p >> 8), BYTE(p));
        if (emboss) {
          // Dark pixels of the image make the embossed shape.
          int lum = (int(p >> 16 & 0xFF) * 3 + int(p >> 8 & 0xFF) * 6 + int(p & 0xFF)) / 10;
          if (lum >= 192) continue;
          color = pass == 0 ? Rgb(clBtnHighlight) : Rgb(clBtnShadow);
        }
        SetPixelV(DC, Pos.x + x + (pass == 0 ? 1 : 0), Pos.y + y + (pass == 0 ? 1 : 0), color);
      }
  }
}

void TSpeedButton::DrawCaption(HDC DC, const RECT& Bounds, TButtonState State) {
  std::u16string text = Utf8ToUtf16(Caption());
  if (text.empty()) return;
  SetBkMode(DC, TRANSPARENT);
  RECT r = Bounds;
  UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  if (State == bsDisabled) {
    RECT shifted = r;
    OffsetRect(&shifted, 1, 1);
    SetTextColor(DC, Rgb(clBtnHighlight));
    DrawTextW(DC, text.c_str(), int(text.size()), &shifted, flags);
    SetTextColor(DC, Rgb(clBtnShadow));
  } else {
    SetTextColor(DC, Rgb(Font()->Color()));
  }
  DrawTextW(DC, text.c_str(), int(text.size()), &r, flags);
}

void TSpeedButton::Paint() {
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  HDC dc = canvas->Handle();
  if (!Enabled()) {
    state_ = bsDisabled;
    dragging_ = false;
  } else if (state_ == bsDisabled) {
    state_ = down_ && groupIndex_ != 0 ? bsExclusive : bsUp;
  }
  RECT r = ClientRect();
  bool pressed = state_ == bsDown || state_ == bsExclusive;
  if (!flat_) {
    UINT frame = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (pressed ? DFCS_PUSHED : 0);
    DrawFrameControl(dc, &r, DFC_BUTTON, frame);
  } else {
    if (!transparent_ || pressed) {
      HBRUSH face = CreateSolidBrush(Rgb(Color()));
      FillRect(dc, &r, face);
      DeleteObject(face);
    }
    if (pressed || (mouseInControl_ && state_ != bsDisabled)) {
      RECT e = r;
      DrawEdge(dc, &e, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    InflateRect(&r, -1, -1);
  }
  if (state_ == bsExclusive && !(flat_ && mouseInControl_)) {
    // Stuck down: a dither of the face and highlight colours.
    COLORREF face = Rgb(clBtnFace), light = Rgb(clBtnHighlight);
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) SetPixelV(dc, x, y, (x + y) % 2 ? light : face);
  }
  if (dropdownMenu_) {
    DrawDropDownArrow(dc, r, state_);
    r.right -= DropDownArrowWidth;
  }
  if (pressed) OffsetRect(&r, 1, 1);
  SelectObject(dc, canvas->Font()->Handle());
  POINT glyphPos;
  RECT textBounds;
  CalcLayout(r, glyphPos, textBounds);
  DrawGlyph(dc, glyphPos, state_);
  DrawCaption(dc, textBounds, state_);
}

}  // namespace qv
