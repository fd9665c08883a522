// The demo's windows, written on the platform API only: a main window, the
// canvas control inside it (painting, scrolling, focus, keys, clicks, a
// timer) and a hint-like popup above it. Built the same way headless (tests,
// screenshots) and on the desktop.
#pragma once
#include <string>

#include "platform/WinTypes.h"

namespace qv::demo {

struct Demo {
  HWND main = nullptr, canvas = nullptr, hint = nullptr;
};

// Registers the classes (once) and creates and shows the windows.
Demo CreateDemo();

// What the canvas shows in its status band, and where it is scrolled to.
struct CanvasState {
  int ticks = 0;
  std::u16string lastKey = u"none", lastClick = u"none";
  int scrollX = 0, scrollY = 0;
};
// Null for a window that is not a live canvas.
const CanvasState* GetCanvasState(HWND canvas);

// Window class names.
inline constexpr const char16_t* kMainClass = u"QvDemoMain";
inline constexpr const char16_t* kCanvasClass = u"QvDemoCanvas";
inline constexpr const char16_t* kHintClass = u"QvDemoHint";

// The canvas's window procedure (Canvas.cpp).
using CanvasWndProcType = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
CanvasWndProcType CanvasProc();

// The canvas's content painting (CanvasPaint.cpp): dc's origin at content (0,0).
void PaintContent(HDC dc);
void PaintStatus(HDC dc, const RECT& band, const CanvasState& state, bool focused);

}  // namespace qv::demo
