// Update regions: invalidation and validation (RedrawWindow and friends),
// which window gets the next WM_PAINT, and repainting after geometry changes.
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Region.h"
#include "platform/window/Paint.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {
namespace {

RECT ClientInWindow(const Window& w) {
  return w.client;
}
RECT WholeWindow(const Window& w) {
  return RECT{0, 0, w.rect.Width(), w.rect.Height()};
}

bool IncludeChildren(const Window& w, UINT flags) {
  if (flags & RDW_NOCHILDREN) return false;
  return (flags & RDW_ALLCHILDREN) || !(w.style & WS_CLIPCHILDREN);
}

// Applies RedrawWindow's invalidate/validate flags; `area` is in w's window coordinates.
void Mark(const WindowPtr& w, PixRegion area, UINT flags) {
  std::vector<WindowPtr> kids;
  {
    Lock l(S().lock);
    PixRegion client(ClientInWindow(*w));
    PixRegion inClient = area;
    inClient.Intersect(client);
    if (flags & RDW_INVALIDATE) {
      w->update.Union(inClient);
      if ((flags & RDW_ERASE) && !inClient.Empty()) w->needErase = true;
      if (flags & RDW_FRAME) {
        PixRegion frame = area;
        frame.Intersect(WholeWindow(*w));
        frame.Subtract(client);
        if (!frame.Empty()) w->needNcPaint = true, w->ncUpdate.Union(frame);
      }
    } else if (flags & RDW_VALIDATE) {
      w->update.Subtract(area);
      if (flags & RDW_NOFRAME) w->needNcPaint = false, w->ncUpdate.Clear();
      if (w->update.Empty()) w->needErase = false;
    }
    if (flags & RDW_INTERNALPAINT) w->internalPaint = true;
    if (flags & RDW_NOERASE) w->needErase = false;
    if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
    if (!IncludeChildren(*w, flags)) return;
    for (HWND h : w->children)
      if (auto c = Get(h); c && (c->style & WS_VISIBLE)) kids.push_back(c);
  }
  for (auto& c : kids) {
    PixRegion sub = area;
    // Child window coordinates: parent window coords minus client offset minus child position.
    sub.Offset(-(w->client.left + c->rect.left), -(w->client.top + c->rect.top));
    sub.Intersect(WholeWindow(*c));
    if (!sub.Empty()) Mark(c, sub, flags | ((flags & RDW_INVALIDATE) ? RDW_FRAME : 0));
  }
}

bool NeedsPaint(const Window& w) {
  // A frame alone waiting to be drawn is painted too (BeginPaint draws it).
  return !w.update.Empty() || w.internalPaint || w.needNcPaint;
}

bool FindIn(const std::vector<HWND>& list, ThreadQueue& q, HWND filter, HWND& out) {
  for (HWND h : list) {
    auto w = Get(h);
    if (!w || !(w->style & WS_VISIBLE) || w->redrawOff) continue;
    if (w->queue.get() == &q && NeedsPaint(*w) && (!filter || filter == h)) {
      out = h;
      return true;
    }
    if (FindIn(w->children, q, filter, out)) return true;
  }
  return false;
}

}  // namespace

bool FindPaintWindow(ThreadQueue& q, HWND filter, HWND& out) {
  Lock l(S().lock);
  return FindIn(S().topLevels, q, filter, out);
}

void EnsureBacking(const WindowPtr& top) {
  Lock l(S().lock);
  int cx = std::max(1, top->rect.Width()), cy = std::max(1, top->rect.Height());
  if (!top->backing || top->backing->Width != cx || top->backing->Height != cy)
    top->backing = std::make_unique<Surface>(cx, cy, 0xFFFFFFFFu);
}

void InvalidateForChange(const WindowPtr& w, const RECT& oldScreen) {
  if (w->dead) return;
  if (w->style & WS_CHILD) {
    if (auto p = Get(w->parent)) {
      POINT pw = WindowOriginOnScreen(*p);
      PixRegion area(oldScreen);
      area.Union(WindowRectOnScreen(*w));
      area.Offset(-pw.x, -pw.y);
      Mark(p, area, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    }
  }
  if (w->style & WS_VISIBLE) {
    Mark(w, PixRegion(WholeWindow(*w)), RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    if (!(w->style & WS_CHILD)) EnsureBacking(w);
  }
}

void OnWindowDestroyed(const WindowPtr& w) {
  Lock l(S().lock);
  w->update.Clear();
  w->internalPaint = w->needErase = w->needNcPaint = false;
  w->ncUpdate.Clear();
  w->backing.reset();
}

}  // namespace wm

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN rgn, UINT flags) {
  using namespace wm;
  auto w = Get(hwnd);
  if (!w) return FALSE;
  PixRegion area;
  if (rgn) {
    if (!GetPixRegion(rgn, area)) return FALSE;
    area.Offset(w->client.left, w->client.top);
  } else if (rect) {
    RECT r = *rect;
    OffsetRect(&r, w->client.left, w->client.top);
    area = PixRegion(r);
  } else {
    area = PixRegion((flags & RDW_FRAME) ? RECT{0, 0, w->rect.Width(), w->rect.Height()} : w->client);
  }
  if (flags & (RDW_INVALIDATE | RDW_VALIDATE | RDW_NOERASE | RDW_NOINTERNALPAINT | RDW_INTERNALPAINT))
    Mark(w, area, flags);
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) RedrawInternal(w, &area, flags);
  return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) return FALSE;
  return RedrawWindow(hwnd, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}
BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  return RedrawWindow(hwnd, nullptr, rgn, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}
BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  return RedrawWindow(hwnd, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}
BOOL ValidateRgn(HWND hwnd, HRGN rgn) {
  return RedrawWindow(hwnd, nullptr, rgn, RDW_VALIDATE | RDW_NOCHILDREN);
}
BOOL UpdateWindow(HWND hwnd) {
  return RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase) {
  using namespace wm;
  auto w = Get(hwnd);
  if (!w) return FALSE;
  if (erase) RedrawInternal(w, nullptr, RDW_ERASENOW | RDW_NOCHILDREN);
  RECT b = w->update.Bounds();
  if (!w->update.Empty()) OffsetRect(&b, -w->client.left, -w->client.top);
  if (rect) *rect = b;
  return !w->update.Empty();
}

int GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  using namespace wm;
  auto w = Get(hwnd);
  if (!w) return ERROR;
  if (erase) RedrawInternal(w, nullptr, RDW_ERASENOW | RDW_NOCHILDREN);
  PixRegion r = w->update;
  r.Offset(-w->client.left, -w->client.top);
  if (!SetRgnFromPixRegion(rgn, r)) return ERROR;
  if (r.Empty()) return NULLREGION;
  return r.Rects().size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

BOOL LockWindowUpdate(HWND hwnd) {
  static HWND locked = nullptr;
  if (hwnd && locked && IsWindow(locked)) return FALSE;
  if (auto w = wm::Get(locked); w && !hwnd) {
    w->redrawOff = false;
    RedrawWindow(locked, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
  }
  locked = hwnd;
  if (auto w = wm::Get(hwnd)) w->redrawOff = true;
  return TRUE;
}

}  // namespace qv
