// DrawFrameControl: the classic push buttons, check boxes, radio buttons,
// scroll arrows, caption buttons and menu glyphs, drawn from rectangles in the
// system colours (no bitmaps).
#include <algorithm>
#include <functional>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Raster.h"
#include "platform/gdi/Shapes.h"
#include "platform/gdi/SystemMetrics.h"

namespace qv {
using namespace gdi;

namespace {

COLORREF Sys(int i) {
  return SysColorForGdi(i);
}

void Dot(HDC hdc, int x, int y, COLORREF c) {
  FillDCRect(hdc, {x, y, x + 1, y + 1}, c);
}

// The square a check box or radio button occupies: centred, as large as the rectangle allows.
RECT GlyphSquare(const RECT& r) {
  int side = std::min(r.right - r.left, r.bottom - r.top);
  int x = r.left + (r.right - r.left - side) / 2, y = r.top + (r.bottom - r.top - side) / 2;
  return {x, y, x + side, y + side};
}

// The classic 7x7 check mark, centred in r; rows are 7-bit masks, bit 6 =
// leftmost. On a screen of twice the density or more its dots are squares
// of as many pixels, while the box has room for them.
void CheckMark(HDC hdc, const RECT& r, COLORREF c) {
  static const uint8_t rows[7] = {0x01, 0x03, 0x47, 0x6E, 0x7C, 0x38, 0x10};
  const int room = std::min(r.right - r.left, r.bottom - r.top) / 7;
  const int dot = std::max(1, std::min(ScreenDpi() / 96, room)), side = 7 * dot;
  int x0 = r.left + (r.right - r.left - side) / 2, y0 = r.top + (r.bottom - r.top - side) / 2;
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 7; ++x)
      if (rows[y] >> (6 - x) & 1)
        FillDCRect(hdc, {x0 + x * dot, y0 + y * dot, x0 + (x + 1) * dot, y0 + (y + 1) * dot}, c);
}

void CheckBox(HDC hdc, const RECT& rc, UINT state) {
  RECT box = GlyphSquare(rc);
  UINT flags =
      BF_RECT | BF_ADJUST | ((state & DFCS_FLAT) ? BF_FLAT : 0) | ((state & DFCS_MONO) ? BF_MONO : 0);
  DrawEdge(hdc, &box, EDGE_SUNKEN, flags);
  bool dim = state & (DFCS_PUSHED | DFCS_INACTIVE);
  FillDCRect(hdc, box, Sys(dim ? COLOR_BTNFACE : COLOR_WINDOW));
  if (state & DFCS_CHECKED)
    CheckMark(hdc, box, Sys((state & DFCS_INACTIVE) ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT));
}

// Radio button: two rings split along the anti-diagonal (shadow above, light below), a
// window-coloured interior and a dot when checked.
void RadioButton(HDC hdc, const RECT& rc, UINT state) {
  RECT box = GlyphSquare(rc);
  int side = box.right - box.left;
  if (side <= 0) return;
  auto ellipse = [&](int inset) {
    return RegionFromSpans(RoundRectSpans(box.left + inset, box.top + inset, box.right - inset,
                                          box.bottom - inset, side - 2 * inset, side - 2 * inset));
  };
  bool flat = state & (DFCS_FLAT | DFCS_MONO);
  // Flat and mono buttons: one shadow-coloured ring and a window-coloured one.
  COLORREF ring[2][2] = {
      {Sys(COLOR_BTNSHADOW), Sys(flat ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT)},
      {Sys(flat ? COLOR_WINDOW : COLOR_3DDKSHADOW), Sys(flat ? COLOR_WINDOW : COLOR_3DLIGHT)}};
  int diag = box.left + box.top + side - 1;
  for (int k = 0; k < 2; ++k) {
    PixRegion band = ellipse(k);
    band.Subtract(ellipse(k + 1));
    int n = 0;
    const pixman_box32_t* b = band.Rects(n);
    for (int i = 0; i < n; ++i)
      for (int y = b[i].y1; y < b[i].y2; ++y)
        for (int x = b[i].x1; x < b[i].x2; ++x) Dot(hdc, x, y, ring[k][x + y < diag ? 0 : 1]);
  }
  bool dim = state & (DFCS_PUSHED | DFCS_INACTIVE);
  PixRegion inside = ellipse(2);
  int n = 0;
  const pixman_box32_t* b = inside.Rects(n);
  for (int i = 0; i < n; ++i)
    FillDCRect(hdc, {b[i].x1, b[i].y1, b[i].x2, b[i].y2}, Sys(dim ? COLOR_BTNFACE : COLOR_WINDOW));
  if (state & DFCS_CHECKED) {
    int d = std::max(2, side / 3), x = box.left + (side - d) / 2, y = box.top + (side - d) / 2;
    PixRegion dot = RegionFromSpans(RoundRectSpans(x, y, x + d, y + d, d, d));
    b = dot.Rects(n);
    COLORREF c = Sys((state & DFCS_INACTIVE) ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT);
    for (int i = 0; i < n; ++i) FillDCRect(hdc, {b[i].x1, b[i].y1, b[i].x2, b[i].y2}, c);
  }
}

// Push-button face; returns the content rectangle, shifted by one pixel when pushed.
RECT ButtonFace(HDC hdc, const RECT& rc, UINT state) {
  RECT r = rc;
  UINT flags = BF_RECT | BF_SOFT | BF_MIDDLE | BF_ADJUST;
  if (state & DFCS_FLAT) flags |= BF_FLAT;
  if (state & DFCS_MONO) flags |= BF_MONO;
  DrawEdge(hdc, &r, (state & (DFCS_PUSHED | DFCS_CHECKED)) ? EDGE_SUNKEN : EDGE_RAISED, flags);
  if (state & (DFCS_PUSHED | DFCS_CHECKED)) OffsetRect(&r, 1, 1);
  return r;
}

// A filled arrow pointing in direction dir (0 up, 1 down, 2 left, 3 right), centred in r.
void Arrow(HDC hdc, const RECT& r, int dir, COLORREF c) {
  int size = std::min(r.right - r.left, r.bottom - r.top);
  int n = std::max(1, (size + 1) / 4);  // rows of the triangle: widths 1, 3, 5 ...
  int cx = r.left + (r.right - r.left) / 2, cy = r.top + (r.bottom - r.top) / 2;
  for (int i = 0; i < n; ++i) {
    int along = i - n / 2, half = (dir == 0 || dir == 2) ? i : n - 1 - i;
    if (dir < 2)
      FillDCRect(hdc, {cx - half, cy + along, cx + half + 1, cy + along + 1}, c);
    else
      FillDCRect(hdc, {cx + along, cy - half, cx + along + 1, cy + half + 1}, c);
  }
}

void Glyph(HDC hdc, const RECT& r, UINT state, const std::function<void(COLORREF)>& draw) {
  (void)r;
  if (state & DFCS_INACTIVE) {
    // Embossed: a highlight copy one pixel down-right under a shadow copy.
    SaveDC(hdc);
    OffsetViewportOrgEx(hdc, 1, 1, nullptr);
    draw(Sys(COLOR_BTNHIGHLIGHT));
    RestoreDC(hdc, -1);
    draw(Sys(COLOR_BTNSHADOW));
  } else {
    draw(Sys(COLOR_BTNTEXT));
  }
}

// The caption glyphs of the classic look, one character per pixel, drawn
// at whole multiples of their size so that larger buttons get larger ones.
struct GlyphArt {
  int width, height;
  const char* rows;  // '#' = ink
};
constexpr GlyphArt kCloseArt{8, 7,
                             "##....##"
                             ".##..##."
                             "..####.."
                             "...##..."
                             "..####.."
                             ".##..##."
                             "##....##"};
constexpr GlyphArt kMinArt{6, 2,
                           "######"
                           "######"};
constexpr GlyphArt kMaxArt{9, 9,
                           "#########"
                           "#########"
                           "#.......#"
                           "#.......#"
                           "#.......#"
                           "#.......#"
                           "#.......#"
                           "#.......#"
                           "#########"};
constexpr GlyphArt kRestoreArt{8, 8,
                               "..######"
                               "..######"
                               "..#....#"
                               "######.#"
                               "######.#"
                               "#....###"
                               "#....#.."
                               "######.."};

void DrawArt(HDC hdc, const GlyphArt& art, int x, int y, int scale, COLORREF c) {
  for (int row = 0; row < art.height; ++row)
    for (int col = 0; col < art.width; ++col)
      if (art.rows[row * art.width + col] == '#')
        FillDCRect(hdc, {x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale}, c);
}

// The glyph sits in the middle of the button face; the minimise bar sits
// low, where the minimised window would go.
void CaptionGlyph(HDC hdc, const RECT& r, UINT kind, COLORREF c) {
  const GlyphArt* art = kind == DFCS_CAPTIONCLOSE     ? &kCloseArt
                        : kind == DFCS_CAPTIONMIN     ? &kMinArt
                        : kind == DFCS_CAPTIONMAX     ? &kMaxArt
                        : kind == DFCS_CAPTIONRESTORE ? &kRestoreArt
                                                      : nullptr;
  if (!art) return;
  int w = r.right - r.left, h = r.bottom - r.top;
  // The classic 16 x 14 button has a 12 x 10 face inside its edges.
  int scale = std::max(1, std::min(w / 12, h / 10));
  int gw = kMaxArt.width * scale, gh = kMaxArt.height * scale;  // the box all glyphs share
  int x = r.left + (w - art->width * scale) / 2, y = r.top + (h - gh) / 2;
  (void)gw;
  if (art == &kMinArt)
    y += gh - art->height * scale - scale;
  else if (art != &kMaxArt)
    y += (gh - art->height * scale) / 2;
  DrawArt(hdc, *art, x, y, scale, c);
}

BOOL MenuGlyph(HDC hdc, const RECT& r, UINT state) {
  // Menu glyphs are masks: black on white, for the caller to blit in its own colours.
  FillDCRect(hdc, r, RGB(255, 255, 255));
  COLORREF black = RGB(0, 0, 0);
  switch (state & 0xFF) {
    case DFCS_MENUCHECK:
      CheckMark(hdc, r, black);
      break;
    case DFCS_MENUBULLET: {
      int d = std::max(2, std::min(r.right - r.left, r.bottom - r.top) / 3);
      int x = r.left + (r.right - r.left - d) / 2, y = r.top + (r.bottom - r.top - d) / 2;
      PixRegion dot = RegionFromSpans(RoundRectSpans(x, y, x + d, y + d, d, d));
      int n = 0;
      const pixman_box32_t* b = dot.Rects(n);
      for (int i = 0; i < n; ++i) FillDCRect(hdc, {b[i].x1, b[i].y1, b[i].x2, b[i].y2}, black);
      break;
    }
    case DFCS_MENUARROW:
      Arrow(hdc, r, 3, black);
      break;
    case DFCS_MENUARROWRIGHT:
      Arrow(hdc, r, 2, black);
      break;
    default:
      return FALSE;
  }
  return TRUE;
}

}  // namespace

