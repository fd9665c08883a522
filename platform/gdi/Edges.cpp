// The classic 3-D borders (DrawEdge) and the focus rectangle, drawn in the
// system colours the GDI is given.
#include <algorithm>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Raster.h"
#include "platform/gdi/Shapes.h"

namespace qv {
using namespace gdi;

namespace {

struct RingColors {
  COLORREF topLeft, bottomRight;
};

// The colours of one border ring (outer or inner), by the edge bits and flags.
RingColors RingFor(UINT edge, UINT flags, bool outer) {
  auto c = [](int i) { return SysColorForGdi(i); };
  if (flags & BF_MONO)
    return outer ? RingColors{c(COLOR_WINDOWFRAME), c(COLOR_WINDOWFRAME)}
                 : RingColors{c(COLOR_WINDOW), c(COLOR_WINDOW)};
  if (flags & BF_FLAT)
    return outer ? RingColors{c(COLOR_BTNSHADOW), c(COLOR_BTNSHADOW)}
                 : RingColors{c(COLOR_BTNFACE), c(COLOR_BTNFACE)};
  bool soft = flags & BF_SOFT;
  if (outer) {
    if (edge & BDR_RAISEDOUTER) return {c(soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT), c(COLOR_3DDKSHADOW)};
    return {c(soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW), c(COLOR_BTNHIGHLIGHT)};
  }
  if (edge & BDR_RAISEDINNER) return {c(soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT), c(COLOR_BTNSHADOW)};
  return {c(soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW), c(COLOR_3DLIGHT)};
}

// Top and left lines first, then bottom and right over the corners, as the classic look has it.
void DrawRing(HDC hdc, RECT& r, RingColors colors, UINT flags) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  if (flags & BF_TOP) FillDCRect(hdc, {r.left, r.top, r.right, r.top + 1}, colors.topLeft);
  if (flags & BF_LEFT) FillDCRect(hdc, {r.left, r.top, r.left + 1, r.bottom}, colors.topLeft);
  if (flags & BF_BOTTOM) FillDCRect(hdc, {r.left, r.bottom - 1, r.right, r.bottom}, colors.bottomRight);
  if (flags & BF_RIGHT) FillDCRect(hdc, {r.right - 1, r.top, r.right, r.bottom}, colors.bottomRight);
  if (flags & BF_TOP) ++r.top;
  if (flags & BF_LEFT) ++r.left;
  if (flags & BF_BOTTOM) --r.bottom;
  if (flags & BF_RIGHT) --r.right;
}

// A diagonal border: a line across the rectangle between the corners the flags name.
BOOL DrawDiagonal(HDC hdc, RECT* rc, UINT edge, UINT flags) {
  RingColors outer = RingFor(edge, flags, true);
  bool up =
      (flags & (BF_DIAGONAL_ENDTOPRIGHT & ~BF_DIAGONAL)) == (BF_DIAGONAL_ENDTOPRIGHT & ~BF_DIAGONAL) ||
      (flags & (BF_DIAGONAL_ENDBOTTOMLEFT & ~BF_DIAGONAL)) == (BF_DIAGONAL_ENDBOTTOMLEFT & ~BF_DIAGONAL);
  int n = std::min(rc->right - rc->left, rc->bottom - rc->top);
  COLORREF col = (flags & (BF_BOTTOM | BF_RIGHT)) ? outer.bottomRight : outer.topLeft;
  for (int i = 0; i < n; ++i) {
    int x = rc->left + i, y = up ? rc->bottom - 1 - i : rc->top + i;
    FillDCRect(hdc, {x, y, x + 1, y + 1}, col);
  }
  return TRUE;
}

}  // namespace

BOOL DrawEdge(HDC hdc, RECT* rc, UINT edge, UINT flags) {
  if (!rc || !DcOf(hdc)) return FALSE;
  if (flags & BF_DIAGONAL) return DrawDiagonal(hdc, rc, edge, flags);
  RECT r = *rc;
  if (edge & BDR_OUTER) DrawRing(hdc, r, RingFor(edge, flags, true), flags);
  if (edge & BDR_INNER) DrawRing(hdc, r, RingFor(edge, flags, false), flags);
  if ((flags & BF_MIDDLE) && r.right > r.left && r.bottom > r.top)
    FillDCRect(hdc, r, SysColorForGdi((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
  if (flags & BF_ADJUST) *rc = r;
  return TRUE;
}

// An XOR of every other pixel of the rectangle's one-pixel frame; drawing it twice restores the pixels.
BOOL DrawFocusRect(HDC hdc, const RECT* rc) {
  Dc* dc = DcOf(hdc);
  if (!dc || !rc) return FALSE;
  PixelRows rows = dc->Rows();
  if (!rows.Valid() || rc->right <= rc->left || rc->bottom <= rc->top) return TRUE;
  Fill dots;
  dots.kind = Fill::Pattern;
  for (int i = 0; i < 64; ++i)
    dots.pattern[std::size_t(i)] = ((i / 8 + i % 8) % 2) ? 0xFF000000u : 0xFFFFFFFFu;
  // The dots keep the phase of the DC's brush origin, as pattern brushes do:
  // a frame painted in pieces (rows painted part by part) keeps its dots.
  dots.orgX = dc->s.brushOrg.x + dc->deviceOrigin.x;
  dots.orgY = dc->s.brushOrg.y + dc->deviceOrigin.y;
  POINT o = dc->Offset();
  RECT r = *rc;
  OffsetRect(&r, o.x, o.y);
  PixRegion frame(r);
  RECT in = r;
  InflateRect(&in, -1, -1);
  frame.Subtract(PixRegion(in));
  frame.Intersect(dc->Clip());
  FillArea(rows, frame, dots, 0x5A);
  return TRUE;
}

}  // namespace qv
