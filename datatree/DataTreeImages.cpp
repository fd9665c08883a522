// Check-box, radio-button and push-button pictures drawn with GDI into one
// strip per kind: 0 blank, 1-8 radio (unchecked then checked: normal, hot,
// pressed, disabled), 9-20 check box (unchecked, checked, mixed), 21-24 button.
#include "datatree/DataTreeImages.h"

#include <mutex>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/ImageList.h"
#include "platform/gdi/SystemColors.h"
#include "platform/ole/Clipboard.h"

namespace qv {

namespace {

constexpr TColor kMask = 0xFF00FF;  // magenta: transparent

struct Look {
  TColor frame, face, mark, hotFace, pressedFace, disabledMark;
  bool tick, flat;
};

Look LookOf(TCheckImageKind kind) {
  TColor window = ColorToRGB(clWindow), face = ColorToRGB(clBtnFace), shadow = ColorToRGB(clBtnShadow),
         text = ColorToRGB(clBtnText);
  switch (kind) {
    case ckDarkCheck:
      return {text, face, text, 0xE0E0E0, shadow, shadow, false, false};
    case ckLightTick:
      return {shadow, window, text, 0xF0F0F0, face, shadow, true, false};
    case ckDarkTick:
      return {text, face, text, 0xE0E0E0, shadow, shadow, true, false};
    case ckFlat:
    case ckSystemFlat:
      return {shadow, window, text, 0xF0F0F0, face, shadow, false, true};
    case ckXP:
      return {0x7F3D1C, 0xF5F4F4, 0x21A121, 0xE4F0FF, 0xB0D0F0, 0xA0A0A0, true, true};
    default:
      return {shadow, window, text, 0xF0F0F0, face, shadow, false, false};
  }
}

void Fill(TCanvas* c, RECT r, TColor color) {
  c->Brush()->SetColor(color);
  c->FillRect(r);
}

void DrawMark(TCanvas* c, int x, int y, TColor color, bool tick) {
  c->Pen()->SetColor(color);
  if (tick) {
    // A tick: a short stroke down, a long stroke up.
    for (int i = 0; i < 2; ++i) {
      c->MoveTo(x + 3, y + 7 + i);
      c->LineTo(x + 5, y + 9 + i);
      c->LineTo(x + 10, y + 4 + i);
    }
  } else {
    for (int i = 0; i < 3; ++i) {
      c->MoveTo(x + 3, y + 5 + i);
      c->LineTo(x + 5, y + 7 + i);
      c->LineTo(x + 10, y + 2 + i);
    }
  }
}

void DrawCheck(TCanvas* c, int x, int state, int mode, const Look& l) {
  // mode 0 unchecked, 1 checked, 2 mixed; state 0 normal, 1 hot, 2 pressed, 3 disabled.
  RECT box{x + 1, 1, x + 14, 14};
  Fill(c, box, l.frame);
  if (!l.flat) Fill(c, RECT{x + 1, 1, x + 14, 2}, ColorToRGB(clBtnShadow));
  TColor face = state == 1   ? l.hotFace
                : state == 2 ? l.pressedFace
                : state == 3 ? ColorToRGB(clBtnFace)
                             : l.face;
  Fill(c, RECT{x + 2, 2, x + 13, 13}, face);
  TColor mark = state == 3 ? l.disabledMark : l.mark;
  if (mode == 1) DrawMark(c, x + 1, 1, mark, l.tick);
  if (mode == 2) Fill(c, RECT{x + 4, 4, x + 11, 11}, state == 3 ? l.disabledMark : ColorToRGB(clBtnShadow));
}

void DrawRadio(TCanvas* c, int x, int state, bool checked, const Look& l) {
  TColor face = state == 1   ? l.hotFace
                : state == 2 ? l.pressedFace
                : state == 3 ? ColorToRGB(clBtnFace)
                             : l.face;
  c->Pen()->SetColor(l.frame);
  c->Brush()->SetColor(face);
  c->Ellipse(x + 2, 2, x + 14, 14);
  if (checked) {
    TColor mark = state == 3 ? l.disabledMark : l.mark;
    c->Pen()->SetColor(mark);
    c->Brush()->SetColor(mark);
    c->Ellipse(x + 6, 6, x + 10, 10);
  }
}

void DrawPushButton(TCanvas* c, int x, int state, const Look& l) {
  Fill(c, RECT{x + 1, 1, x + 15, 15}, state == 2 ? ColorToRGB(clBtnShadow) : ColorToRGB(clBtnText));
  Fill(c, RECT{x + 1, 1, x + 14, 14}, ColorToRGB(clBtnHighlight));
  Fill(c, RECT{x + 2, 2, x + 14, 14}, state == 2 ? l.pressedFace : ColorToRGB(clBtnFace));
}

void DrawList(TCustomImageList* list, TCheckImageKind kind) {
  Look l = LookOf(kind);
  TBitmap strip(25 * 16, 16, pf24bit);
  TCanvas* c = strip.Canvas();
  Fill(c, RECT{0, 0, 25 * 16, 16}, kMask);
  for (int i = 0; i < 8; ++i) DrawRadio(c, (1 + i) * 16, i % 4, i >= 4, l);
  for (int i = 0; i < 12; ++i) DrawCheck(c, (9 + i) * 16, i % 4, i / 4, l);
  for (int i = 0; i < 4; ++i) DrawPushButton(c, (21 + i) * 16, i, l);
  list->Clear();
  list->AddMasked(&strip, kMask);
}

// The utility glyphs, each in its 16 x 16 square at X of the strip.
void DrawDropMark(TCanvas* c, int x, bool left) {
  // A bar along the edge the column goes to, with an arrow head pointing
  // away from it into the button.
  TColor mark = ColorToRGB(clBtnText);
  int edge = left ? x : x + 14;
  Fill(c, RECT{edge, 0, edge + 2, 16}, mark);
  for (int i = 0; i < 4; ++i) {
    int col = left ? x + 2 + i : x + 13 - i;
    Fill(c, RECT{col, 4 + i, col + 1, 12 - i}, mark);
  }
}

void DrawSortGlyph(TCanvas* c, int x, bool ascending, bool themed) {
  // A small triangle, apex up for ascending; the themed look is an open
  // chevron in a softer colour.
  TColor colour = themed ? TColor(0x9D8C7A) : ColorToRGB(clBtnShadow);  // slate (BGR)
  for (int i = 0; i < 4; ++i) {
    int y = ascending ? 6 + i : 9 - i;  // row i is 2i + 1 wide
    if (themed && i < 3)
      Fill(c, RECT{x + 7 - i, y, x + 8 - i, y + 1}, colour),
          Fill(c, RECT{x + 7 + i, y, x + 8 + i, y + 1}, colour);
    else if (!themed)
      Fill(c, RECT{x + 7 - i, y, x + 8 + i, y + 1}, colour);
  }
}

void DrawHotStrip(TCanvas* c, int x, int part) {
  // Three rows of warm colours along the bottom; the ends are rounded off
  // by leaving their outer corner pixels transparent.
  const TColor rows[3] = {TColor(0x3CC7FF), TColor(0x00A9F8), TColor(0x2C8BE6)};  // BGR
  for (int r = 0; r < 3; ++r) {
    int from = x, to = x + 16;
    bool corner = r != 1;
    if (part == 0) from += corner ? 2 : 1;
    if (part == 2) to -= corner ? 2 : 1;
    Fill(c, RECT{from, 13 + r, to, 14 + r}, rows[r]);
  }
}

void DrawUtilities(TCustomImageList* list) {
  TBitmap strip(9 * 16, 16, pf24bit);
  TCanvas* c = strip.Canvas();
  Fill(c, RECT{0, 0, 9 * 16, 16}, kMask);
  DrawDropMark(c, uiDropMarkLeft * 16, true);
  DrawDropMark(c, uiDropMarkRight * 16, false);
  DrawSortGlyph(c, uiSortDescending * 16, false, false);
  DrawSortGlyph(c, uiSortAscending * 16, true, false);
  DrawSortGlyph(c, uiThemedSortDescending * 16, false, true);
  DrawSortGlyph(c, uiThemedSortAscending * 16, true, true);
  DrawHotStrip(c, uiHotStripLeft * 16, 0);
  DrawHotStrip(c, uiHotStripMiddle * 16, 1);
  DrawHotStrip(c, uiHotStripRight * 16, 2);
  list->Clear();
  list->AddMasked(&strip, kMask);
}

TCustomImageList* MakeList(TCheckImageKind kind) {
  auto* list = new TCustomImageList(nullptr, 16, 16);
  DrawList(list, kind);
  return list;
}

struct Globals {
  TCustomImageList* lists[9] = {};
  TCustomImageList* utility = nullptr;
  UINT referenceFormat = 0;
};

Globals& G() {
  static Globals g;  // lives to the end of the process, like the unit's globals
  return g;
}

std::once_flag initOnce;

}  // namespace

void InitializeDataTreeGlobals() {
  std::call_once(initOnce, [] {
    Globals& g = G();
    for (int k = 0; k < 9; ++k)
      if (k != ckCustom) g.lists[k] = MakeList(TCheckImageKind(k));
    g.utility = new TCustomImageList(nullptr, 16, 16);
    DrawUtilities(g.utility);
    g.referenceFormat = RegisterClipboardFormatW(u"Data Tree Reference");
  });
}

TCustomImageList* CheckImageList(TCheckImageKind Kind) {
  InitializeDataTreeGlobals();
  return Kind == ckCustom ? nullptr : G().lists[Kind];
}

TCustomImageList* UtilityList() {
  InitializeDataTreeGlobals();
  return G().utility;
}

void ReloadCheckImageLists() {
  InitializeDataTreeGlobals();
  // The lists drawn in system colours; the XP look keeps its own colours.
  static std::mutex lock;
  std::lock_guard<std::mutex> hold(lock);
  for (TCheckImageKind k :
       {ckLightCheck, ckDarkCheck, ckLightTick, ckDarkTick, ckFlat, ckSystem, ckSystemFlat})
    if (G().lists[k]) DrawList(G().lists[k], k);
  DrawUtilities(G().utility);
}

void DrawShadedButton(TCanvas* Canvas, bool Plus) {
  // A frame with cut corners, a face that darkens from white downwards, and
  // a dark blue bar (and cross bar).
  TCanvas* c = Canvas;
  constexpr TColor frame = 0xA88F78, mark = 0x603020;  // slate blue, navy (BGR)
  c->Pen()->SetColor(frame);
  c->MoveTo(1, 0), c->LineTo(8, 0);
  c->MoveTo(1, 8), c->LineTo(8, 8);
  c->MoveTo(0, 1), c->LineTo(0, 8);
  c->MoveTo(8, 1), c->LineTo(8, 8);
  for (int y = 1; y < 8; ++y) {
    int shade = 255 - (y - 1) * 9;  // 255 down to 201
    Fill(c, RECT{1, y, 8, y + 1}, TColor(shade | (shade + 2 > 255 ? 255 : shade + 2) << 8 | 255 << 16));
  }
  Fill(c, RECT{2, 4, 7, 5}, mark);
  if (Plus) Fill(c, RECT{4, 2, 5, 7}, mark);
}

UINT TreeReferenceFormat() {
  return G().referenceFormat;
}

}  // namespace qv
