// Device contexts on windows: the visible region of a window inside its
// top-level backing surface (ancestors' clients, window regions, clipped
// siblings and children), GetDCEx/ReleaseDC, BeginPaint/EndPaint and the
// immediate paints of RedrawWindow.
#include <algorithm>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Region.h"
#include "platform/window/Paint.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {

namespace {

struct DCRecord {
  HDC hdc;
  HWND hwnd;
  HWND top;
  RECT dirty;  // backing coordinates
};
std::vector<DCRecord>& DCs() {
  static std::vector<DCRecord> list;
  return list;
}

// A window's region within its own window coordinates, shape applied.
PixRegion OwnArea(const Window& w) {
  PixRegion r(RECT{0, 0, w.rect.Width(), w.rect.Height()});
  if (w.shape) r.Intersect(*w.shape);
  return r;
}

// The area of `w`'s siblings above it (window coordinates of w).
void SubtractSiblingsAbove(const Window& w, PixRegion& r) {
  auto& list = SiblingList(w);
  for (HWND h : list) {
    if (h == w.handle) break;
    auto s = Get(h);
    if (!s || !(s->style & WS_VISIBLE)) continue;
    PixRegion a = OwnArea(*s);
    a.Offset(s->rect.left - w.rect.left, s->rect.top - w.rect.top);
    r.Subtract(a);
  }
}

}  // namespace

// Visible pixels of w in w's window coordinates.
PixRegion VisibleRegion(const WindowPtr& w, bool clientOnly, bool clipChildren, bool clipSiblings) {
  Lock l(S().lock);
  if (!IsVisibleChain(w) || w->redrawOff) return PixRegion();
  PixRegion r = OwnArea(*w);
  if (clientOnly) r.Intersect(w->client);
  if (clipChildren)
    for (HWND h : w->children) {
      auto c = Get(h);
      if (!c || !(c->style & WS_VISIBLE)) continue;
      // A child shows only inside the client area: one larger than it (a
      // list's header wider than the list) leaves the frame and the scroll
      // bars to the window.
      PixRegion a = OwnArea(*c);
      a.Offset(w->client.left + c->rect.left, w->client.top + c->rect.top);
      a.Intersect(w->client);
      r.Subtract(a);
    }
  // Walk up: each level clips to its parent's client area and shape.
  POINT off{0, 0};  // w's window origin in the current ancestor's window coordinates
  for (WindowPtr cur = w; cur && (cur->style & WS_CHILD);) {
    if ((cur == w ? clipSiblings : false) || (cur->style & WS_CLIPSIBLINGS)) {
      PixRegion mine = r;
      mine.Offset(off.x, off.y);
      SubtractSiblingsAbove(*cur, mine);
      mine.Offset(-off.x, -off.y);
      r = mine;
    }
    auto p = Get(cur->parent);
    if (!p) break;
    off.x += p->client.left + cur->rect.left, off.y += p->client.top + cur->rect.top;
    PixRegion pc(p->client);
    if (p->shape) pc.Intersect(*p->shape);
    pc.Offset(-off.x, -off.y);
    r.Intersect(pc);
    if (p->redrawOff) return PixRegion();
    cur = p;
  }
  return r;
}

HDC MakeWindowDC(const WindowPtr& w, bool windowDc, bool clipChildren, bool clipSiblings,
                 const PixRegion* extra, bool intersect) {
  auto top = TopLevelOf(w);
  EnsureBacking(top);
  PixRegion vis = VisibleRegion(w, !windowDc, clipChildren, clipSiblings);
  POINT wo = WindowOriginOnScreen(*w), to = WindowOriginOnScreen(*top);
  if (extra) {
    PixRegion e = *extra;  // screen coordinates
    e.Offset(-wo.x, -wo.y);
    if (intersect)
      vis.Intersect(e);
    else
      vis.Subtract(e);
  }
  POINT origin{wo.x - to.x, wo.y - to.y};
  if (!windowDc) {
    origin.x += w->client.left, origin.y += w->client.top;
    vis.Offset(-w->client.left, -w->client.top);
  }
  HRGN rgn = CreateRgnFromPixRegion(vis);
  HDC dc = CreateSurfaceDC(top->backing.get(), origin, rgn);
  DeleteObject(rgn);
  if (!dc) return nullptr;
  SetDCScreenOrigin(dc, POINT{to.x + origin.x, to.y + origin.y});  // SYSRGN is in screen coordinates
  RECT dirty = vis.Bounds();
  OffsetRect(&dirty, origin.x, origin.y);
  Lock l(S().lock);
  DCs().push_back(DCRecord{dc, w->handle, top->handle, dirty});
  return dc;
}

