// The caption's small icon and its buttons (close, and minimise/maximise
// when the style asks for them): their drawing with the pressed look, and
// the small modal loop that tracks a click on one and turns a release over
// it into WM_SYSCOMMAND.
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Icons.h"
#include "platform/gdi/Shapes.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {
namespace {

bool IsCaptionButton(LRESULT hit) {
  return hit == HTCLOSE || hit == HTMINBUTTON || hit == HTMAXBUTTON;
}

// A missing box of the pair shows greyed, as does close for CS_NOCLOSE.
bool ButtonEnabled(const Window& w, LRESULT hit) {
  if (hit == HTCLOSE) return !(w.cls->style & CS_NOCLOSE);
  if (hit == HTMINBUTTON) return (w.style & WS_MINIMIZEBOX) != 0;
  if (hit == HTMAXBUTTON) return (w.style & WS_MAXIMIZEBOX) != 0;
  return false;
}

RECT ButtonRect(const NcLayout& l, LRESULT hit) {
  return hit == HTCLOSE ? l.closeBox : hit == HTMINBUTTON ? l.minBox : l.maxBox;
}

void DrawButton(const Window& w, HDC dc, const NcLayout& l, LRESULT hit) {
  RECT r = ButtonRect(l, hit);
  if (IsRectEmpty(&r)) return;
  UINT state = hit == HTCLOSE       ? DFCS_CAPTIONCLOSE
               : hit == HTMINBUTTON ? (w.minimized ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMIN)
                                    : (w.maximized ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX);
  if (!ButtonEnabled(w, hit)) state |= DFCS_INACTIVE;
  if (w.pressedNcButton == hit) state |= DFCS_PUSHED;
  DrawFrameControl(dc, &r, DFC_CAPTION, state);
}

void RedrawButtons(const WindowPtr& w) {
  HDC dc = GetWindowDC(w->handle);
  if (!dc) return;
  NcLayout l = ComputeNcLayout(*w, w->rect.Width(), w->rect.Height());
  DrawCaptionButtons(*w, dc, l);
  ReleaseDC(w->handle, dc);
}

void SetPressed(const WindowPtr& w, LRESULT hit) {
  if (w->pressedNcButton == hit) return;
  w->pressedNcButton = hit;
  RedrawButtons(w);
}

WPARAM CommandOf(const Window& w, LRESULT hit) {
  if (hit == HTCLOSE) return SC_CLOSE;
  if (hit == HTMINBUTTON) return w.minimized ? SC_RESTORE : SC_MINIMIZE;
  return w.maximized ? SC_RESTORE : SC_MAXIMIZE;
}

}  // namespace

void DrawCaptionButtons(const Window& w, HDC dc, const NcLayout& l) {
  if (!IsRectEmpty(&l.sysIcon)) {
    HICON icon = w.cls->iconSm ? w.cls->iconSm : w.cls->icon;
    if (icon) DrawIconEx(dc, l.sysIcon.left, l.sysIcon.top, icon, 16, 16, 0, nullptr, DI_NORMAL);
  }
  for (LRESULT hit : {HTMINBUTTON, HTMAXBUTTON, HTCLOSE}) DrawButton(w, dc, l, hit);
}

bool TrackCaptionButton(HWND hwnd, LRESULT hit) {
  auto w = Get(hwnd);
  if (!w || !IsCaptionButton(hit) || !ButtonEnabled(*w, hit)) return false;
  NcLayout l = ComputeNcLayout(*w, w->rect.Width(), w->rect.Height());
  RECT box = ButtonRect(l, hit);
  POINT wo = WindowOriginOnScreen(*w);
  OffsetRect(&box, wo.x, wo.y);
  SetCapture(hwnd);
  SetPressed(w, hit);
  bool inside = true, released = false;
  POINT at{};
  MSG m;
  while (GetCapture() == hwnd && IsWindow(hwnd)) {
    if (GetMessageW(&m, nullptr, 0, 0) <= 0) {
      PostQuitMessage(int(m.wParam));  // the outer loop must end too
      break;
    }
    if (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP) {
      at = m.pt;
      inside = PtInRect(&box, m.pt);
      SetPressed(w, inside ? hit : 0);
      if ((released = m.message == WM_LBUTTONUP)) break;
      continue;
    }
    if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) break;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  if (!IsWindow(hwnd)) return true;
  if (GetCapture() == hwnd) ReleaseCapture();
  SetPressed(w, 0);
  if (released && inside) SendMessageW(hwnd, WM_SYSCOMMAND, CommandOf(*w, hit), MAKELPARAM(at.x, at.y));
  return true;
}

}  // namespace wm
}  // namespace qv
