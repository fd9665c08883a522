// Tree view geometry and painting: where a row's button, state image,
// image and label lie, hit testing, and painting the shown rows (with lines,
// buttons, check boxes and custom draw) in the order the parent expects:
// the whole-control prepaint, each item's prepaint and postpaint, then the
// whole-control postpaint.
#include <algorithm>

#include "platform/comctl/TreeViewState.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemColors.h"
#include "platform/text/Text.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::tree {

namespace {

bool HasStateIcon(TreeState& s, Item* item) {
  if (s.Style() & TVS_CHECKBOXES) return true;
  return s.stateImages && (item->state & TVIS_STATEIMAGEMASK);
}

int IconWidth(HIMAGELIST list) {
  int cx = 0, cy = 0;
  return list && ImageList_GetIconSize(list, &cx, &cy) ? cx : 0;
}

int FirstColumn(TreeState& s, Item* item) {
  DWORD style = s.Style();
  return item->level + ((style & TVS_LINESATROOT) && (style & (TVS_HASLINES | TVS_HASBUTTONS)) ? 1 : 0);
}

}  // namespace

int LabelWidth(TreeState& s, Item* item) {
  if (item->width >= 0 && !item->textCallback && item->widthGeneration == s.measureGeneration)
    return item->width;
  std::u16string text = TextOf(s, item);
  SIZE size;
  GetTextExtentPoint32W(s.measureDC, text.data(), int(text.size()), &size);
  item->width = size.cx + 4;
  item->widthGeneration = s.measureGeneration;
  return item->width;
}

RowLayout Layout(TreeState& s, Item* item, int y) {
  RowLayout l;
  RECT client;
  GetClientRect(s.hwnd, &client);
  l.row = RECT{0, y, client.right, y + s.itemHeight};
  int x = FirstColumn(s, item) * s.indent - s.xScroll;
  l.indentRight = x;
  if ((s.Style() & TVS_HASBUTTONS) && x > -s.xScroll && HasButton(s, item)) {
    int cx = x - s.indent / 2, cy = y + s.itemHeight / 2;
    l.button = RECT{cx - 4, cy - 4, cx + 5, cy + 5};
  }
  if (HasStateIcon(s, item)) {
    int w = s.stateImages ? IconWidth(s.stateImages) : 16;
    l.stateIcon = RECT{x, y, x + w, y + s.itemHeight};
    x += w;
  }
  if (s.images) {
    int w = IconWidth(s.images);
    l.icon = RECT{x, y, x + w, y + s.itemHeight};
    x += w + 1;
  }
  l.label = RECT{x, y, x + LabelWidth(s, item), y + s.itemHeight};
  return l;
}

int RowFromTop(TreeState& s, Item* item, int limit) {
  if (!s.top) return limit + 1;
  int n = 0;
  for (Item* i = s.top; i && n <= limit; i = Model::NextShown(i), ++n)
    if (i == item) return n;
  n = 0;
  for (Item* i = s.top; i && n >= -limit; i = Model::PrevShown(i), --n)
    if (i == item) return n;
  // Further away: compare whole rows.
  return Model::RowOf(item) - TopRow(s);
}

Item* ItemAtY(TreeState& s, int y) {
  if (y < 0 || !s.top) return nullptr;
  Item* i = s.top;
  for (int row = y / s.itemHeight; i && row > 0; --row) i = Model::NextShown(i);
  return i;
}

UINT HitTest(TreeState& s, POINT p, Item** found) {
  *found = nullptr;
  RECT client;
  GetClientRect(s.hwnd, &client);
  UINT flags = 0;
  if (p.y < 0) flags |= TVHT_ABOVE;
  if (p.y >= client.bottom) flags |= TVHT_BELOW;
  if (p.x < 0) flags |= TVHT_TOLEFT;
  if (p.x >= client.right) flags |= TVHT_TORIGHT;
  if (flags) return flags;
  Item* item = ItemAtY(s, p.y);
  if (!item) return TVHT_NOWHERE;
  *found = item;
  RowLayout l = Layout(s, item, (p.y / s.itemHeight) * s.itemHeight);
  if (!IsRectEmpty(&l.button) && p.x >= l.button.left - 2 && p.x < l.button.right + 2)
    return TVHT_ONITEMBUTTON;
  if (p.x < l.indentRight) return TVHT_ONITEMINDENT;
  if (!IsRectEmpty(&l.stateIcon) && p.x < l.stateIcon.right) return TVHT_ONITEMSTATEICON;
  if (!IsRectEmpty(&l.icon) && p.x < l.icon.right) return TVHT_ONITEMICON;
  if (p.x < l.label.right) return TVHT_ONITEMLABEL;
  return TVHT_ONITEMRIGHT;
}