void PresentAll() {
  if (!S().backend) return;
  for (HWND h : std::vector<HWND>(S().topLevels))
    if (auto t = Get(h); t && t->backing && (t->style & WS_VISIBLE))
      S().backend->Present(h, *t->backing, RECT{0, 0, t->backing->Width, t->backing->Height});
}

void SendNcPaint(const WindowPtr& w) {
  PixRegion frame;
  bool whole;
  {
    Lock l(S().lock);
    if (!w->needNcPaint) return;
    w->needNcPaint = false;
    frame = std::move(w->ncUpdate);
    w->ncUpdate.Clear();
    PixRegion all(RECT{0, 0, w->rect.Width(), w->rect.Height()});
    all.Subtract(w->client);
    PixRegion missing = all;
    missing.Subtract(frame);
    whole = frame.Empty() || missing.Empty();
  }
  if (whole) {
    CallProc(w, WM_NCPAINT, 1, 0);
    return;
  }
  POINT wo = WindowOriginOnScreen(*w);
  frame.Offset(wo.x, wo.y);
  HRGN rgn = CreateRgnFromPixRegion(frame);
  CallProc(w, WM_NCPAINT, WPARAM(rgn), 0);
  DeleteObject(rgn);
}

// Sends WM_NCPAINT and WM_ERASEBKGND now where they are pending.
void EraseNow(const WindowPtr& w) {
  SendNcPaint(w);
  if (w->needErase && !w->dead) {
    w->needErase = false;
    PixRegion upd = w->update;
    POINT wo = WindowOriginOnScreen(*w);
    upd.Offset(wo.x, wo.y);
    HDC dc = MakeWindowDC(w, false, (w->style & WS_CLIPCHILDREN) != 0, true, &upd, true);
    if (dc) {
      if (!CallProc(w, WM_ERASEBKGND, WPARAM(dc), 0)) w->needErase = true;
      ReleaseDC(w->handle, dc);
    }
  }
}

void RedrawInternal(const WindowPtr& w, const PixRegion* area, UINT flags) {
  if (w->dead || !IsVisibleChain(w)) return;
  if (flags & RDW_UPDATENOW) {
    if (!w->update.Empty() || w->internalPaint || w->needNcPaint) {
      w->internalPaint = false;
      if (w->update.Empty() && !w->needErase)
        EraseNow(w);
      else
        CallProc(w, WM_PAINT, 0, 0);
    }
  } else if (flags & RDW_ERASENOW) {
    EraseNow(w);
  }
  if (flags & RDW_NOCHILDREN) return;
  if (!(flags & RDW_ALLCHILDREN) && (w->style & WS_CLIPCHILDREN) && !(flags & RDW_UPDATENOW)) return;
  std::vector<WindowPtr> kids;
  {
    Lock l(S().lock);
    for (HWND h : w->children)
      if (auto c = Get(h)) kids.push_back(c);
  }
  for (auto& c : kids) RedrawInternal(c, area, flags & ~UINT(RDW_NOCHILDREN));
}

}  // namespace wm

