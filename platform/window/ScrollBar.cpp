// The standard scroll bars: state (range, page, position, track position),
// geometry of arrows, track and thumb, classic drawing, and the modal
// tracking loop that sends WM_HSCROLL / WM_VSCROLL with auto-repeat.
#include "platform/window/ScrollBar.h"

#include "platform/gdi/Shapes.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {
namespace {

constexpr UINT kRepeatDelay = 350, kRepeatInterval = 50;
constexpr uintptr_t kRepeatTimer = 0x5CB0;

struct BarGeometry {
  bool vertical;
  int start, end;          // along the bar, window coordinates
  int arrow;               // arrow length
  int thumbPos, thumbLen;  // thumbLen 0 = no thumb
};

int Span(const ScrollBarData& d) {
  return d.max - d.min + 1;
}

BarGeometry Geometry(const ScrollBarData& d, const RECT& r, bool vertical) {
  BarGeometry g{vertical, vertical ? r.top : r.left, vertical ? r.bottom : r.right, ScrollBarSize(), 0, 0};
  int len = g.end - g.start;
  if (len < 2 * ScrollBarSize()) g.arrow = len / 2;
  int track = len - 2 * g.arrow;
  int span = Span(d);
  int movable = span - std::max(int(d.page), 1) + 1;
  bool disabled = d.disabledArrows == ESB_DISABLE_BOTH;
  if (span <= 0 || movable <= 0 || disabled || track <= 0) return g;
  int thumb = d.page ? std::max(MinThumb(), int(int64_t(track) * d.page / span)) : ScrollBarSize();
  if (thumb > track) return g;
  int range = std::max(1, span - std::max(int(d.page), 1));
  int pos = std::clamp(d.pos, d.min, d.min + range);
  g.thumbLen = thumb;
  g.thumbPos = g.start + g.arrow + int(int64_t(track - thumb) * (pos - d.min) / range);
  return g;
}

RECT BarRect(const WindowPtr& w, int bar) {
  NcLayout l = WindowNcLayout(*w);
  return bar == SB_VERT ? l.vscroll : l.hscroll;
}

int Clamp(const ScrollBarData& d, int pos) {
  int maxPos = d.max - std::max(int(d.page), 1) + 1;
  return std::max(d.min, std::min(pos, std::max(d.min, maxPos)));
}

// Only the frame is repainted: invalidating the window would repaint the
// client area too and waste every ScrollWindowEx.
void RedrawBar(HWND hwnd) {
  SendMessageW(hwnd, WM_NCPAINT, 1, 0);
}

// Shows or hides the bar by its style bit as the range requires.
void UpdateVisibility(const WindowPtr& w, int bar, bool disableNoScroll) {
  auto& d = w->sb[bar];
  bool needed = Span(d) > std::max(int(d.page), 1) && d.max > d.min;
  DWORD bit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
  bool shown = (w->style & bit) != 0;
  if (disableNoScroll && !needed) {
    d.disabledArrows = ESB_DISABLE_BOTH;
    needed = shown;
  } else if (needed) {
    d.disabledArrows = ESB_ENABLE_BOTH;
  }
  if (needed != shown) ShowScrollBar(w->handle, bar, needed);
}

enum Part { None, ArrowUp, PageUp, Thumb, PageDown, ArrowDown };

Part PartAt(const BarGeometry& g, int along) {
  if (along < g.start || along >= g.end) return None;
  if (along < g.start + g.arrow) return ArrowUp;
  if (along >= g.end - g.arrow) return ArrowDown;
  if (!g.thumbLen) return None;
  if (along < g.thumbPos) return PageUp;
  if (along >= g.thumbPos + g.thumbLen) return PageDown;
  return Thumb;
}

void SendScroll(HWND hwnd, int bar, int code, int pos) {
  SendMessageW(hwnd, bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), 0);
}

}  // namespace

