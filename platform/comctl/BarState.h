// What the bar classes share inside the library: a window's state kept in a
// property (made on WM_NCCREATE, freed on WM_NCDESTROY), class registration
// and a few painting helpers.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <string>

#include "platform/comctl/BarControls.h"
#include "platform/controls/ControlPaint.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemColors.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::bars {

template <class S>
S* StateOf(HWND hwnd) {
  return static_cast<S*>(GetPropW(hwnd, S::kProp));
}

// The window procedure frame: creates the state, hands every message to
// S::Message(state, msg, w, l) and frees the state with the window.
template <class S>
LRESULT StateProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_NCCREATE) {
    auto* s = new S;
    s->hwnd = hwnd;
    SetPropW(hwnd, S::kProp, s);
    return DefWindowProcW(hwnd, msg, w, l);
  }
  S* s = StateOf<S>(hwnd);
  if (msg == WM_NCDESTROY) {
    RemovePropW(hwnd, S::kProp);
    delete s;
    ctl::ForgetControlFont(hwnd);
    return DefWindowProcW(hwnd, msg, w, l);
  }
  if (!s) return DefWindowProcW(hwnd, msg, w, l);
  return s->Message(msg, w, l);
}

void RegisterBarClass(const char16_t* name, WNDPROC proc, UINT style, int background);

// The message frame every bar shares: painting (also into a given DC),
// fonts and a redraw on enable and text changes. Paint is called with the
// DC; the answer, or -1 when the message is not one of these.
template <class S>
LRESULT CommonMessage(S& s, UINT msg, WPARAM w, LPARAM l) {
  HWND hwnd = s.hwnd;
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = w ? reinterpret_cast<HDC>(w) : BeginPaint(hwnd, &ps);
      s.Paint(dc);
      if (!w) EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      s.Paint(reinterpret_cast<HDC>(w));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      ctl::SetControlFont(hwnd, reinterpret_cast<HFONT>(w));
      if (LOWORD(uintptr_t(l))) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return LRESULT(GetPropW(hwnd, u"QvControlFont"));
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
  }
  return -1;
}

// Text width and height in the window's font.
SIZE TextSize(HDC dc, const std::u16string& text);
void FillSolid(HDC dc, const RECT& r, COLORREF c);
// A small black triangle pointing down, centred in r.
void DrawDownArrow(HDC dc, const RECT& r, COLORREF c);

}  // namespace qv::bars

namespace qv {
// The window procedures of the bar classes, one per file.
LRESULT ProgressBarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT StatusBarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ToolBarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT RebarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT TabControlProc(HWND, UINT, WPARAM, LPARAM);
LRESULT UpDownProc(HWND, UINT, WPARAM, LPARAM);
}  // namespace qv
