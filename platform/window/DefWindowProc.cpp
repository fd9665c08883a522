// The default answers of window procedures: text, painting defaults,
// cursors and activation asked of the parent first, WM_WINDOWPOSCHANGED into
// WM_MOVE/WM_SIZE, printing into a DC, and the non-client defaults.
#include <cstring>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Shapes.h"
#include "platform/window/Input.h"
#include "platform/window/MenuHooks.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/SizeMove.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {
namespace {

LRESULT AskParent(const WindowPtr& w, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!(w->style & WS_CHILD)) return 0;
  auto p = Get(w->parent);
  return p ? CallProc(p, msg, wParam, lParam) : 0;
}

LRESULT SetCursorDefault(const WindowPtr& w, WPARAM wParam, LPARAM lParam) {
  if (AskParent(w, WM_SETCURSOR, wParam, lParam)) return TRUE;
  LRESULT hit = short(LOWORD(uintptr_t(lParam)));
  if (hit == HTCLIENT) {
    if (w->cls->cursor) SetCursor(w->cls->cursor);
    return FALSE;
  }
  if (hit == HTLEFT || hit == HTRIGHT) return SetCursor(LoadCursorW(nullptr, IDC_SIZEWE)), TRUE;
  if (hit == HTTOP || hit == HTBOTTOM) return SetCursor(LoadCursorW(nullptr, IDC_SIZENS)), TRUE;
  if (hit == HTTOPLEFT || hit == HTBOTTOMRIGHT) return SetCursor(LoadCursorW(nullptr, IDC_SIZENWSE)), TRUE;
  if (hit == HTTOPRIGHT || hit == HTBOTTOMLEFT) return SetCursor(LoadCursorW(nullptr, IDC_SIZENESW)), TRUE;
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  return FALSE;
}

void PrintInto(const WindowPtr& w, HDC hdc, LPARAM flags) {
  if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(w->handle)) return;
  HWND h = w->handle;
  if (flags & PRF_NONCLIENT) DrawNonClient(w, hdc);
  int saved = SaveDC(hdc);
  OffsetViewportOrgEx(hdc, w->client.left, w->client.top, nullptr);
  IntersectClipRect(hdc, 0, 0, w->client.Width(), w->client.Height());
  if ((flags & PRF_ERASEBKGND) && IsWindow(h)) CallProc(w, WM_ERASEBKGND, WPARAM(hdc), 0);
  if ((flags & PRF_CLIENT) && IsWindow(h)) CallProc(w, WM_PRINTCLIENT, WPARAM(hdc), flags);
  if ((flags & PRF_CHILDREN) && IsWindow(h)) {
    std::vector<WindowPtr> kids;
    {
      Lock l(S().lock);
      for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
        if (auto c = Get(*it); c && (c->style & WS_VISIBLE)) kids.push_back(c);
    }
    for (auto& c : kids) {
      int s = SaveDC(hdc);
      OffsetViewportOrgEx(hdc, c->rect.left, c->rect.top, nullptr);
      IntersectClipRect(hdc, 0, 0, c->rect.Width(), c->rect.Height());
      CallProc(c, WM_PRINT, WPARAM(hdc), flags & ~PRF_CHECKVISIBLE);
      RestoreDC(hdc, s);
    }
  }
  RestoreDC(hdc, saved);
}

// The window-menu commands the caption buttons and the frame send.
LRESULT SysCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  switch (wParam & 0xFFF0) {
    case SC_MOVE:
    case SC_SIZE:
      RunSizeMoveLoop(hwnd, wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      break;
    case SC_CLOSE:
      SendMessageW(hwnd, WM_CLOSE, 0, 0);
      break;
    case SC_MINIMIZE:
      ShowWindow(hwnd, SW_MINIMIZE);
      break;
    case SC_MAXIMIZE:
      ShowWindow(hwnd, SW_MAXIMIZE);
      break;
    case SC_RESTORE:
      ShowWindow(hwnd, SW_RESTORE);
      break;
  }
  return 0;
}

// A double click on the caption maximises, or restores a maximised or
// minimised window.
LRESULT CaptionDoubleClick(const WindowPtr& w, LPARAM pos) {
  if (w->maximized || w->minimized)
    SendMessageW(w->handle, WM_SYSCOMMAND, SC_RESTORE, pos);
  else if (w->style & WS_MAXIMIZEBOX)
    SendMessageW(w->handle, WM_SYSCOMMAND, SC_MAXIMIZE, pos);
  return 0;
}

// The caption shows the activation at once, in the active or inactive
// colours; the rest of the frame is not repainted.
LRESULT NcActivate(const WindowPtr& w, bool active) {
  bool changed = w->ncActive != active;
  w->ncActive = active;
  if (changed && (w->style & WS_CAPTION) == WS_CAPTION && IsWindowVisible(w->handle)) RedrawCaption(w);
  return TRUE;
}

// A sizable window is never made smaller or larger than its tracking
// limits, whoever sizes it (maximised windows take their own size).
void KeepTrackLimits(const WindowPtr& w, WINDOWPOS* wp) {
  if (!wp || (wp->flags & SWP_NOSIZE) || !(w->style & WS_THICKFRAME) || w->maximized || w->minimized) return;
  if (wp->cx == w->rect.Width() && wp->cy == w->rect.Height()) return;
  MINMAXINFO mm = GetMinMaxInfo(w->handle);
  wp->cx = std::max(int(mm.ptMinTrackSize.x), std::min(wp->cx, int(mm.ptMaxTrackSize.x)));
  wp->cy = std::max(int(mm.ptMinTrackSize.y), std::min(wp->cy, int(mm.ptMaxTrackSize.y)));
}

