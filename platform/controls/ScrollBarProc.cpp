// The SCROLLBAR window class: a horizontal or vertical bar as a control of
// its own, with the SBM_* messages, mouse tracking of arrows, track and
// thumb with auto-repeat, the keyboard, and WM_HSCROLL / WM_VSCROLL sent to
// the parent with the bar's handle.
#include <algorithm>

#include "platform/controls/ControlClass.h"
#include "platform/controls/ControlPaint.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv {
namespace scrollbar {
namespace {

constexpr const char16_t* kStateProp = u"QvScrollBarState";
constexpr uintptr_t kRepeatTimer = 1;
constexpr UINT kRepeatDelay = 350, kRepeatInterval = 50;
constexpr int kMinThumb = 8;

enum Part { None, ArrowUp, PageUp, Thumb, PageDown, ArrowDown };

struct State {
  int min = 0, max = 100;
  UINT page = 0;
  int pos = 0, trackPos = 0;
  UINT disabledArrows = ESB_ENABLE_BOTH;
  Part pressed = None;  // the part the mouse holds
  bool over = false;    // the pointer is still over the pressed part
  int grab = 0;         // pointer offset inside the thumb
  POINT pointer{};
};

State* Get(HWND h) {
  return static_cast<State*>(GetPropW(h, kStateProp));
}

bool Vertical(HWND h) {
  return GetWindowLongPtrW(h, GWL_STYLE) & SBS_VERT;
}

int Range(const State& s) {
  return std::max(0, s.max - s.min + 1 - std::max(int(s.page), 1));
}

int Clamp(const State& s, int pos) {
  return std::clamp(pos, s.min, s.min + Range(s));
}

struct Geometry {
  int length, arrow, thumbPos, thumbLen;  // along the bar; thumbLen 0 = no thumb
};

Geometry Measure(HWND h, const State& s) {
  RECT r;
  GetClientRect(h, &r);
  bool v = Vertical(h);
  int length = v ? r.Height() : r.Width();
  int thick = v ? r.Width() : r.Height();
  Geometry g{length, std::min(thick, length / 2), 0, 0};
  int track = length - 2 * g.arrow;
  int span = s.max - s.min + 1;
  if (span <= 1 || Range(s) <= 0 || track <= 0 || s.disabledArrows == ESB_DISABLE_BOTH || !IsWindowEnabled(h))
    return g;
  int thumb = s.page ? std::max(kMinThumb, int(int64_t(track) * s.page / span)) : std::min(thick, track);
  if (thumb > track) return g;
  int pos = s.pressed == Thumb ? s.trackPos : s.pos;
  g.thumbLen = thumb;
  g.thumbPos = g.arrow + int(int64_t(track - thumb) * (Clamp(s, pos) - s.min) / Range(s));
  return g;
}

RECT PartRect(HWND h, int a, int b) {
  RECT r;
  GetClientRect(h, &r);
  return Vertical(h) ? RECT{r.left, a, r.right, b} : RECT{a, r.top, b, r.bottom};
}

Part PartAt(HWND h, const State& s, POINT p) {
  Geometry g = Measure(h, s);
  int along = Vertical(h) ? p.y : p.x;
  if (along < 0 || along >= g.length) return None;
  if (along < g.arrow) return ArrowUp;
  if (along >= g.length - g.arrow) return ArrowDown;
  if (!g.thumbLen) return None;
  if (along < g.thumbPos) return PageUp;
  if (along >= g.thumbPos + g.thumbLen) return PageDown;
  return Thumb;
}

void Paint(HWND h, State& s, HDC dc) {
  bool v = Vertical(h), enabled = IsWindowEnabled(h);
  HBRUSH track = ctl::ParentColours(h, dc, WM_CTLCOLORSCROLLBAR, COLOR_SCROLLBAR);
  Geometry g = Measure(h, s);
  RECT up = PartRect(h, 0, g.arrow), down = PartRect(h, g.length - g.arrow, g.length);
  UINT off = !enabled || s.disabledArrows == ESB_DISABLE_BOTH ? DFCS_INACTIVE : 0;
  UINT upState = (v ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | off |
                 (s.disabledArrows & ESB_DISABLE_LTUP ? DFCS_INACTIVE : 0) |
                 (s.pressed == ArrowUp && s.over ? DFCS_PUSHED | DFCS_FLAT : 0);
  UINT downState = (v ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | off |
                   (s.disabledArrows & ESB_DISABLE_RTDN ? DFCS_INACTIVE : 0) |
                   (s.pressed == ArrowDown && s.over ? DFCS_PUSHED | DFCS_FLAT : 0);
  DrawFrameControl(dc, &up, DFC_SCROLL, upState);
  DrawFrameControl(dc, &down, DFC_SCROLL, downState);
  RECT middle = PartRect(h, g.arrow, g.length - g.arrow);
  FillRect(dc, &middle, track);
  if (s.over && (s.pressed == PageUp || s.pressed == PageDown)) {
    RECT held = s.pressed == PageUp ? PartRect(h, g.arrow, g.thumbPos)
                                    : PartRect(h, g.thumbPos + g.thumbLen, g.length - g.arrow);
    FillRect(dc, &held, ctl::SysBrush(COLOR_3DDKSHADOW));
  }
  if (g.thumbLen) {
    RECT thumb = PartRect(h, g.thumbPos, g.thumbPos + g.thumbLen);
    FillRect(dc, &thumb, ctl::SysBrush(COLOR_BTNFACE));
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT);
  }
}

void Send(HWND h, int code, int pos = 0) {
  HWND parent = GetParent(h);
  if (!parent) return;
  SendMessageW(parent, Vertical(h) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), LPARAM(h));
}

// One step of the held part; paging stops once the thumb reaches the pointer.
void Step(HWND h, State& s) {
  s.over = PartAt(h, s, s.pointer) == s.pressed;
  if (!s.over) return;
  switch (s.pressed) {
    case ArrowUp:
      return Send(h, SB_LINEUP);
    case ArrowDown:
      return Send(h, SB_LINEDOWN);
    case PageUp:
      return Send(h, SB_PAGEUP);
    case PageDown:
      return Send(h, SB_PAGEDOWN);
    default:
      return;
  }
}

void Redraw(HWND h) {
  InvalidateRect(h, nullptr, FALSE);
}

void Press(HWND h, State& s, POINT p) {
  Part part = PartAt(h, s, p);
  if (part == None) return;
  if (GetWindowLongPtrW(h, GWL_STYLE) & WS_TABSTOP) SetFocus(h);
  if (!IsWindow(h)) return;
  s.pressed = part;
  s.pointer = p;
  s.over = true;
  SetCapture(h);
  if (part == Thumb) {
    s.grab = (Vertical(h) ? p.y : p.x) - Measure(h, s).thumbPos;
    s.trackPos = s.pos;
  } else {
    Step(h, s);
    if (IsWindow(h)) SetTimer(h, kRepeatTimer, kRepeatDelay, nullptr);
  }
  if (IsWindow(h)) Redraw(h);
}

void Drag(HWND h, State& s, POINT p, bool final) {
  s.pointer = p;
  if (s.pressed != Thumb) {
    bool over = PartAt(h, s, p) == s.pressed;
    if (over != s.over) s.over = over, Redraw(h);
    return;
  }
  Geometry g = Measure(h, s);
  int track = g.length - 2 * g.arrow - g.thumbLen;
  int offset = (Vertical(h) ? p.y : p.x) - s.grab - g.arrow;
  int pos = track > 0 ? s.min + int((int64_t(offset) * Range(s) + track / 2) / track) : s.min;
  s.trackPos = Clamp(s, pos);
  Redraw(h);
  Send(h, final ? SB_THUMBPOSITION : SB_THUMBTRACK, s.trackPos);
}

void Release(HWND h, State& s, POINT p) {
  if (s.pressed == None) return;
  if (s.pressed == Thumb) Drag(h, s, p, true);
  if (!IsWindow(h)) return;
  s.pressed = None;
  KillTimer(h, kRepeatTimer);
  if (GetCapture() == h) ReleaseCapture();
  Redraw(h);
  Send(h, SB_ENDSCROLL);
}

LRESULT SetInfo(HWND h, State& s, const SCROLLINFO* si, bool redraw) {
  if (!si) return s.pos;
  if (si->fMask & SIF_RANGE) s.min = si->nMin, s.max = std::max(si->nMin, si->nMax);
  if (si->fMask & SIF_PAGE) s.page = UINT(std::min<int64_t>(si->nPage, int64_t(s.max) - s.min + 1));
  if (si->fMask & SIF_POS) s.pos = si->nPos;
  s.pos = Clamp(s, s.pos);
  if (redraw) Redraw(h);
  return s.pos;
}

LRESULT GetInfo(State& s, SCROLLINFO* si) {
  if (!si) return FALSE;
  if (si->fMask & SIF_RANGE) si->nMin = s.min, si->nMax = s.max;
  if (si->fMask & SIF_PAGE) si->nPage = s.page;
  if (si->fMask & SIF_POS) si->nPos = s.pos;
  if (si->fMask & SIF_TRACKPOS) si->nTrackPos = s.pressed == Thumb ? s.trackPos : s.pos;
  return TRUE;
}

void Key(HWND h, WPARAM vk) {
  bool v = Vertical(h);
  int code = -1;
  if (vk == (v ? VK_UP : VK_LEFT)) code = SB_LINEUP;
  if (vk == (v ? VK_DOWN : VK_RIGHT)) code = SB_LINEDOWN;
  if (vk == VK_PRIOR) code = SB_PAGEUP;
  if (vk == VK_NEXT) code = SB_PAGEDOWN;
  if (vk == VK_HOME) code = SB_TOP;
  if (vk == VK_END) code = SB_BOTTOM;
  if (code < 0) return;
  Send(h, code);
  if (IsWindow(h)) Send(h, SB_ENDSCROLL);
}

LRESULT ScrollBarMessage(HWND h, State& s, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case SBM_SETPOS: {
      int old = s.pos;
      s.pos = Clamp(s, int(w));
      if (l) Redraw(h);
      return old;
    }
    case SBM_GETPOS:
      return s.pos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
      int old = s.pos;
      s.min = int(w), s.max = std::max(int(w), int(l));
      s.pos = Clamp(s, s.pos);
      if (msg == SBM_SETRANGEREDRAW) Redraw(h);
      return old;
    }
    case SBM_GETRANGE:
      if (w) *reinterpret_cast<int*>(w) = s.min;
      if (l) *reinterpret_cast<int*>(l) = s.max;
      return 0;
    case SBM_ENABLE_ARROWS:
      s.disabledArrows = UINT(w);
      Redraw(h);
      return TRUE;
    case SBM_SETSCROLLINFO:
      return SetInfo(h, s, reinterpret_cast<const SCROLLINFO*>(l), w != 0);
    case SBM_GETSCROLLINFO:
      return GetInfo(s, reinterpret_cast<SCROLLINFO*>(l));
  }
  return 0;
}