namespace {

void DottedV(HDC dc, int x, int y0, int y1, COLORREF c) {
  for (int y = y0 + ((x + y0) & 1); y < y1; y += 2) SetPixelV(dc, x, y, c);
}
void DottedH(HDC dc, int x0, int x1, int y, COLORREF c) {
  for (int x = x0 + ((x0 + y) & 1); x < x1; x += 2) SetPixelV(dc, x, y, c);
}

void PaintLines(TreeState& s, HDC dc, Item* item, const RowLayout& l) {
  COLORREF c = GetSysColor(COLOR_GRAYTEXT);
  int col = FirstColumn(s, item);
  int y0 = l.row.top, y1 = l.row.bottom, cy = (y0 + y1) / 2;
  if (col == 0) return;
  int cx = col * s.indent - s.xScroll - s.indent / 2;
  // Own connector: up to the previous sibling or parent, down to the next sibling.
  bool up = item->prev || item->level > 0;
  DottedV(dc, cx, up ? y0 : cy, item->next ? y1 : cy + 1, c);
  DottedH(dc, cx, l.indentRight - 2, cy, c);
  // Ancestors that have siblings below carry their line through this row.
  int ancestorCol = col - 1;
  for (Item* a = item->parent; a && a->level >= 0 && ancestorCol > 0; a = a->parent, --ancestorCol) {
    if (!a->next) continue;
    DottedV(dc, ancestorCol * s.indent - s.xScroll - s.indent / 2, y0, y1, c);
  }
}

void PaintButton(HDC dc, const RECT& b, bool expanded) {
  HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_GRAYTEXT));
  RECT inner = b;
  FillRect(dc, &inner, reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1)));
  FrameRect(dc, &inner, frame);
  DeleteObject(frame);
  COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
  int cx = (b.left + b.right) / 2, cy = (b.top + b.bottom) / 2;
  for (int x = b.left + 2; x < b.right - 2; ++x) SetPixelV(dc, x, cy, ink);
  if (!expanded)
    for (int y = b.top + 2; y < b.bottom - 2; ++y) SetPixelV(dc, cx, y, ink);
}

