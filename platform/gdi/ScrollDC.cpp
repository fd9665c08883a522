// ScrollDC: moves the visible pixels of a rectangle and reports what was
// uncovered, so the window layer can repaint it.
#include "platform/gdi/Blit.h"
#include "platform/gdi/Transfer.h"

namespace qv {
using namespace gdi;

BOOL ScrollDC(HDC hdc, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update, RECT* updateRect) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  PixelRows rows = dc->Rows();
  POINT o = dc->Offset();
  RECT all{-o.x, -o.y, rows.width - o.x, rows.height - o.y};
  RECT s = scroll ? *scroll : all;
  RECT limit = clip ? *clip : s;
  OffsetRect(&s, o.x, o.y);
  OffsetRect(&limit, o.x, o.y);
  // Pixels that can be moved: visible, inside the scroll and clip rectangles.
  PixRegion movable = dc->Clip();
  movable.Intersect(s);
  movable.Intersect(limit);
  PixRegion target = movable;
  target.Offset(dx, dy);
  target.Intersect(limit);
  target.Intersect(dc->Clip());
  if (rows.Valid() && !target.Empty()) {
    Transfer t;
    t.dst = t.src = rows;
    RECT bounds = target.Bounds();
    t.dstRect = bounds;
    t.srcRect = bounds;
    OffsetRect(&t.srcRect, -dx, -dy);
    ForEachSourceSpan(t, target, [&](int y, int x0, int n, const uint32_t* src) {
      rows.Span(y, x0, x0 + n, [&](uint32_t* d, int) { RopSpan(0xCC, d, src, nullptr, n); });
    });
  }
  PixRegion uncovered = movable;
  uncovered.Subtract(target);
  uncovered.Offset(-o.x, -o.y);
  if (Region* r = As<Region>(update)) r->rgn = uncovered;
  if (updateRect) *updateRect = uncovered.Bounds();
  return TRUE;
}

}  // namespace qv