LRESULT ScrollBarWindowProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_CREATE) {
    SetPropW(h, kStateProp, new State);
    return 0;
  }
  State* s = Get(h);
  if (msg == WM_NCDESTROY) {
    delete s;
    RemovePropW(h, kStateProp);
    return DefWindowProcW(h, msg, w, l);
  }
  if (!s) return DefWindowProcW(h, msg, w, l);
  if (auto r = ctl::PaintMessage(h, msg, w, [h, s](HDC dc) { Paint(h, *s, dc); })) return *r;
  POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
  switch (msg) {
    case WM_ENABLE:
      Redraw(h);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      Press(h, *s, p);
      return 0;
    case WM_MOUSEMOVE:
      if (s->pressed != None) Drag(h, *s, p, false);
      return 0;
    case WM_LBUTTONUP:
      Release(h, *s, p);
      return 0;
    case WM_CAPTURECHANGED:
      if (s->pressed != None && reinterpret_cast<HWND>(l) != h) {
        s->pressed = None;
        KillTimer(h, kRepeatTimer);
        Redraw(h);
      }
      return 0;
    case WM_TIMER:
      if (w == kRepeatTimer && s->pressed != None && s->pressed != Thumb) {
        SetTimer(h, kRepeatTimer, kRepeatInterval, nullptr);
        Step(h, *s);
      }
      return 0;
    case WM_KEYDOWN:
      Key(h, w);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
  }
  if (msg >= SBM_SETPOS && msg <= SBM_GETSCROLLINFO) return ScrollBarMessage(h, *s, msg, w, l);
  return DefWindowProcW(h, msg, w, l);
}

}  // namespace
}  // namespace scrollbar

void RegisterScrollBarClass() {
  ctl::RegisterControlClass({.name = u"SCROLLBAR",
                             .proc = scrollbar::ScrollBarWindowProc,
                             .style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW});
}

}  // namespace qv