BOOL DrawFrameControl(HDC hdc, RECT* rc, UINT type, UINT state) {
  if (!rc || !DcOf(hdc)) return FALSE;
  const RECT r = *rc;
  switch (type) {
    case DFC_BUTTON:
      if (state & DFCS_BUTTONPUSH)
        ButtonFace(hdc, r, state);
      else if (state & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK))
        RadioButton(hdc, r, state);
      else
        CheckBox(hdc, r, state);
      return TRUE;
    case DFC_SCROLL: {
      RECT in = ButtonFace(hdc, r, state);
      UINT kind = state & 0xFF;
      if (kind == DFCS_SCROLLSIZEGRIP) return TRUE;
      int dir = kind == DFCS_SCROLLUP ? 0 : kind == DFCS_SCROLLLEFT ? 2 : kind == DFCS_SCROLLRIGHT ? 3 : 1;
      Glyph(hdc, in, state, [&](COLORREF c) { Arrow(hdc, in, dir, c); });
      return TRUE;
    }
    case DFC_CAPTION: {
      RECT in = ButtonFace(hdc, r, state);
      Glyph(hdc, in, state, [&](COLORREF c) { CaptionGlyph(hdc, in, state & 0xFF, c); });
      return TRUE;
    }
    case DFC_MENU:
    case DFC_POPUPMENU:
      return MenuGlyph(hdc, r, state);
    default:
      return FALSE;
  }
}

}  // namespace qv
