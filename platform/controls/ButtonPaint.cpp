// Painting of the BUTTON class: push buttons (default frame, pressed look,
// focus rectangle), check boxes and radio buttons (two and three states,
// push-like), group boxes, images and owner-drawn buttons.
#include <algorithm>

#include "platform/controls/ButtonControl.h"
#include "platform/controls/ControlPaint.h"
#include "platform/gdi/SystemColors.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/OwnerDraw.h"

namespace qv::button {
namespace {

// The check box and the gap beside it, as large as the screen's text makes them.
int Box() {
  return GetSystemMetrics(SM_CXMENUCHECK);
}
int Gap() {
  return ScaleToScreen(4);
}

UINT TextFormat(DWORD style, bool push) {
  UINT f = DT_VCENTER;
  DWORD h = style & BS_CENTER;
  if (h == BS_CENTER || (push && !h))
    f |= DT_CENTER;
  else if (h == BS_RIGHT)
    f |= DT_RIGHT;
  f |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
  return f;
}

// Draws the text or the image of the button centred in r; the rectangle the
// contents took comes back (for the focus rectangle).
RECT Contents(ButtonState& b, HDC dc, RECT r, UINT format, bool enabled) {
  DWORD style = b.Style();
  if ((style & BS_ICON) && b.image) {
    ICONINFO ii{};
    int w = 32, h = 32;
    if (GetIconInfo(reinterpret_cast<HICON>(b.image), &ii)) {
      BITMAP bm{};
      if (ii.hbmColor && GetObjectW(ii.hbmColor, sizeof bm, &bm)) w = bm.bmWidth, h = bm.bmHeight;
      if (ii.hbmColor) DeleteObject(ii.hbmColor);
      if (ii.hbmMask) DeleteObject(ii.hbmMask);
    }
    int x = (r.left + r.right - w) / 2, y = (r.top + r.bottom - h) / 2;
    DrawIconEx(dc, x, y, reinterpret_cast<HICON>(b.image), w, h, 0, nullptr, DI_NORMAL);
    return RECT{x, y, x + w, y + h};
  }
  if ((style & BS_BITMAP) && b.image) {
    BITMAP bm{};
    GetObjectW(b.image, sizeof bm, &bm);
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, b.image);
    int x = (r.left + r.right - bm.bmWidth) / 2, y = (r.top + r.bottom - bm.bmHeight) / 2;
    BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    return RECT{x, y, x + bm.bmWidth, y + bm.bmHeight};
  }
  std::u16string text = ctl::WindowText(b.hwnd);
  RECT calc = r;
  DrawTextW(dc, text.c_str(), int(text.size()), &calc, (format & ~DT_VCENTER) | DT_CALCRECT);
  int h = calc.bottom - calc.top, w = calc.right - calc.left;
  int top = (r.top + r.bottom - h) / 2;
  int left = (format & DT_CENTER) ? (r.left + r.right - w) / 2 : (format & DT_RIGHT) ? r.right - w : r.left;
  RECT place{r.left, top, r.right, top + h};
  ctl::DrawControlText(dc, text, place, format & ~DT_VCENTER, enabled);
  return RECT{left, top, left + w, top + h};
}

void PushLook(ButtonState& b, HDC dc, RECT r, bool pressed, bool isDefault, bool enabled) {
  FillRect(dc, &r, ctl::SysBrush(COLOR_BTNFACE));
  if (isDefault) {
    FrameRect(dc, &r, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&r, -1, -1);
  }
  if (pressed && isDefault) {
    FrameRect(dc, &r, ctl::SysBrush(COLOR_BTNSHADOW));
  } else {
    RECT face = r;
    DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  }
  RECT inner = r;
  InflateRect(&inner, -3, -3);
  if (pressed) OffsetRect(&inner, 1, 1);
  Contents(b, dc, inner, TextFormat(b.Style(), true), enabled);
  if (b.focused) {
    RECT focus = r;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
}

void CheckLook(ButtonState& b, HDC dc, RECT r, bool enabled) {
  DWORD style = b.Style();
  UINT type = style & BS_TYPEMASK;
  bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
  bool right = style & BS_LEFTTEXT;
  int top = (r.top + r.bottom - Box()) / 2;
  RECT box = right ? RECT{r.right - Box(), top, r.right, top + Box()}
                   : RECT{r.left, top, r.left + Box(), top + Box()};
  UINT state = radio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
  if (b.check == BST_CHECKED) state |= DFCS_CHECKED;
  // The third state: a grey mark on a face-coloured box.
  if (b.check == BST_INDETERMINATE) state |= DFCS_CHECKED | DFCS_INACTIVE;
  if (b.pushed) state |= DFCS_PUSHED;
  if (!enabled) state |= DFCS_INACTIVE;
  DrawFrameControl(dc, &box, DFC_BUTTON, state);
  RECT text = r;
  if (right)
    text.right = box.left - Gap();
  else
    text.left = box.right + Gap();
  RECT took = Contents(b, dc, text, TextFormat(style, false), enabled);
  if (b.focused && took.right > took.left) {
    InflateRect(&took, 1, 1);
    took.top = std::max(took.top, r.top), took.bottom = std::min(took.bottom, r.bottom);
    DrawFocusRect(dc, &took);
  }
}

void GroupLook(ButtonState& b, HDC dc, RECT r, bool enabled) {
  std::u16string text = ctl::WindowText(b.hwnd);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  RECT frame = r;
  frame.top += tm.tmHeight / 2;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  if (text.empty()) return;
  RECT calc{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), int(text.size()), &calc, DT_SINGLELINE | DT_CALCRECT);
  RECT label{r.left + 8, r.top, std::min<LONG>(r.right - 8, r.left + 8 + calc.right + 4),
             r.top + tm.tmHeight};
  FillRect(dc, &label, b.brush);
  label.left += 2;
  ctl::DrawControlText(dc, text, label, DT_SINGLELINE | DT_LEFT | DT_TOP, enabled);
}

void OwnerDraw(ButtonState& b, HDC dc, RECT r, bool enabled) {
  DRAWITEMSTRUCT dis;
  dis.CtlType = ODT_BUTTON;
  dis.CtlID = UINT(GetWindowLongPtrW(b.hwnd, GWLP_ID));
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState = (b.pushed ? ODS_SELECTED : 0) | (b.focused ? ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
  dis.hwndItem = b.hwnd;
  dis.hDC = dc;
  dis.rcItem = r;
  HWND parent = GetParent(b.hwnd);
  if (parent) SendMessageW(parent, WM_DRAWITEM, dis.CtlID, LPARAM(&dis));
}

}  // namespace

void Paint(ButtonState& b, HDC dc) {
  RECT r;
  GetClientRect(b.hwnd, &r);
  DWORD style = b.Style();
  UINT type = style & BS_TYPEMASK;
  bool enabled = IsWindowEnabled(b.hwnd);
  int saved = SaveDC(dc);
  SelectObject(dc, ctl::ControlFont(b.hwnd));
  bool push = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_USERBUTTON;
  b.brush = ctl::ParentColours(b.hwnd, dc, push ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC, COLOR_BTNFACE);
  if (type == BS_OWNERDRAW) {
    OwnerDraw(b, dc, r, enabled);
  } else if (push) {
    PushLook(b, dc, r, b.pushed, type == BS_DEFPUSHBUTTON, enabled);
  } else if (style & BS_PUSHLIKE && type != BS_GROUPBOX) {
    PushLook(b, dc, r, b.pushed || b.check != BST_UNCHECKED, false, enabled);
  } else {
    FillRect(dc, &r, b.brush);
    if (type == BS_GROUPBOX)
      GroupLook(b, dc, r, enabled);
    else
      CheckLook(b, dc, r, enabled);
  }
  RestoreDC(dc, saved);
}

}  // namespace qv::button
