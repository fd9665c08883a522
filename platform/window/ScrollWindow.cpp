// Scrolling a window's client area: the visible pixels move inside the
// backing surface, the uncovered part (and any update region moved with the
// contents) is invalidated, and child windows move along when asked.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Region.h"
#include "platform/window/Paint.h"
#include "platform/window/WindowImpl.h"

namespace qv {

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scrollRect, const RECT* clipRect, HRGN updateRgn,
                   RECT* updateRect, UINT flags) {
  using namespace wm;
  auto w = Get(hwnd);
  if (!w) return ERROR;
  RECT client{0, 0, w->client.Width(), w->client.Height()};
  RECT area = scrollRect ? *scrollRect : client, clip = clipRect ? *clipRect : client;
  IntersectRect(&area, &area, &client);
  IntersectRect(&clip, &clip, &client);
  RECT limit;
  IntersectRect(&limit, &area, &clip);
  // Client coordinates from here; the visible source and the destination.
  PixRegion vis = VisibleRegion(w, true, (w->style & WS_CLIPCHILDREN) != 0, true);
  vis.Offset(-w->client.left, -w->client.top);
  PixRegion src(area);
  src.Intersect(vis);
  PixRegion moved = src;
  moved.Offset(dx, dy);
  moved.Intersect(limit);
  moved.Intersect(vis);
  auto top = TopLevelOf(w);
  EnsureBacking(top);
  if (!moved.Empty()) {
    Surface& s = *top->backing;
    POINT to = WindowOriginOnScreen(*top), co = ClientOriginOnScreen(*w);
    int ox = co.x - to.x, oy = co.y - to.y;
    Surface copy = s;  // overlapping moves read from a snapshot
    for (const RECT& r : moved.Rects())
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
          int sx = x - dx + ox, sy = y - dy + oy;
          if (copy.Contains(sx, sy) && s.Contains(x + ox, y + oy)) s.Set(x + ox, y + oy, copy.At(sx, sy));
        }
    RECT dirty = moved.Bounds();
    OffsetRect(&dirty, ox, oy);
    if (S().backend && (top->style & WS_VISIBLE)) S().backend->Present(top->handle, s, dirty);
  }
  // The pending update region moves with the contents.
  {
    Lock l(S().lock);
    PixRegion inArea = w->update;
    inArea.Offset(-w->client.left, -w->client.top);
    inArea.Intersect(area);
    if (!inArea.Empty()) {
      PixRegion shifted = inArea;
      shifted.Offset(dx, dy);
      shifted.Intersect(clip);
      inArea.Offset(w->client.left, w->client.top);
      shifted.Offset(w->client.left, w->client.top);
      w->update.Subtract(inArea);
      w->update.Union(shifted);
    }
  }
  PixRegion exposed(limit);
  exposed.Subtract(moved);
  if (flags & SW_SCROLLCHILDREN) {
    std::vector<HWND> kids;
    {
      Lock l(S().lock);
      kids = w->children;
    }
    for (HWND h : kids)
      if (auto c = Get(h)) {
        RECT cr = c->rect, hit;
        if (!scrollRect || IntersectRect(&hit, &cr, &area))
          SetWindowPos(h, nullptr, cr.left + dx, cr.top + dy, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
  }
  if (flags & SW_INVALIDATE) {
    HRGN r = CreateRgnFromPixRegion(exposed);
    RedrawWindow(hwnd, nullptr, r,
                 RDW_INVALIDATE | ((flags & SW_ERASE) ? RDW_ERASE : 0) |
                     ((flags & SW_SCROLLCHILDREN) ? RDW_ALLCHILDREN : 0));
    DeleteObject(r);
  }
  if (updateRgn) SetRgnFromPixRegion(updateRgn, exposed);
  if (updateRect) *updateRect = exposed.Bounds();
  return exposed.Empty() ? NULLREGION : (exposed.Rects().size() == 1 ? SIMPLEREGION : COMPLEXREGION);
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scrollRect, const RECT* clipRect) {
  UINT flags = SW_INVALIDATE | SW_ERASE | (scrollRect ? 0 : SW_SCROLLCHILDREN);
  return ScrollWindowEx(hwnd, dx, dy, scrollRect, clipRect, nullptr, nullptr, flags) != ERROR;
}

BOOL PrintWindow(HWND hwnd, HDC hdc, UINT flags) {
  if (!IsWindow(hwnd)) return FALSE;
  LPARAM prf = PRF_CHILDREN | PRF_CLIENT | PRF_ERASEBKGND | ((flags & 1) ? 0 : PRF_NONCLIENT);
  SendMessageW(hwnd, WM_PRINT, WPARAM(hdc), prf);
  return TRUE;
}

}  // namespace qv
