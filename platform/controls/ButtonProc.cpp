// The BUTTON window class: clicks by mouse, Space and Enter, automatic check
// boxes, three-state boxes and radio groups, the BM_* messages and the
// BN_* notifications.
#include "platform/controls/ButtonControl.h"
#include "platform/controls/ControlClass.h"
#include "platform/controls/ControlPaint.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv {
namespace button {
namespace {

constexpr const char16_t* kStateProp = u"QvButtonState";

ButtonState* Get(HWND hwnd) {
  return static_cast<ButtonState*>(GetPropW(hwnd, kStateProp));
}

bool IsRadio(UINT type) {
  return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

bool IsPush(UINT type) {
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_USERBUTTON || type == BS_OWNERDRAW;
}

void SetPushed(ButtonState& b, bool pushed) {
  if (b.pushed == pushed) return;
  b.pushed = pushed;
  InvalidateRect(b.hwnd, nullptr, FALSE);
}

void SetCheck(ButtonState& b, WPARAM check) {
  if (b.check == check) return;
  b.check = check;
  InvalidateRect(b.hwnd, nullptr, FALSE);
}

bool SameClassButton(HWND h, UINT type) {
  auto* other = Get(h);
  return other && other->Type() == type;
}

// The automatic radio buttons of the group: siblings in creation order
// (this window manager stacks a new child on top, so older siblings lie
// below) from the nearest WS_GROUP window at or before this one up to the
// next WS_GROUP window.
void UncheckGroupSiblings(ButtonState& b) {
  HWND first = b.hwnd;
  while (!(GetWindowLongPtrW(first, GWL_STYLE) & WS_GROUP)) {
    HWND older = GetWindow(first, GW_HWNDNEXT);
    if (!older) break;
    first = older;
  }
  for (HWND h = first; h; h = GetWindow(h, GW_HWNDPREV)) {
    if (h != first && (GetWindowLongPtrW(h, GWL_STYLE) & WS_GROUP)) break;
    if (h != b.hwnd && SameClassButton(h, BS_AUTORADIOBUTTON)) SendMessageW(h, BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

void Click(ButtonState& b) {
  HWND h = b.hwnd;
  switch (b.Type()) {
    case BS_AUTOCHECKBOX:
      SetCheck(b, b.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
      break;
    case BS_AUTO3STATE:
      SetCheck(b, (b.check + 1) % 3);
      break;
    case BS_AUTORADIOBUTTON:
      SetCheck(b, BST_CHECKED);
      UncheckGroupSiblings(b);
      break;
  }
  if (IsWindow(h)) ctl::NotifyParent(h, BN_CLICKED);
}

void MouseDown(ButtonState& b) {
  HWND h = b.hwnd;
  if (GetFocus() != h && b.Type() != BS_GROUPBOX) SetFocus(h);
  if (!IsWindow(h)) return;
  b.mouseDown = true;
  SetCapture(h);
  SetPushed(b, true);
}

bool Inside(HWND h, LPARAM l) {
  RECT r;
  GetClientRect(h, &r);
  return PtInRect(&r, POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
}

void MouseUp(ButtonState& b, LPARAM l) {
  if (!b.mouseDown) return;
  b.mouseDown = false;
  bool inside = Inside(b.hwnd, l);
  SetPushed(b, false);
  if (GetCapture() == b.hwnd) ReleaseCapture();
  if (inside) Click(b);
}

LRESULT DialogCode(ButtonState& b) {
  UINT type = b.Type();
  if (type == BS_GROUPBOX) return DLGC_STATIC;
  if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
  if (IsPush(type)) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
  if (IsRadio(type)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
  return DLGC_BUTTON;
}

LRESULT ButtonMessage(ButtonState& b, HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case BM_GETCHECK:
      return LRESULT(b.check);
    case BM_SETCHECK: {
      UINT type = b.Type();
      WPARAM v = w;
      if (v == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE) v = BST_CHECKED;
      SetCheck(b, v & 3);
      return 0;
    }
    case BM_GETSTATE:
      return LRESULT(b.check | (b.pushed ? BST_PUSHED : 0) | (b.focused ? BST_FOCUS : 0));
    case BM_SETSTATE:
      SetPushed(b, w != 0);
      return 0;
    case BM_SETSTYLE: {
      LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
      SetWindowLongPtrW(hwnd, GWL_STYLE, (style & ~LONG_PTR(0xFFFF)) | LONG_PTR(w & 0xFFFF));
      if (LOWORD(l)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case BM_CLICK:
      if (IsWindowEnabled(hwnd)) Click(b);
      return 0;
    case BM_GETIMAGE:
      return LRESULT(b.image);
    case BM_SETIMAGE: {
      HGDIOBJ old = b.image;
      b.image = reinterpret_cast<HGDIOBJ>(l);
      InvalidateRect(hwnd, nullptr, TRUE);
      return LRESULT(old);
    }
  }
  return 0;
}

LRESULT WindowMessage(ButtonState& b, HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (auto r = ctl::PaintMessage(hwnd, msg, w, [&b](HDC dc) { Paint(b, dc); })) return *r;
  if (auto r = ctl::TextControlMessage(hwnd, msg, w, l)) return *r;
  switch (msg) {
    case WM_SETFOCUS:
      b.focused = true;
      InvalidateRect(hwnd, nullptr, FALSE);
      if (b.Style() & BS_NOTIFY) ctl::NotifyParent(hwnd, BN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      b.focused = false;
      b.spaceDown = false;
      if (!b.mouseDown) SetPushed(b, false);
      InvalidateRect(hwnd, nullptr, FALSE);
      if (b.Style() & BS_NOTIFY) ctl::NotifyParent(hwnd, BN_KILLFOCUS);
      return 0;
    case WM_GETDLGCODE:
      return DialogCode(b);
    case WM_NCHITTEST:
      if (b.Type() == BS_GROUPBOX) return HTTRANSPARENT;
      break;
    case WM_LBUTTONDOWN:
      MouseDown(b);
      return 0;
    case WM_LBUTTONDBLCLK:
      if ((IsRadio(b.Type()) || b.Type() == BS_OWNERDRAW) && (b.Style() & BS_NOTIFY))
        ctl::NotifyParent(hwnd, BN_DOUBLECLICKED);
      MouseDown(b);
      return 0;
    case WM_MOUSEMOVE:
      if (b.mouseDown) SetPushed(b, Inside(hwnd, l));
      return 0;
    case WM_LBUTTONUP:
      MouseUp(b, l);
      return 0;
    case WM_CAPTURECHANGED:
      if (b.mouseDown && reinterpret_cast<HWND>(l) != hwnd) {
        b.mouseDown = false;
        SetPushed(b, false);
      }
      return 0;
    case WM_KEYDOWN:
      if (w == VK_SPACE && b.Type() != BS_GROUPBOX) {
        b.spaceDown = true;
        SetPushed(b, true);
      } else if (w == VK_RETURN && IsPush(b.Type())) {
        Click(b);
      } else {
        break;  // other keys are the window's (Shift+F10, the menu key)
      }
      return 0;
    case WM_KEYUP:
      if (w == VK_SPACE && b.spaceDown) {
        b.spaceDown = false;
        SetPushed(b, false);
        Click(b);
        return 0;
      }
      break;  // the menu key's context menu comes on its release
  }
  if (msg >= BM_GETCHECK && msg <= BM_SETIMAGE) return ButtonMessage(b, hwnd, msg, w, l);
  return DefWindowProcW(hwnd, msg, w, l);
}

LRESULT ButtonWindowProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_CREATE) {
    auto* b = new ButtonState;
    b->hwnd = hwnd;
    SetPropW(hwnd, kStateProp, b);
    return 0;
  }
  if (msg == WM_NCDESTROY) {
    delete Get(hwnd);
    RemovePropW(hwnd, kStateProp);
    ctl::ForgetControlFont(hwnd);
    return DefWindowProcW(hwnd, msg, w, l);
  }
  ButtonState* b = Get(hwnd);
  if (!b) return DefWindowProcW(hwnd, msg, w, l);
  return WindowMessage(*b, hwnd, msg, w, l);
}

}  // namespace
}  // namespace button

void RegisterButtonClass() {
  ctl::RegisterControlClass(
      {.name = u"BUTTON", .proc = button::ButtonWindowProc, .style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW});
}

}  // namespace qv
