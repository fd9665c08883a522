// The demo's main window and its hint popup, and the building of the demo.
#include "demo/DemoLayout.h"
#include "demo/DemoWindows.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::demo {
namespace {

LRESULT MainProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      if (HWND canvas = GetWindow(h, GW_CHILD))
        MoveWindow(canvas, kCanvasMargin, kCanvasMargin, LOWORD(lp) - 2 * kCanvasMargin,
                   HIWORD(lp) - 2 * kCanvasMargin, TRUE);
      return 0;
    case WM_SETFOCUS:
      if (HWND canvas = GetWindow(h, GW_CHILD)) SetFocus(canvas);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

LRESULT HintProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // a hint never takes the pointer
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT c;
      GetClientRect(h, &c);
      HBRUSH back = CreateSolidBrush(kHintBack);
      FillRect(dc, &c, back);
      DeleteObject(back);
      FrameRect(dc, &c, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      SetBkMode(dc, TRANSPARENT);
      HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      RECT text = c;
      InflateRect(&text, -4, 0);
      DrawTextW(dc, u"A hint above the window", -1, &text, DT_SINGLELINE | DT_VCENTER);
      SelectObject(dc, old);
      EndPaint(h, &ps);
      return 0;
    }
  }
  return DefWindowProcW(h, msg, wp, lp);
}

void RegisterClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW wc;
  wc.lpfnWndProc = MainProc;
  wc.lpszClassName = kMainClass;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  RegisterClassExW(&wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = CanvasProc();
  wc.lpszClassName = kCanvasClass;
  wc.hbrBackground = nullptr;
  RegisterClassExW(&wc);
  wc.style = CS_SAVEBITS;
  wc.lpfnWndProc = HintProc;
  wc.lpszClassName = kHintClass;
  RegisterClassExW(&wc);
}

}  // namespace

Demo CreateDemo() {
  RegisterClasses();
  Demo d;
  RECT frame{0, 0, kMainClient.cx, kMainClient.cy};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  d.main = CreateWindowExW(0, kMainClass, u"Quirvane demo", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           kMainOrigin.x, kMainOrigin.y, frame.right - frame.left, frame.bottom - frame.top,
                           nullptr, nullptr, nullptr, nullptr);
  d.canvas =
      CreateWindowExW(0, kCanvasClass, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                      kCanvasMargin, kCanvasMargin, kMainClient.cx - 2 * kCanvasMargin,
                      kMainClient.cy - 2 * kCanvasMargin, d.main, nullptr, nullptr, nullptr);
  ShowWindow(d.main, SW_SHOW);
  SetFocus(d.canvas);
  POINT at{kHintInCanvas.left, kHintInCanvas.top};
  ClientToScreen(d.canvas, &at);
  d.hint = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kHintClass, nullptr, WS_POPUP,
                           at.x, at.y, kHintInCanvas.right - kHintInCanvas.left,
                           kHintInCanvas.bottom - kHintInCanvas.top, d.main, nullptr, nullptr, nullptr);
  ShowWindow(d.hint, SW_SHOWNOACTIVATE);
  return d;
}

}  // namespace qv::demo