LRESULT EraseBackground(const WindowPtr& w, HDC hdc) {
  HBRUSH brush = w->cls->background;
  if (!brush) return 0;
  RECT r{0, 0, w->client.Width(), w->client.Height()};
  FillRect(hdc, &r, brush);
  return 1;
}

}  // namespace
}  // namespace wm

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  using namespace wm;
  auto w = Get(hwnd);
  if (!w) return 0;
  if (LRESULT r = 0; DefMenuMessage(hwnd, msg, wParam, lParam, r)) return r;
  switch (msg) {
    case WM_NCCREATE:
      if (lParam) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (cs->lpszName) w->text = cs->lpszName;
      }
      return TRUE;
    case WM_NCCALCSIZE:
      return DefNcCalcSize(w, wParam != 0, lParam);
    case WM_NCHITTEST:
      return DefNcHitTest(w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT: {
      // wParam 1 is the whole frame, else the region (screen coordinates) to draw.
      HRGN part = wParam > 1 ? reinterpret_cast<HRGN>(wParam) : nullptr;
      DWORD clip = (w->style & WS_CLIPSIBLINGS ? DCX_CLIPSIBLINGS : 0) |
                   (w->style & WS_CLIPCHILDREN ? DCX_CLIPCHILDREN : 0);
      HDC dc =
          part ? GetDCEx(hwnd, part, DCX_WINDOW | DCX_CACHE | DCX_INTERSECTRGN | clip) : GetWindowDC(hwnd);
      if (dc) {
        DrawNonClient(w, dc);
        ReleaseDC(hwnd, dc);
      }
      return 0;
    }
    case WM_NCACTIVATE:
      return NcActivate(w, wParam != 0);
    case WM_GETMINMAXINFO:
      return 0;
    case WM_WINDOWPOSCHANGING:
      KeepTrackLimits(w, reinterpret_cast<WINDOWPOS*>(lParam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return EraseBackground(w, reinterpret_cast<HDC>(wParam));
    case WM_PRINT:
      PrintInto(w, reinterpret_cast<HDC>(wParam), lParam);
      return 0;
    case WM_SETTEXT:
      w->text = lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"";
      if (w->style & WS_CAPTION)
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
      return TRUE;
    case WM_GETTEXT: {
      if (wParam == 0 || !lParam) return 0;
      auto* buf = reinterpret_cast<LPWSTR>(lParam);
      std::size_t n = std::min<std::size_t>(w->text.size(), wParam - 1);
      std::memcpy(buf, w->text.data(), n * sizeof(char16_t));
      buf[n] = 0;
      return LRESULT(n);
    }
    case WM_GETTEXTLENGTH:
      return LRESULT(w->text.size());
    case WM_SETCURSOR:
      return SetCursorDefault(w, wParam, lParam);
    case WM_MOUSEACTIVATE: {
      LRESULT r = AskParent(w, msg, wParam, lParam);
      return r ? r : MA_ACTIVATE;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam) && !(GetFocus() && IsDescendant(hwnd, GetFocus())))
        SetFocus(hwnd);
      return 0;
    case WM_WINDOWPOSCHANGED: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      const bool clientSized = wp && (wp->flags & SWP_FRAMECHANGED) && !(wp->flags & SWP_NOCLIENTSIZE);
      if (wp && (!(wp->flags & SWP_NOSIZE) || clientSized))
        CallProc(w, WM_SIZE, w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                 MAKELPARAM(w->client.Width(), w->client.Height()));
      if (wp && !(wp->flags & SWP_NOMOVE) && IsWindow(hwnd))
        CallProc(w, WM_MOVE, 0, MAKELPARAM(w->rect.left + w->client.left, w->rect.top + w->client.top));
      return 0;
    }
    case WM_SETREDRAW:
      w->redrawOff = !wParam;
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_CONTEXTMENU:
      return AskParent(w, msg, wParam, lParam);
    case WM_SYSCOMMAND:
      return SysCommand(hwnd, wParam, lParam);
    case WM_NCLBUTTONDOWN:
      if (TrackCaptionButton(hwnd, LRESULT(wParam))) return 0;
      if (StartFrameDrag(hwnd, LRESULT(wParam), lParam)) return 0;
      if (wParam == HTHSCROLL || wParam == HTVSCROLL)
        ScrollBarTrack(hwnd, wParam == HTHSCROLL ? SB_HORZ : SB_VERT, LRESULT(wParam),
                       POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_NCLBUTTONDBLCLK:
      if (TrackCaptionButton(hwnd, LRESULT(wParam))) return 0;
      if (wParam == HTCAPTION) return CaptionDoubleClick(w, lParam);
      if (wParam == HTHSCROLL || wParam == HTVSCROLL)
        ScrollBarTrack(hwnd, wParam == HTHSCROLL ? SB_HORZ : SB_VERT, LRESULT(wParam),
                       POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_CANCELMODE:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_GETDLGCODE:
      return 0;
  }
  return 0;
}

}  // namespace qv
