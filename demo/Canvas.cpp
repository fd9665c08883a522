// The canvas control: a child window with standard scroll bars over a larger
// content, a fixed status band showing the last key and click, and a timer.
#include <algorithm>

#include "demo/DemoLayout.h"
#include "demo/DemoWindows.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"

namespace qv::demo {
namespace {

constexpr uintptr_t kTickTimer = 1;

CanvasState* StateOf(HWND h) {
  return reinterpret_cast<CanvasState*>(GetWindowLongPtrW(h, GWLP_USERDATA));
}

SIZE View(HWND h) {
  RECT c;
  GetClientRect(h, &c);
  return SIZE{c.right, std::max(0, c.bottom - kStatusHeight)};
}

void InvalidateStatus(HWND h) {
  RECT c;
  GetClientRect(h, &c);
  RECT band{0, 0, c.right, kStatusHeight};
  InvalidateRect(h, &band, FALSE);
}

void UpdateScrollBars(HWND h, const CanvasState& s) {
  SIZE view = View(h);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMax = kContent.cy - 1, si.nPage = UINT(view.cy), si.nPos = s.scrollY;
  SetScrollInfo(h, SB_VERT, &si, FALSE);
  si.nMax = kContent.cx - 1, si.nPage = UINT(view.cx), si.nPos = s.scrollX;
  SetScrollInfo(h, SB_HORZ, &si, FALSE);
  // Only the bars are redrawn: a redrawing SetScrollInfo repaints the whole
  // window, which would undo the point of scrolling the painted pixels.
  SendMessageW(h, WM_NCPAINT, 1, 0);
}

// Moves the content: the pixels already painted are scrolled and only the
// uncovered strip is painted again.
void ScrollTo(HWND h, CanvasState& s, int x, int y) {
  SIZE view = View(h);
  x = std::clamp(x, 0, std::max(0, int(kContent.cx - view.cx)));
  y = std::clamp(y, 0, std::max(0, int(kContent.cy - view.cy)));
  int dx = s.scrollX - x, dy = s.scrollY - y;
  if (!dx && !dy) return;
  s.scrollX = x, s.scrollY = y;
  RECT area{0, kStatusHeight, view.cx, kStatusHeight + view.cy};
  ScrollWindowEx(h, dx, dy, &area, &area, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
  UpdateScrollBars(h, s);
}

int ScrollTarget(HWND h, int bar, WPARAM code, int pos, int page) {
  switch (LOWORD(code)) {
    case SB_LINEUP:
      return pos - kRowHeight;
    case SB_LINEDOWN:
      return pos + kRowHeight;
    case SB_PAGEUP:
      return pos - page;
    case SB_PAGEDOWN:
      return pos + page;
    case SB_TOP:
      return 0;
    case SB_BOTTOM:
      return 1 << 20;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(h, bar, &si);
      return si.nTrackPos;
    }
  }
  return pos;
}

std::u16string Number(int n) {
  std::u16string s = n < 0 ? u"-" : u"";
  std::u16string digits;
  for (unsigned v = unsigned(n < 0 ? -n : n); digits.empty() || v; v /= 10)
    digits.insert(digits.begin(), char16_t('0' + v % 10));
  return s + digits;
}

void Paint(HWND h, CanvasState& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  if (!dc) return;
  RECT c;
  GetClientRect(h, &c);
  RECT band{0, 0, c.right, kStatusHeight};
  RECT dirty;
  if (IntersectRect(&dirty, &band, &ps.rcPaint)) PaintStatus(dc, band, s, GetFocus() == h);
  int saved = SaveDC(dc);
  IntersectClipRect(dc, 0, kStatusHeight, c.right, c.bottom);
  SetViewportOrgEx(dc, -s.scrollX, kStatusHeight - s.scrollY, nullptr);
  PaintContent(dc);
  RestoreDC(dc, saved);
  EndPaint(h, &ps);
}

bool OnKey(HWND h, CanvasState& s, WPARAM vk) {
  s.lastKey = u"VK " + Number(int(vk));
  InvalidateStatus(h);
  SIZE view = View(h);
  switch (vk) {
    case VK_UP:
      ScrollTo(h, s, s.scrollX, s.scrollY - kRowHeight);
      break;
    case VK_DOWN:
      ScrollTo(h, s, s.scrollX, s.scrollY + kRowHeight);
      break;
    case VK_LEFT:
      ScrollTo(h, s, s.scrollX - kRowHeight, s.scrollY);
      break;
    case VK_RIGHT:
      ScrollTo(h, s, s.scrollX + kRowHeight, s.scrollY);
      break;
    case VK_PRIOR:
      ScrollTo(h, s, s.scrollX, s.scrollY - view.cy);
      break;
    case VK_NEXT:
      ScrollTo(h, s, s.scrollX, s.scrollY + view.cy);
      break;
    case VK_HOME:
      ScrollTo(h, s, 0, 0);
      break;
    case VK_END:
      ScrollTo(h, s, s.scrollX, kContent.cy);
      break;
    default:
      return false;
  }
  return true;
}

void OnClick(HWND h, CanvasState& s, const char16_t* button, LPARAM lp) {
  SetFocus(h);
  s.lastClick = std::u16string(button) + u" at " + Number(GET_X_LPARAM(lp)) + u"," + Number(GET_Y_LPARAM(lp));
  InvalidateStatus(h);
}

LRESULT CanvasWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  CanvasState* s = StateOf(h);
  switch (msg) {
    case WM_CREATE:
      SetWindowLongPtrW(h, GWLP_USERDATA, LONG_PTR(new CanvasState));
      SetTimer(h, kTickTimer, kTickMs, nullptr);
      return 0;
    case WM_NCDESTROY:
      KillTimer(h, kTickTimer);
      delete s;
      SetWindowLongPtrW(h, GWLP_USERDATA, 0);
      break;
    case WM_SIZE:
      if (s) UpdateScrollBars(h, *s), ScrollTo(h, *s, s->scrollX, s->scrollY);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT:
      if (s) Paint(h, *s);
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL: {
      if (!s) break;
      bool vert = msg == WM_VSCROLL;
      SIZE view = View(h);
      int pos = vert ? s->scrollY : s->scrollX;
      int target = ScrollTarget(h, vert ? SB_VERT : SB_HORZ, wp, pos, vert ? view.cy : view.cx);
      ScrollTo(h, *s, vert ? s->scrollX : target, vert ? target : s->scrollY);
      return 0;
    }
    case WM_MOUSEWHEEL:
      if (s) ScrollTo(h, *s, s->scrollX, s->scrollY - short(HIWORD(wp)) / WHEEL_DELTA * 3 * kRowHeight);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      if (s && OnKey(h, *s, wp)) return 0;
      break;
    case WM_CHAR:
      if (s && wp >= 0x20)
        s->lastKey = u"char '" + std::u16string(1, char16_t(wp)) + u"'", InvalidateStatus(h);
      return 0;
    case WM_LBUTTONDOWN:
      if (s) OnClick(h, *s, u"left", lp);
      return 0;
    case WM_RBUTTONDOWN:
      if (s) OnClick(h, *s, u"right", lp);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateStatus(h);
      return 0;
    case WM_TIMER:
      if (s && wp == kTickTimer) ++s->ticks, InvalidateStatus(h);
      return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

CanvasWndProcType CanvasProc() {
  return CanvasWndProc;
}

const CanvasState* GetCanvasState(HWND canvas) {
  char16_t name[32] = {};
  if (!IsWindow(canvas) || !GetClassNameW(canvas, name, 32) || std::u16string(name) != kCanvasClass)
    return nullptr;
  return StateOf(canvas);
}

}  // namespace qv::demo
