// The default procedures of MDI frames and children, and the MDI keys
// (Ctrl+F4, Ctrl+F6, Ctrl+Tab).
#include "platform/window/Input.h"
#include "platform/window/MdiImpl.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/SizeMove.h"

namespace qv {
namespace {
constexpr const char16_t* kShowingProp = u"QvMdiShowing";
}

LRESULT DefMDIChildProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  using namespace wm;
  HWND client = MdiClientOf(hwnd);
  auto* st = MdiState(client);
  if (!st) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MAXIMIZE:
          SendMessageW(client, WM_MDIMAXIMIZE, WPARAM(hwnd), 0);
          return 0;
        case SC_RESTORE:
          SendMessageW(client, WM_MDIRESTORE, WPARAM(hwnd), 0);
          return 0;
        case SC_CLOSE:
          SendMessageW(hwnd, WM_CLOSE, 0, 0);
          return 0;
        case SC_NEXTWINDOW:
        case SC_PREVWINDOW:
          SendMessageW(client, WM_MDINEXT, 0, (wParam & 0xFFF0) == SC_PREVWINDOW);
          return 0;
        case SC_MINIMIZE: {
          LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
          MdiRefreshFrameCaption(client);
          MdiUpdateScrollBars(client);
          return r;
        }
      }
      break;
    case WM_CLOSE:
      SendMessageW(client, WM_MDIDESTROY, WPARAM(hwnd), 0);
      return 0;
    case WM_GETMINMAXINFO:
      // The child answers its maximised place itself, so that a procedure
      // that reset it before passing the message on still gets it back.
      if (lParam) PlaceMaximizedChild(hwnd, *reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_CHILDACTIVATE:
      MdiActivate(client, hwnd);
      return 0;
    case WM_MOUSEACTIVATE: {
      LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
      if (st->active != hwnd) MdiActivate(client, hwnd);
      return r;
    }
    case WM_SETFOCUS:
      if (st->active != hwnd) MdiActivate(client, hwnd);
      break;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
      MdiRefreshFrameCaption(client, true);
      return r;
    }
    case WM_SHOWWINDOW:
      // Becoming visible activates the child once it is shown (below).
      if (wParam) SetPropW(hwnd, kShowingProp, HANDLE(1));
      break;
    case WM_WINDOWPOSCHANGED: {
      LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!IsWindow(hwnd) || !MdiState(client)) return r;
      if (RemovePropW(hwnd, kShowingProp) && IsWindowVisible(hwnd) && MdiState(client)->active != hwnd)
        MdiActivate(client, hwnd);
      if (wp && (wp->flags & SWP_HIDEWINDOW) && MdiState(client)->active == hwnd) {
        HWND next = MdiNextChild(client, hwnd, false);
        MdiActivate(client, next != hwnd ? next : nullptr);
      }
      if (wp && (wp->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) {
        MdiUpdateScrollBars(client);
        MdiRefreshFrameCaption(client);
      }
      return r;
    }
    case WM_DESTROY:
      if (st->active == hwnd) {
        HWND next = MdiNextChild(client, hwnd, false);
        MdiActivate(client, next != hwnd ? next : nullptr);
        if (auto* s = MdiState(client); s && s->active == hwnd) s->active = nullptr;
      }
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT DefFrameProcW(HWND frame, HWND client, UINT msg, WPARAM wParam, LPARAM lParam) {
  using namespace wm;
  if (!client) client = FindMdiClient(frame);
  auto* st = MdiState(client);
  if (!st) return DefWindowProcW(frame, msg, wParam, lParam);
  switch (msg) {
    case WM_SIZE: {
      RECT c;
      GetClientRect(frame, &c);
      MoveWindow(client, 0, 0, c.Width(), c.Height(), TRUE);
      return 0;
    }
    case WM_SETFOCUS:
      SetFocus(client);
      return 0;
    case WM_NCACTIVATE: {
      LRESULT r = DefWindowProcW(frame, msg, wParam, lParam);
      if (st->active) SendMessageW(st->active, WM_NCACTIVATE, wParam, 0);
      return r;
    }
    case WM_COMMAND: {
      // The maximised child's buttons in the menu bar carry system commands.
      UINT id = LOWORD(wParam);
      if (id >= 0xF000 && st->active && IsZoomed(st->active)) {
        SendMessageW(st->active, WM_SYSCOMMAND, id, 0);
        return 0;
      }
      // The window menu's entries carry the children's ids.
      for (HWND h : MdiChildren(client))
        if (st->firstChildId && UINT(GetWindowLongPtrW(h, GWLP_ID)) == id) {
          if (IsIconic(h)) ShowWindow(h, SW_RESTORE);
          MdiActivate(client, h);
          return 0;
        }
      break;
    }
  }
  return DefWindowProcW(frame, msg, wParam, lParam);
}

LRESULT DefMDIFrameProcW(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefFrameProcW(frame, nullptr, msg, wParam, lParam);
}

BOOL TranslateMDISysAccel(HWND client, const MSG* msg) {
  using namespace wm;
  auto* st = MdiState(client);
  if (!st || !msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  if (!(GetKeyState(VK_CONTROL) & 0x8000) || (GetKeyState(VK_MENU) & 0x8000)) return FALSE;
  HWND active = st->active;
  if (!active || !IsWindowEnabled(active)) return FALSE;
  switch (msg->wParam) {
    case VK_F4:
      PostMessageW(active, WM_SYSCOMMAND, SC_CLOSE, 0);
      return TRUE;
    case VK_F6:
    case VK_TAB:
      SendMessageW(active, WM_SYSCOMMAND, (GetKeyState(VK_SHIFT) & 0x8000) ? SC_PREVWINDOW : SC_NEXTWINDOW,
                   0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace qv