void DrawScrollBar(const WindowPtr& w, HDC dc, int bar, const RECT& r) {
  auto& d = w->sb[bar];
  bool vertical = bar == SB_VERT;
  BarGeometry g = Geometry(d, r, vertical);
  auto part = [&](int a, int b) {
    return vertical ? RECT{r.left, a, r.right, b} : RECT{a, r.top, b, r.bottom};
  };
  RECT up = part(g.start, g.start + g.arrow), down = part(g.end - g.arrow, g.end);
  UINT off = d.disabledArrows == ESB_DISABLE_BOTH ? DFCS_INACTIVE : 0;
  DrawFrameControl(dc, &up, DFC_SCROLL,
                   (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | off |
                       (d.disabledArrows & ESB_DISABLE_LTUP ? DFCS_INACTIVE : 0));
  DrawFrameControl(dc, &down, DFC_SCROLL,
                   (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | off |
                       (d.disabledArrows & ESB_DISABLE_RTDN ? DFCS_INACTIVE : 0));
  RECT track = part(g.start + g.arrow, g.end - g.arrow);
  FillRect(dc, &track, reinterpret_cast<HBRUSH>(uintptr_t(COLOR_SCROLLBAR + 1)));
  if (g.thumbLen) {
    RECT thumb = part(g.thumbPos, g.thumbPos + g.thumbLen);
    FillRect(dc, &thumb, reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1)));
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT);
  }
}

void ScrollBarTrack(HWND hwnd, int bar, LRESULT, POINT screen) {
  auto w = Get(hwnd);
  if (!w) return;
  bool vertical = bar == SB_VERT;
  RECT wr = WindowRectOnScreen(*w);
  auto along = [&](POINT s) { return vertical ? s.y - wr.top : s.x - wr.left; };
  BarGeometry g = Geometry(w->sb[bar], BarRect(w, bar), vertical);
  Part part = PartAt(g, along(screen));
  if (part == None) return;
  int grabOffset = along(screen) - g.thumbPos;
  POINT pointer = screen;
  auto step = [&] {
    BarGeometry now = Geometry(w->sb[bar], BarRect(w, bar), vertical);
    Part under = PartAt(now, along(pointer));
    if (under != part) return;  // paging stops when the thumb reaches the pointer
    int code = part == ArrowUp     ? SB_LINEUP
               : part == ArrowDown ? SB_LINEDOWN
               : part == PageUp    ? SB_PAGEUP
                                   : SB_PAGEDOWN;
    SendScroll(hwnd, bar, code, 0);
  };
  SetCapture(hwnd);
  w->sb[bar].tracking = true;
  if (part != Thumb) {
    step();
    SetInternalTimer(hwnd, kRepeatTimer, kRepeatDelay, [&, hwnd] {
      SetInternalTimer(hwnd, kRepeatTimer, kRepeatInterval, [&, hwnd] {
        if (IsWindow(hwnd)) step();
      });
      if (IsWindow(hwnd)) step();
    });
  }
  MSG m;
  while (GetCapture() == hwnd && IsWindow(hwnd)) {
    if (GetMessageW(&m, nullptr, 0, 0) <= 0) {
      PostQuitMessage(int(m.wParam));
      break;
    }
    if (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP) {
      pointer = m.pt;
      if (part == Thumb) {
        auto& d = w->sb[bar];
        BarGeometry now = Geometry(d, BarRect(w, bar), vertical);
        int track = now.end - now.start - 2 * now.arrow - now.thumbLen;
        int range = std::max(1, Span(d) - std::max(int(d.page), 1));
        int offset = along(pointer) - grabOffset - (now.start + now.arrow);
        int pos = track > 0 ? d.min + int((int64_t(offset) * range + track / 2) / track) : d.min;
        d.trackPos = Clamp(d, pos);
        SendScroll(hwnd, bar, m.message == WM_LBUTTONUP ? SB_THUMBPOSITION : SB_THUMBTRACK, d.trackPos);
      }
      if (m.message == WM_LBUTTONUP) break;
      continue;
    }
    if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) break;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  SetInternalTimer(hwnd, kRepeatTimer, 0, nullptr);
  if (auto alive = Get(hwnd)) {
    alive->sb[bar].tracking = false;
    if (GetCapture() == hwnd) ReleaseCapture();
    SendScroll(hwnd, bar, SB_ENDSCROLL, 0);
  }
}

}  // namespace wm

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
  using namespace wm;
  if (bar == SB_CTL) return int(SendMessageW(hwnd, SBM_SETSCROLLINFO, WPARAM(redraw), LPARAM(info)));
  auto w = Get(hwnd);
  if (!w || !info || (bar != SB_HORZ && bar != SB_VERT)) return 0;
  auto& d = w->sb[bar];
  if (info->fMask & SIF_RANGE) d.min = info->nMin, d.max = std::max(info->nMin, info->nMax);
  if (info->fMask & SIF_PAGE) d.page = UINT(std::min<int64_t>(info->nPage, int64_t(Span(d))));
  if (info->fMask & SIF_POS) d.pos = info->nPos;
  d.pos = Clamp(d, d.pos);
  UpdateVisibility(w, bar, info->fMask & SIF_DISABLENOSCROLL);
  if (redraw && IsWindow(hwnd)) RedrawBar(hwnd);
  return d.pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
  if (bar == SB_CTL) return IsWindow(hwnd) && SendMessageW(hwnd, SBM_GETSCROLLINFO, 0, LPARAM(info));
  auto w = wm::Get(hwnd);
  if (!w || !info || (bar != SB_HORZ && bar != SB_VERT)) return FALSE;
  auto& d = w->sb[bar];
  if (info->fMask & SIF_RANGE) info->nMin = d.min, info->nMax = d.max;
  if (info->fMask & SIF_PAGE) info->nPage = d.page;
  if (info->fMask & SIF_POS) info->nPos = d.pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = d.tracking ? d.trackPos : d.pos;
  return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  SCROLLINFO si;
  si.fMask = SIF_POS;
  if (!GetScrollInfo(hwnd, bar, &si)) return 0;
  int old = si.nPos;
  si.nPos = pos;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return old;
}

