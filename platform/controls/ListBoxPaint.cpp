// Painting the list box: the owner's colours (WM_CTLCOLORLISTBOX), plain
// text rows with the highlight and the focus rectangle, or WM_DRAWITEM per
// row for owner-drawn lists.
#include <algorithm>

#include "platform/controls/ListBoxImpl.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemColors.h"
#include "platform/text/Text.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::lb {
namespace {

HBRUSH SysBrush(int index) {
  return reinterpret_cast<HBRUSH>(uintptr_t(index + 1));
}

void DrawOwnerItem(ListBox& lb, HDC dc, int i, const RECT& r, bool enabled) {
  auto& item = lb.items[std::size_t(i)];
  DRAWITEMSTRUCT dis;
  dis.CtlType = ODT_LISTBOX;
  dis.CtlID = lb.id;
  dis.itemID = UINT(i);
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState = (item.selected ? ODS_SELECTED : 0) | (lb.focused && i == lb.caret ? ODS_FOCUS : 0) |
                  (enabled ? 0 : ODS_DISABLED);
  dis.hwndItem = lb.hwnd;
  dis.hDC = dc;
  dis.rcItem = r;
  dis.itemData = item.data;
  int saved = SaveDC(dc);
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  SendMessageW(lb.notify, WM_DRAWITEM, lb.id, LPARAM(&dis));
  RestoreDC(dc, saved);
}

void DrawTextItem(ListBox& lb, HDC dc, int i, const RECT& r, HBRUSH back, COLORREF text, bool enabled) {
  auto& item = lb.items[std::size_t(i)];
  bool selected = item.selected && !(lb.style & LBS_NOSEL);
  FillRect(dc, &r, selected ? SysBrush(COLOR_HIGHLIGHT) : back);
  SetTextColor(dc, !enabled   ? GetSysColor(COLOR_GRAYTEXT)
                   : selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                              : text);
  RECT tr{r.left + 2, r.top, r.right, r.bottom};
  UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (lb.style & LBS_USETABSTOPS ? DT_EXPANDTABS : 0);
  DrawTextW(dc, item.text.c_str(), int(item.text.size()), &tr, flags);
  if (lb.focused && i == lb.caret) DrawFocusRect(dc, &r);
}

}  // namespace

void Paint(ListBox& lb, HDC given) {
  PAINTSTRUCT ps;
  HDC dc = given ? given : BeginPaint(lb.hwnd, &ps);
  if (!dc) return;
  if (given) GetClipBox(dc, &ps.rcPaint);
  if (!lb.redraw) {
    if (!given) EndPaint(lb.hwnd, &ps);
    return;
  }
  auto alive = lb.hwnd;
  HGDIOBJ oldFont = SelectObject(dc, lb.font ? HGDIOBJ(lb.font) : GetStockObject(DEFAULT_GUI_FONT));
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  HBRUSH back =
      lb.notify
          ? reinterpret_cast<HBRUSH>(SendMessageW(lb.notify, WM_CTLCOLORLISTBOX, WPARAM(dc), LPARAM(lb.hwnd)))
          : nullptr;
  if (!IsWindow(alive)) return;
  if (!back) back = SysBrush(COLOR_WINDOW);
  COLORREF text = GetTextColor(dc);
  SetBkMode(dc, TRANSPARENT);
  bool enabled = IsWindowEnabled(lb.hwnd);
  RECT client = ClientRectOf(lb);
  int y = 0;
  for (int i = lb.top; i < lb.Count() && y < client.bottom; ++i) {
    int h = ItemHeightOf(lb, i);
    RECT r{-lb.horzPos, y, std::max(int(client.right), lb.horzExtent) - lb.horzPos, y + h};
    y += h;
    RECT overlap;
    if (!IntersectRect(&overlap, &r, &ps.rcPaint)) continue;
    if (lb.OwnerDraw()) {
      DrawOwnerItem(lb, dc, i, r, enabled);
      if (!IsWindow(alive)) return;
    } else {
      DrawTextItem(lb, dc, i, r, back, text, enabled);
    }
  }
  if (y < client.bottom) {
    RECT rest{0, y, client.right, client.bottom};
    FillRect(dc, &rest, back);
  }
  // An empty focused list still shows where the caret is.
  if (lb.Count() == 0 && lb.focused && !lb.inCombo) {
    RECT r{0, 0, client.right, lb.itemHeight};
    DrawFocusRect(dc, &r);
  }
  SelectObject(dc, oldFont);
  if (!given) EndPaint(lb.hwnd, &ps);
}

}  // namespace qv::lb
