// The combo box's look: a sunken field with the drop-down button at its
// right, the selected item in the field of a drop-down list (highlighted
// while focused), and the placement of the edit and list children.
#include <algorithm>
#include <string>

#include "platform/controls/ComboBoxImpl.h"
#include "platform/controls/ListBox.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemColors.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/Text.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::cb {
namespace {

constexpr int kEdge = 2;

HBRUSH SysBrush(int index) {
  return reinterpret_cast<HBRUSH>(uintptr_t(index + 1));
}

void DrawField(Combo& c, HDC dc, HBRUSH back) {
  RECT field = FieldRect(c);
  FillRect(dc, &field, back);
  int sel = CurrentSelection(c);
  RECT item = field;
  InflateRect(&item, -1, -1);
  bool highlight = c.focused && !c.dropped;
  bool enabled = IsWindowEnabled(c.hwnd);
  if (c.OwnerDraw()) {
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_COMBOBOX;
    dis.CtlID = c.id;
    dis.itemID = UINT(sel);
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState =
        ODS_COMBOBOXEDIT | (highlight ? ODS_SELECTED | ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
    dis.hwndItem = c.hwnd;
    dis.hDC = dc;
    dis.rcItem = item;
    dis.itemData = sel >= 0 ? ULONG_PTR(SendMessageW(c.list, LB_GETITEMDATA, WPARAM(sel), 0)) : 0;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, item.left, item.top, item.right, item.bottom);
    SendMessageW(c.notify, WM_DRAWITEM, c.id, LPARAM(&dis));
    RestoreDC(dc, saved);
    return;
  }
  if (highlight) FillRect(dc, &item, SysBrush(COLOR_HIGHLIGHT));
  if (sel >= 0) {
    int len = int(SendMessageW(c.list, LB_GETTEXTLEN, WPARAM(sel), 0));
    std::u16string text(std::size_t(std::max(0, len)) + 1, u'\0');
    SendMessageW(c.list, LB_GETTEXT, WPARAM(sel), LPARAM(text.data()));
    text.resize(std::size_t(std::max(0, len)));
    COLORREF color = !enabled    ? GetSysColor(COLOR_GRAYTEXT)
                     : highlight ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                 : GetTextColor(dc);
    SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    RECT tr{item.left + 2, item.top, item.right, item.bottom};
    DrawTextW(dc, text.c_str(), int(text.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  if (highlight) DrawFocusRect(dc, &item);
}

}  // namespace

RECT ButtonRect(const Combo& c) {
  RECT r;
  GetClientRect(c.hwnd, &r);
  if (c.Simple()) return RECT{};
  int w = GetSystemMetrics(SM_CXVSCROLL);
  return RECT{r.right - kEdge - w, kEdge, r.right - kEdge, std::min(int(r.bottom), c.fieldHeight) - kEdge};
}

RECT FieldRect(const Combo& c) {
  RECT r;
  GetClientRect(c.hwnd, &r);
  if (c.Simple()) return RECT{0, 0, r.right, c.fieldHeight};
  RECT b = ButtonRect(c);
  return RECT{kEdge, kEdge, b.left, std::min(int(r.bottom), c.fieldHeight) - kEdge};
}

void Layout(Combo& c) {
  RECT r;
  GetClientRect(c.hwnd, &r);
  if (c.edit) {
    RECT f = FieldRect(c);
    if (!c.Simple()) InflateRect(&f, -1, -1);
    SetWindowPos(c.edit, nullptr, f.left, f.top, f.right - f.left, f.bottom - f.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (c.Simple() && c.list)
    SetWindowPos(c.list, nullptr, 0, c.fieldHeight, r.right, std::max(0, int(r.bottom) - c.fieldHeight),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Paint(Combo& c, HDC given) {
  PAINTSTRUCT ps;
  HDC dc = given ? given : BeginPaint(c.hwnd, &ps);
  if (!dc) return;
  HWND self = c.hwnd;
  HGDIOBJ oldFont = SelectObject(dc, c.font ? HGDIOBJ(c.font) : GetStockObject(DEFAULT_GUI_FONT));
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  auto back =
      reinterpret_cast<HBRUSH>(SendMessageW(c.notify, WM_CTLCOLORLISTBOX, WPARAM(dc), LPARAM(c.hwnd)));
  if (!IsWindow(self)) return;
  if (!back) back = SysBrush(COLOR_WINDOW);
  RECT client;
  GetClientRect(c.hwnd, &client);
  if (c.Simple()) {
    RECT f = FieldRect(c);
    FillRect(dc, &f, back);
  } else {
    RECT frame{0, 0, client.right, std::min(int(client.bottom), c.fieldHeight)};
    DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT);
    if (c.edit) {
      RECT f = FieldRect(c);
      FillRect(dc, &f, back);
    } else {
      DrawField(c, dc, back);
    }
    if (!IsWindow(self)) return;
    RECT b = ButtonRect(c);
    UINT state = DFCS_SCROLLCOMBOBOX | (c.buttonDown ? DFCS_PUSHED | DFCS_FLAT : 0) |
                 (IsWindowEnabled(c.hwnd) ? 0 : DFCS_INACTIVE);
    DrawFrameControl(dc, &b, DFC_SCROLL, state);
  }
  SelectObject(dc, oldFont);
  if (!given) EndPaint(c.hwnd, &ps);
}

}  // namespace qv::cb