int GetScrollPos(HWND hwnd, int bar) {
  SCROLLINFO si;
  si.fMask = SIF_POS;
  return GetScrollInfo(hwnd, bar, &si) ? si.nPos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = minPos, si.nMax = maxPos;
  return IsWindow(hwnd) && (SetScrollInfo(hwnd, bar, &si, redraw), TRUE);
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  if (!GetScrollInfo(hwnd, bar, &si)) return FALSE;
  if (minPos) *minPos = si.nMin;
  if (maxPos) *maxPos = si.nMax;
  return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  if (bar == SB_CTL) return ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE), IsWindow(hwnd);
  auto w = wm::Get(hwnd);
  if (!w) return FALSE;
  DWORD bits = bar == SB_BOTH ? (WS_HSCROLL | WS_VSCROLL) : bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
  DWORD style = show ? (w->style | bits) : (w->style & ~bits);
  if (style == w->style) return TRUE;
  w->style = style;
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

BOOL EnableScrollBar(HWND hwnd, int bar, UINT arrows) {
  if (bar == SB_CTL) return IsWindow(hwnd) && SendMessageW(hwnd, SBM_ENABLE_ARROWS, arrows, 0);
  auto w = wm::Get(hwnd);
  if (!w) return FALSE;
  auto apply = [&](int b) { w->sb[b].disabledArrows = arrows; };
  if (bar == SB_BOTH)
    apply(SB_HORZ), apply(SB_VERT);
  else if (bar == SB_HORZ || bar == SB_VERT)
    apply(bar);
  else
    return FALSE;
  wm::RedrawBar(hwnd);
  return TRUE;
}

}  // namespace qv