// The clipping a window's style asks of its ordinary DCs.
static DWORD StyleClipFlags(HWND hwnd) {
  DWORD style = DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE));
  return (style & WS_CLIPCHILDREN ? DCX_CLIPCHILDREN : 0) | (style & WS_CLIPSIBLINGS ? DCX_CLIPSIBLINGS : 0);
}

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags) {
  using namespace wm;
  if (!hwnd) {
    // A screen DC clipped to a region composes only what lies within it.
    RECT bounds;
    if (!(flags & DCX_INTERSECTRGN) || !clip || uintptr_t(clip) == 1 || GetRgnBox(clip, &bounds) == ERROR)
      return OpenScreenDC(nullptr, !(flags & DCX_LOCKWINDOWUPDATE));
    HDC dc = OpenScreenDC(&bounds);
    if (dc) SelectClipRgn(dc, clip);
    return dc;
  }
  auto w = Get(hwnd);
  if (!w) return nullptr;
  PixRegion extra;
  bool useExtra = (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN)) && clip && uintptr_t(clip) != 1 &&
                  GetPixRegion(clip, extra);
  // A cache DC clips as its flags say; others follow the window's style too
  // (a splitter's drag line crosses its parent's child windows).
  bool byStyle = !(flags & DCX_CACHE);
  bool clipChildren = (flags & DCX_CLIPCHILDREN) || (byStyle && (w->style & WS_CLIPCHILDREN));
  bool clipSiblings = (flags & DCX_CLIPSIBLINGS) || (byStyle && (w->style & WS_CLIPSIBLINGS));
  return MakeWindowDC(w, flags & DCX_WINDOW, clipChildren, clipSiblings, useExtra ? &extra : nullptr,
                      (flags & DCX_INTERSECTRGN) != 0);
}

HDC GetWindowDC(HWND hwnd) {
  return GetDCEx(hwnd, nullptr, DCX_WINDOW | DCX_CACHE | StyleClipFlags(hwnd));
}

int ReleaseDC(HWND, HDC hdc) {
  using namespace wm;
  if (CloseScreenDC(hdc)) return 1;
  DCRecord rec{};
  {
    Lock l(S().lock);
    auto& list = DCs();
    auto it = std::find_if(list.begin(), list.end(), [&](const DCRecord& r) { return r.hdc == hdc; });
    if (it == list.end()) return 0;
    rec = *it;
    list.erase(it);
  }
  DeleteDC(hdc);
  auto top = Get(rec.top);
  if (top && top->backing && S().backend && (top->style & WS_VISIBLE) && !IsRectEmpty(&rec.dirty))
    S().backend->Present(rec.top, *top->backing, rec.dirty);
  return 1;
}