void PaintLabel(TreeState& s, HDC dc, Item* item, const RowLayout& l, const NMTVCUSTOMDRAW& cd,
                bool showSel) {
  DWORD style = s.Style();
  RECT fill = l.label;
  if ((style & TVS_FULLROWSELECT) && !(style & TVS_HASLINES)) fill.right = l.row.right;
  if (showSel || cd.clrTextBk != comctl::ColourOr(s.bk, COLOR_WINDOW)) {
    HBRUSH b = CreateSolidBrush(cd.clrTextBk);
    FillRect(dc, &fill, b);
    DeleteObject(b);
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, cd.clrText);
  std::u16string text = TextOf(s, item);
  RECT tr = l.label;
  tr.left += 2;
  DrawTextW(dc, text.data(), int(text.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
  if (item == s.hot && (style & TVS_TRACKSELECT)) {
    SIZE size;
    GetTextExtentPoint32W(dc, text.data(), int(text.size()), &size);
    HPEN pen = CreatePen(PS_SOLID, 1, cd.clrText);
    HGDIOBJ old = SelectObject(dc, pen);
    int uy = (tr.top + tr.bottom + s.textHeight) / 2 - 1;
    MoveToEx(dc, tr.left, uy, nullptr);
    LineTo(dc, tr.left + size.cx, uy);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  if (s.focused && item == KeyItem(s)) DrawFocusRect(dc, &fill);
}

void PaintItem(TreeState& s, HDC dc, Item* item, int y, bool itemDraw) {
  DWORD style = s.Style();
  HWND hwnd = s.hwnd;
  RowLayout l = Layout(s, item, y);
  bool selected = item == s.selected || item == s.dropHilite;
  bool showSel = selected && (s.focused || (style & TVS_SHOWSELALWAYS) || item == s.dropHilite);
  NMTVCUSTOMDRAW cd;
  cd.clrText = comctl::ColourOr(s.text, COLOR_WINDOWTEXT);
  cd.clrTextBk = comctl::ColourOr(s.bk, COLOR_WINDOW);
  if (showSel) {
    bool strong = s.focused || item == s.dropHilite;
    cd.clrText = GetSysColor(strong ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    cd.clrTextBk = GetSysColor(strong ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
  }
  LRESULT answer = CDRF_DODEFAULT;
  int saved = 0;
  if (itemDraw) {
    saved = SaveDC(dc);
    cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    cd.nmcd.hdc = dc;
    cd.nmcd.rc = l.row;
    cd.nmcd.dwItemSpec = uintptr_t(item);
    cd.nmcd.lItemlParam = item->param;
    cd.nmcd.uItemState = (selected ? CDIS_SELECTED : 0) | (item == s.selected && s.focused ? CDIS_FOCUS : 0) |
                         (item == s.hot ? CDIS_HOT : 0);
    cd.iLevel = item->level;
    answer = comctl::Notify(hwnd, cd.nmcd.hdr, NM_CUSTOMDRAW);
    if (!IsWindow(hwnd) || !s.model.FindItem(item->Handle())) return;
  }
  if (!(answer & CDRF_SKIPDEFAULT)) {
    if (style & TVS_HASLINES) PaintLines(s, dc, item, l);
    if (!IsRectEmpty(&l.button)) PaintButton(dc, l.button, item->Expanded());
    if (!IsRectEmpty(&l.stateIcon)) {
      int index = int((item->state & TVIS_STATEIMAGEMASK) >> 12);
      if (s.stateImages) {
        if (index > 0) ImageList_Draw(s.stateImages, index, dc, l.stateIcon.left, y, ILD_TRANSPARENT);
      } else {
        comctl::DrawCheckBox(dc, l.stateIcon, index == 2);
      }
    }
    if (s.images) {
      int image = ImageOf(s, item, item == s.selected);
      int cx = 0, cy = 0;
      ImageList_GetIconSize(s.images, &cx, &cy);
      UINT overlay = item->state & TVIS_OVERLAYMASK;
      if (image >= 0)
        ImageList_Draw(s.images, image, dc, l.icon.left, y + (s.itemHeight - cy) / 2,
                       ILD_TRANSPARENT | overlay | ((item->state & TVIS_CUT) ? ILD_SELECTED : 0));
    }
    if (item != s.editItem) PaintLabel(s, dc, item, l, cd, showSel);
    s.maxWidth = std::max(s.maxWidth, int(l.label.right + s.xScroll));
  }
  if (itemDraw) {
    RestoreDC(dc, saved);
    if (answer & CDRF_NOTIFYPOSTPAINT) {
      cd.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
      comctl::Notify(hwnd, cd.nmcd.hdr, NM_CUSTOMDRAW);
    }
  }
}

}  // namespace

void Paint(TreeState& s, HDC dc, const RECT& clip) {
  HWND hwnd = s.hwnd;
  RECT client;
  GetClientRect(hwnd, &client);
  NMTVCUSTOMDRAW cd;
  LRESULT answer = comctl::CustomDrawPrePaint(s, dc, client, cd.nmcd);
  if (!IsWindow(hwnd) || (answer & CDRF_SKIPDEFAULT)) return;
  HBRUSH bk = CreateSolidBrush(comctl::ColourOr(s.bk, COLOR_WINDOW));
  FillRect(dc, &clip, bk);
  DeleteObject(bk);
  int widest = s.maxWidth;
  int y = 0;
  for (Item* i = s.top; i && y < client.bottom; i = Model::NextShown(i), y += s.itemHeight) {
    if (y + s.itemHeight <= clip.top) continue;
    if (y >= clip.bottom) break;
    PaintItem(s, dc, i, y, answer & CDRF_NOTIFYITEMDRAW);
    if (!IsWindow(hwnd)) return;
  }
  if (s.focused && !s.model.Root()->first) {
    RECT frame = client;
    InflateRect(&frame, -1, -1);
    DrawFocusRect(dc, &frame);
  }
  comctl::CustomDrawPostPaint(s, answer, cd.nmcd);
  if (IsWindow(hwnd) && s.maxWidth != widest) PostMessageW(hwnd, kWidthGrewMessage, 0, 0);
}

}  // namespace qv::tree
