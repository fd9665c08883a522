// List view painting: the shown items of the current view with check boxes,
// images, labels and sub-items, selection and focus, grid lines, and custom
// draw in the order the parent expects (whole control, each item, each
// sub-item when asked, then the item's and the control's postpaint).
#include <algorithm>

#include "platform/comctl/ListViewState.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemColors.h"
#include "platform/text/Text.h"
#include "platform/window/Paint.h"

namespace qv::list {

namespace {

struct ItemColours {
  COLORREF text, back;
  bool selected;
};

ItemColours ColoursOf(ListState& s, int index) {
  ItemColours c;
  c.text = comctl::ColourOr(s.text, COLOR_WINDOWTEXT);
  c.back = comctl::ColourOr(s.textBk, COLOR_WINDOW);
  if (s.textBk == CLR_DEFAULT_COLOR) c.back = comctl::ColourOr(s.bk, COLOR_WINDOW);
  UINT state = StateOf(s, index, LVIS_SELECTED | LVIS_DROPHILITED);
  c.selected = (state & LVIS_DROPHILITED) ||
               ((state & LVIS_SELECTED) && (s.focused || (s.Style() & LVS_SHOWSELALWAYS)));
  if (c.selected) {
    bool strong = s.focused || (state & LVIS_DROPHILITED);
    c.text = GetSysColor(strong ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    c.back = GetSysColor(strong ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
  }
  return c;
}

void Fill(HDC dc, RECT r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

UINT Align(int fmt) {
  int j = fmt & LVCFMT_JUSTIFYMASK;
  return j == LVCFMT_RIGHT ? DT_RIGHT : j == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
}

void Text(HDC dc, const std::u16string& t, RECT r, UINT align, COLORREF colour) {
  InflateRect(&r, -3, 0);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  DrawTextW(dc, t.data(), int(t.size()), &r,
            align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

// Paints the first column's parts (state, image, label) of an item.
void PaintMain(ListState& s, HDC dc, int index, const ItemParts& p, const NMLVCUSTOMDRAW& cd, bool selected) {
  DWORD view = s.View();
  if (!IsRectEmpty(&p.state)) {
    int st = int(StateOf(s, index, LVIS_STATEIMAGEMASK) >> 12);
    if (s.stateImages) {
      if (st > 0) ImageList_Draw(s.stateImages, st - 1, dc, p.state.left, p.state.top, ILD_TRANSPARENT);
    } else {
      comctl::DrawCheckBox(dc, p.state, st == 2);
    }
  }
  HIMAGELIST list = view == LVS_ICON ? s.normal : s.small;
  if (list && !IsRectEmpty(&p.icon)) {
    int image = ImageOf(s, index);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    UINT overlay = StateOf(s, index, LVIS_OVERLAYMASK);
    if (image >= 0)
      ImageList_Draw(list, image, dc, p.icon.left + (p.icon.right - p.icon.left - cx) / 2,
                     p.icon.top + (p.icon.bottom - p.icon.top - cy) / 2,
                     ILD_TRANSPARENT | overlay | (selected && s.focused ? ILD_SELECTED : 0));
  }
  if (index == s.editIndex) return;
  RECT label = p.label;
  std::u16string t = TextOf(s, index, 0);
  if (view == LVS_ICON) {
    SIZE size;
    GetTextExtentPoint32W(dc, t.data(), int(t.size()), &size);
    int w = std::min(int(label.right - label.left), int(size.cx) + 6);
    label.left = (p.label.left + p.label.right - w) / 2;
    label.right = label.left + w;
    label.bottom = label.top + s.textHeight + 2;
  }
  bool fullRow = view == LVS_REPORT && (s.ext & LVS_EX_FULLROWSELECT);
  if (!fullRow && (selected || cd.clrTextBk != comctl::ColourOr(s.bk, COLOR_WINDOW)))
    Fill(dc, label, cd.clrTextBk);
  UINT align = view == LVS_ICON                           ? DT_CENTER
               : view == LVS_REPORT && !s.columns.empty() ? Align(s.columns[0].fmt)
                                                          : DT_LEFT;
  Text(dc, t, label, align, cd.clrText);
  if (index == s.focusedIndex && s.focused && !fullRow) DrawFocusRect(dc, &label);
}

void PaintItem(ListState& s, HDC dc, int index, bool itemDraw) {
  HWND hwnd = s.hwnd;
  DWORD view = s.View();
  ItemParts p = Parts(s, index);
  ItemColours colours = ColoursOf(s, index);
  NMLVCUSTOMDRAW cd;
  cd.clrText = colours.text;
  cd.clrTextBk = colours.back;
  RECT row = p.bounds;
  LRESULT answer = CDRF_DODEFAULT;
  int saved = SaveDC(dc);
  if (itemDraw) {
    cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    cd.nmcd.hdc = dc;
    cd.nmcd.rc = row;
    cd.nmcd.dwItemSpec = uintptr_t(index);
    cd.nmcd.lItemlParam = s.OwnerData() ? 0 : s.rows[size_t(index)].param;
    cd.nmcd.uItemState = (colours.selected ? CDIS_SELECTED : 0) |
                         (index == s.focusedIndex && s.focused ? CDIS_FOCUS : 0) |
                         (index == s.hot ? CDIS_HOT : 0);
    answer = comctl::Notify(hwnd, cd.nmcd.hdr, NM_CUSTOMDRAW);
    if (!IsWindow(hwnd) || !s.Valid(index)) return;
  }
  if (!(answer & CDRF_SKIPDEFAULT)) {
    bool fullRow = view == LVS_REPORT && (s.ext & LVS_EX_FULLROWSELECT);
    if (fullRow && (colours.selected || cd.clrTextBk != comctl::ColourOr(s.bk, COLOR_WINDOW)))
      Fill(dc, row, cd.clrTextBk);
    if (view != LVS_REPORT) {
      PaintMain(s, dc, index, p, cd, colours.selected);
    } else {
      for (int column : s.order) {
        NMLVCUSTOMDRAW sub = cd;
        if (answer & CDRF_NOTIFYSUBITEMDRAW) {
          sub.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
          sub.iSubItem = column;
          sub.nmcd.rc = SubItemRect(s, index, column);
          if (comctl::Notify(hwnd, sub.nmcd.hdr, NM_CUSTOMDRAW) & CDRF_SKIPDEFAULT) continue;
          if (!IsWindow(hwnd) || !s.Valid(index)) return;
        }
        if (column == 0) {
          PaintMain(s, dc, index, p, sub, colours.selected);
        } else {
          RECT r = SubItemRect(s, index, column);
          COLORREF textColour =
              fullRow || sub.clrText != cd.clrText ? sub.clrText : comctl::ColourOr(s.text, COLOR_WINDOWTEXT);
          if (sub.clrTextBk != cd.clrTextBk) Fill(dc, r, sub.clrTextBk);
          Text(dc, TextOf(s, index, s.columns[size_t(column)].subItem), r,
               Align(s.columns[size_t(column)].fmt), textColour);
        }
      }
      if (fullRow && index == s.focusedIndex && s.focused) DrawFocusRect(dc, &row);
    }
  }
  RestoreDC(dc, saved);
  if (answer & CDRF_NOTIFYPOSTPAINT) {
    cd.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
    comctl::Notify(hwnd, cd.nmcd.hdr, NM_CUSTOMDRAW);
  }
}

void GridLines(ListState& s, HDC dc, const RECT& client) {
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE));
  HGDIOBJ old = SelectObject(dc, pen);
  int top = HeaderHeight(s);
  for (int y = top + s.rowHeight - 1; y < client.bottom; y += s.rowHeight) {
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, client.right, y);
  }
  int x = -s.xScroll;
  for (int c : s.order) {
    x += s.columns[size_t(c)].width;
    MoveToEx(dc, x - 1, top, nullptr);
    LineTo(dc, x - 1, client.bottom);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

}  // namespace

void Paint(ListState& s, HDC dc, const RECT& clip) {
  HWND hwnd = s.hwnd;
  RECT client;
  GetClientRect(hwnd, &client);
  // The background first: what the parent paints before the items (a
  // picture behind the rows) stays under them.
  Fill(dc, clip, comctl::ColourOr(s.bk, COLOR_WINDOW));
  NMLVCUSTOMDRAW cd;
  LRESULT answer = comctl::CustomDrawPrePaint(s, dc, client, cd.nmcd);
  if (!IsWindow(hwnd) || (answer & CDRF_SKIPDEFAULT)) return;
  int first = FirstVisible(s), last = std::min(s.Count(), first + VisibleCount(s));
  for (int i = std::max(first, 0); i < last; ++i) {
    RECT r = Parts(s, i).bounds;
    if (s.View() == LVS_REPORT) r.left = 0, r.right = client.right;
    RECT hit;
    if (!IntersectRect(&hit, &r, &clip)) continue;
    PaintItem(s, dc, i, answer & CDRF_NOTIFYITEMDRAW);
    if (!IsWindow(hwnd)) return;
    last = std::min(last, s.Count());
  }
  if (s.View() == LVS_REPORT && (s.ext & LVS_EX_GRIDLINES)) GridLines(s, dc, client);
  comctl::CustomDrawPostPaint(s, answer, cd.nmcd);
}

}  // namespace qv::list