HWND WindowFromDC(HDC hdc) {
  wm::Lock l(wm::S().lock);
  for (auto& r : wm::DCs())
    if (r.hdc == hdc) return r.hwnd;
  return nullptr;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  using namespace wm;
  auto w = Get(hwnd);
  if (!w || !ps) return nullptr;
  HideCaretForPaint(hwnd);
  if (w->needNcPaint) {
    SendNcPaint(w);
    if (!IsWindow(hwnd)) return nullptr;
  }
  PixRegion upd;
  bool erase;
  {
    Lock l(S().lock);
    upd = w->update;
    upd.Intersect(w->client);
    w->update.Clear();
    w->internalPaint = false;
    erase = w->needErase;
    w->needErase = false;
  }
  POINT wo = WindowOriginOnScreen(*w);
  PixRegion screenUpd = upd;
  screenUpd.Offset(wo.x, wo.y);
  HDC dc = MakeWindowDC(w, false, (w->style & WS_CLIPCHILDREN) != 0, (w->style & WS_CLIPSIBLINGS) != 0,
                        &screenUpd, true);
  ps->hdc = dc;
  ps->rcPaint = upd.Bounds();
  if (!upd.Empty()) OffsetRect(&ps->rcPaint, -w->client.left, -w->client.top);
  ps->fErase = FALSE;
  if (erase && dc) ps->fErase = CallProc(w, WM_ERASEBKGND, WPARAM(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (!ps || !ps->hdc) return FALSE;
  return ReleaseDC(hwnd, ps->hdc) != 0;
}

int SetWindowRgn(HWND hwnd, HRGN rgn, BOOL redraw) {
  using namespace wm;
  auto w = Get(hwnd);
  if (!w) return 0;
  RECT before = WindowRectOnScreen(*w);
  if (rgn) {
    PixRegion r;
    if (!GetPixRegion(rgn, r)) return 0;
    w->shape = r;
    DeleteObject(rgn);
  } else {
    w->shape.reset();
  }
  if (!(w->style & WS_CHILD) && S().backend) S().backend->WindowMoved(hwnd, w->rect);
  if (redraw) InvalidateForChange(w, before);
  return 1;
}

int GetWindowRgn(HWND hwnd, HRGN rgn) {
  auto w = wm::Get(hwnd);
  if (!w || !w->shape) return ERROR;
  if (!SetRgnFromPixRegion(rgn, *w->shape)) return ERROR;
  return w->shape->Empty() ? NULLREGION : (w->shape->Rects().size() == 1 ? SIMPLEREGION : COMPLEXREGION);
}

void SetDesktopColor(COLORREF color) {
  wm::S().desktopColor = color;
}

RECT ComposeScreenPart(Surface& out, const RECT& area, bool desktopPixels) {
  using namespace wm;
  SIZE size = S().backend ? S().backend->ScreenSize() : SIZE{1024, 768};
  const RECT part{std::max<LONG>(area.left, 0), std::max<LONG>(area.top, 0),
                  std::max(std::min<LONG>(area.right, size.cx), std::max<LONG>(area.left, 0)),
                  std::max(std::min<LONG>(area.bottom, size.cy), std::max<LONG>(area.top, 0))};
  COLORREF c = S().desktopColor;
  const uint32_t desktop = PixelRGB(GetRValue(c), GetGValue(c), GetBValue(c));
  // The buffer is reused when it has the part's size: a fresh one per call
  // costs more in first touches of its memory than the composing itself.
  out.Width = part.right - part.left, out.Height = part.bottom - part.top;
  out.Pixels.resize(std::size_t(out.Width) * std::size_t(out.Height));
  std::fill(out.Pixels.begin(), out.Pixels.end(), desktop);
  if (out.Pixels.empty()) return part;
  // Under our windows lies the real desktop: a hint's see-through corners and
  // shadow blend with what is there, not with a rectangle of desktop colour.
  if (S().backend && desktopPixels) S().backend->ReadDesktop(out, POINT{part.left, part.top});
  Lock l(S().lock);
  auto& tops = S().topLevels;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    auto w = Get(*it);
    if (!w || !(w->style & WS_VISIBLE) || !w->backing) continue;
    const Surface& b = *w->backing;
    PixRegion own = OwnArea(*w);
    // Where the desktop draws the window's frame, its pixels stay: ours
    // (a caption of our own under the window manager's) are not on screen.
    if (S().backend) {
      const RECT frame = S().backend->DesktopFrame(*it);
      own.Intersect(PixRegion(
          RECT{frame.left, frame.top, w->rect.Width() - frame.right, w->rect.Height() - frame.bottom}));
    }
    // In screen coordinates, clipped once to the backing and to the part.
    own.Intersect(PixRegion(RECT{0, 0, b.Width, b.Height}));
    own.Offset(w->rect.left, w->rect.top);
    own.Intersect(PixRegion(part));
    for (const RECT& r : own.Rects())
      for (int y = r.top; y < r.bottom; ++y)
        std::copy(b.Row(y - w->rect.top) + (r.left - w->rect.left),
                  b.Row(y - w->rect.top) + (r.right - w->rect.left),
                  out.Row(y - part.top) + (r.left - part.left));
  }
  ApplyScreenOverlays(out, POINT{part.left, part.top}, size);
  return part;
}

void ComposeScreenInto(Surface& screen) {
  SIZE size = wm::S().backend ? wm::S().backend->ScreenSize() : SIZE{1024, 768};
  ComposeScreenPart(screen, RECT{0, 0, size.cx, size.cy});
}

Surface ComposeScreen() {
  Surface screen;
  ComposeScreenInto(screen);
  return screen;
}

HDC GetDC(HWND hwnd) {
  using namespace wm;
  if (hwnd) return GetDCEx(hwnd, nullptr, DCX_CACHE | StyleClipFlags(hwnd));
  return OpenScreenDC();
}

void InjectExpose(HWND top) {
  if (!IsWindow(top)) return;
  RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

}  // namespace qv
