// List view geometry: the columns and the header child that shows them,
// where each item lies in the report, list, small-icon and icon views, hit
// testing, and scrolling.
#include <algorithm>

#include "platform/comctl/ListViewState.h"
#include "platform/controls/ControlPaint.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"

namespace qv::list {

namespace {

int IconSize(HIMAGELIST list, bool height) {
  int cx = 0, cy = 0;
  if (!list || !ImageList_GetIconSize(list, &cx, &cy)) return 0;
  return height ? cy : cx;
}

HDITEMW HeaderItem(const Column& c) {
  HDITEMW h;
  h.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | HDI_IMAGE;
  h.pszText = const_cast<char16_t*>(c.text.c_str());
  h.cxy = c.width;
  h.fmt = HDF_STRING | (c.fmt & LVCFMT_JUSTIFYMASK) | ((c.fmt & LVCFMT_IMAGE) ? HDF_IMAGE : 0);
  h.iImage = c.image;
  return h;
}

int IconCellWidth(ListState& s) {
  return std::max(IconSize(s.normal, false) + 40, 76);
}
int IconCellHeight(ListState& s) {
  return std::max(IconSize(s.normal, true), 32) + 2 * s.textHeight + 10;
}

int PerRow(ListState& s) {
  RECT client;
  GetClientRect(s.hwnd, &client);
  int cell = s.View() == LVS_ICON ? IconCellWidth(s) : CellWidth(s);
  return std::max(1, int(client.right) / std::max(1, cell));
}

}  // namespace

int TotalColumnWidth(ListState& s) {
  int w = 0;
  for (const Column& c : s.columns) w += c.width;
  return w;
}

int ColumnLeft(ListState& s, int column) {
  int x = 0;
  for (int c : s.order) {
    if (c == column) return x;
    x += s.columns[size_t(c)].width;
  }
  return x;
}

int InsertColumn(ListState& s, int index, const LVCOLUMNW& col) {
  index = std::clamp(index, 0, int(s.columns.size()));
  Column c;
  c.subItem = index;
  s.columns.insert(s.columns.begin() + index, c);
  for (int& o : s.order)
    if (o >= index) ++o;
  s.order.push_back(index);
  LVCOLUMNW copy = col;
  copy.mask &= ~LVCF_ORDER;
  SetColumn(s, index, copy);
  if (s.header) {
    HDITEMW h = HeaderItem(s.columns[size_t(index)]);
    SendMessageW(s.header, HDM_INSERTITEMW, WPARAM(index), LPARAM(&h));
    std::vector<int> order = s.order;
    SendMessageW(s.header, HDM_SETORDERARRAY, order.size(), LPARAM(order.data()));
  }
  LayoutChanged(s);
  return index;
}

bool SetColumn(ListState& s, int index, const LVCOLUMNW& col) {
  if (index < 0 || index >= int(s.columns.size())) return false;
  Column& c = s.columns[size_t(index)];
  if (col.mask & LVCF_FMT) c.fmt = col.fmt;
  if (col.mask & LVCF_WIDTH) c.width = std::max(0, col.cx);
  if (col.mask & LVCF_TEXT) c.text = col.pszText ? col.pszText : u"";
  if (col.mask & LVCF_IMAGE) c.image = col.iImage;
  if (col.mask & LVCF_SUBITEM) c.subItem = col.iSubItem;
  if (col.mask & LVCF_ORDER) {
    s.order.erase(std::find(s.order.begin(), s.order.end(), index));
    s.order.insert(s.order.begin() + std::clamp(col.iOrder, 0, int(s.order.size())), index);
  }
  if (s.header && index < int(SendMessageW(s.header, HDM_GETITEMCOUNT, 0, 0))) {
    HDITEMW h = HeaderItem(c);
    SendMessageW(s.header, HDM_SETITEMW, WPARAM(index), LPARAM(&h));
    std::vector<int> order = s.order;
    SendMessageW(s.header, HDM_SETORDERARRAY, order.size(), LPARAM(order.data()));
  }
  LayoutChanged(s);
  return true;
}

bool GetColumn(ListState& s, int index, LVCOLUMNW& col) {
  if (index < 0 || index >= int(s.columns.size())) return false;
  const Column& c = s.columns[size_t(index)];
  if (col.mask & LVCF_FMT) col.fmt = c.fmt;
  if (col.mask & LVCF_WIDTH) col.cx = c.width;
  if (col.mask & LVCF_TEXT) comctl::CopyText(c.text, col.pszText, col.cchTextMax);
  if (col.mask & LVCF_IMAGE) col.iImage = c.image;
  if (col.mask & LVCF_SUBITEM) col.iSubItem = c.subItem;
  if (col.mask & LVCF_ORDER)
    col.iOrder = int(std::find(s.order.begin(), s.order.end(), index) - s.order.begin());
  return true;
}

bool DeleteColumn(ListState& s, int index) {
  if (index < 0 || index >= int(s.columns.size())) return false;
  s.columns.erase(s.columns.begin() + index);
  s.order.erase(std::find(s.order.begin(), s.order.end(), index));
  for (int& o : s.order)
    if (o > index) --o;
  if (s.header) SendMessageW(s.header, HDM_DELETEITEM, WPARAM(index), 0);
  LayoutChanged(s);
  return true;
}

bool SetColumnWidth(ListState& s, int index, int width) {
  if (s.View() == LVS_LIST) {
    s.listColumnWidth = std::max(width, 1);
    LayoutChanged(s);
    return true;
  }
  if (index < 0 || index >= int(s.columns.size())) return false;
  if (width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER) {
    int widest = 0;
    SIZE size;
    for (int i = 0; i < s.Count(); ++i) {
      std::u16string t = TextOf(s, i, s.columns[size_t(index)].subItem);
      GetTextExtentPoint32W(s.measureDC, t.data(), int(t.size()), &size);
      widest = std::max(widest, int(size.cx));
    }
    widest += 12 + (index == 0 ? IconSize(s.small, false) + ((s.ext & LVS_EX_CHECKBOXES) ? 16 : 0) : 0);
    if (width == LVSCW_AUTOSIZE_USEHEADER) {
      const std::u16string& t = s.columns[size_t(index)].text;
      GetTextExtentPoint32W(s.measureDC, t.data(), int(t.size()), &size);
      widest = std::max(widest, int(size.cx) + 16);
    }
    width = widest;
  }
  LVCOLUMNW c;
  c.mask = LVCF_WIDTH;
  c.cx = width;
  return SetColumn(s, index, c);
}

void UpdateHeader(ListState& s) {
  bool report = s.View() == LVS_REPORT;
  if (!report) {
    if (s.header) ShowWindow(s.header, SW_HIDE);
    return;
  }
  DWORD style = s.Style();
  if (!s.header) {
    RegisterHeaderClass();
    DWORD hs =
        WS_CHILD | HDS_HORZ | HDS_FULLDRAG | HDS_DRAGDROP | ((style & LVS_NOSORTHEADER) ? 0 : HDS_BUTTONS);
    s.header = CreateWindowExW(0, WC_HEADER, u"", hs, 0, 0, 0, 0, s.hwnd, nullptr, nullptr, nullptr);
    if (!s.header) return;
    SendMessageW(s.header, WM_SETFONT, WPARAM(GetCurrentObject(s.measureDC, OBJ_FONT)), 0);
    for (size_t i = 0; i < s.columns.size(); ++i) {
      HDITEMW h = HeaderItem(s.columns[i]);
      SendMessageW(s.header, HDM_INSERTITEMW, i, LPARAM(&h));
    }
    std::vector<int> order = s.order;
    SendMessageW(s.header, HDM_SETORDERARRAY, order.size(), LPARAM(order.data()));
    SendMessageW(s.header, HDM_SETIMAGELIST, 0, LPARAM(s.small));
  }
  RECT client;
  GetClientRect(s.hwnd, &client);
  WINDOWPOS wp;
  HDLAYOUT layout{&client, &wp};
  SendMessageW(s.header, HDM_LAYOUT, 0, LPARAM(&layout));
  int width = std::max(int(client.right) + s.xScroll, TotalColumnWidth(s) + 100);
  SetWindowPos(s.header, nullptr, -s.xScroll, 0, width, (style & LVS_NOCOLUMNHEADER) ? 0 : wp.cy,
               SWP_NOZORDER);
  ShowWindow(s.header, (style & LVS_NOCOLUMNHEADER) ? SW_HIDE : SW_SHOWNA);
}

LRESULT HeaderNotify(ListState& s, NMHDR* hdr) {
  auto* nm = reinterpret_cast<NMHEADERW*>(hdr);
  switch (hdr->code) {
    case HDN_ITEMCHANGEDW:
      if (nm->pitem && (nm->pitem->mask & HDI_WIDTH) && nm->iItem >= 0 && nm->iItem < int(s.columns.size()) &&
          s.columns[size_t(nm->iItem)].width != nm->pitem->cxy) {
        s.columns[size_t(nm->iItem)].width = std::max(0, nm->pitem->cxy);
        LayoutChanged(s);
      }
      return 0;
    case HDN_ITEMCLICKW:
      if (!(s.Style() & LVS_NOSORTHEADER)) NotifyList(s, LVN_COLUMNCLICK, -1, nm->iItem);
      return 0;
    case HDN_DIVIDERDBLCLICKW:
      SetColumnWidth(s, nm->iItem, LVSCW_AUTOSIZE_USEHEADER);
      return 0;
    case HDN_BEGINDRAG:
      return (s.ext & LVS_EX_HEADERDRAGDROP) ? 0 : 1;
    case HDN_ENDDRAG:
      PostMessageW(s.hwnd, kHeaderOrderMessage, 0, 0);
      return 0;
  }
  return 0;
}

void MeasureFont(ListState& s) {
  comctl::SelectMeasureFont(s);
  int h = s.textHeight + 4;
  h = std::max(h, IconSize(s.small, true) + 1);
  if (s.ext & LVS_EX_CHECKBOXES) h = std::max(h, 16);
  s.rowHeight = h;
  s.listColumnWidth = -1;
}

// The header's own visibility, not its parents': a list laid out while it is
// hidden (filled before its page is shown) counts the header's rows too.
int HeaderHeight(ListState& s) {
  if (s.View() != LVS_REPORT || !s.header || !(GetWindowLongPtrW(s.header, GWL_STYLE) & WS_VISIBLE)) return 0;
  RECT r;
  GetWindowRect(s.header, &r);
  return r.bottom - r.top;
}

int RowsPerPage(ListState& s) {
  RECT client;
  GetClientRect(s.hwnd, &client);
  int h = int(client.bottom) - HeaderHeight(s);
  return std::max(1, h / s.rowHeight);
}

int CellWidth(ListState& s) {
  if (s.listColumnWidth > 0) return s.listColumnWidth;
  int widest = 0;
  SIZE size;
  // Owner data asks only for the rows a page shows; others measure every label once.
  int n = s.OwnerData() ? std::min(s.Count(), 100) : s.Count();
  for (int i = 0; i < n; ++i) {
    std::u16string t = TextOf(s, i, 0);
    GetTextExtentPoint32W(s.measureDC, t.data(), int(t.size()), &size);
    widest = std::max(widest, int(size.cx));
  }
  int w = std::min(widest, 300) + 12 + IconSize(s.small, false) + ((s.ext & LVS_EX_CHECKBOXES) ? 16 : 0);
  s.listColumnWidth = w;
  return w;
}

void WidenCells(ListState& s, int index) {
  if (s.listColumnWidth <= 0 || !s.Valid(index)) return;
  std::u16string t = TextOf(s, index, 0);
  SIZE size;
  GetTextExtentPoint32W(s.measureDC, t.data(), int(t.size()), &size);
  int w =
      std::min(int(size.cx), 300) + 12 + IconSize(s.small, false) + ((s.ext & LVS_EX_CHECKBOXES) ? 16 : 0);
  s.listColumnWidth = std::max(s.listColumnWidth, w);
}

ItemParts Parts(ListState& s, int index) {
  ItemParts p;
  DWORD view = s.View();
  int x = 0, y = 0, w = 0, h = s.rowHeight;
  if (view == LVS_REPORT) {
    x = -s.xScroll;
    y = HeaderHeight(s) + (index - s.top) * s.rowHeight;
    w = TotalColumnWidth(s);
  } else if (view == LVS_LIST) {
    int rows = RowsPerPage(s);
    w = CellWidth(s);
    x = (index / rows - s.top) * w;
    y = (index % rows) * s.rowHeight;
  } else if (view == LVS_SMALLICON) {
    int per = PerRow(s);
    w = CellWidth(s);
    x = (index % per) * w;
    y = (index / per) * s.rowHeight - s.yScroll;
  } else {
    int per = PerRow(s);
    w = IconCellWidth(s);
    h = IconCellHeight(s);
    x = (index % per) * w;
    y = (index / per) * h - s.yScroll;
  }
  p.bounds = RECT{x, y, x + w, y + h};
  if (view == LVS_ICON) {
    int iw = std::max(IconSize(s.normal, false), 32), ih = std::max(IconSize(s.normal, true), 32);
    p.icon = RECT{x + (w - iw) / 2, y + 2, x + (w + iw) / 2, y + 2 + ih};
    if (s.ext & LVS_EX_CHECKBOXES)
      p.state = RECT{p.icon.left - 16, p.icon.bottom - 16, p.icon.left, p.icon.bottom};
    p.label = RECT{x + 2, p.icon.bottom + 2, x + w - 2, y + h - 2};
    return p;
  }
  int cx = x + 2;
  int firstRight = view == LVS_REPORT ? x + (s.columns.empty() ? w : s.columns[0].width) : x + w;
  if (view == LVS_REPORT && !s.order.empty() && s.order[0] != 0) {
    cx = x + ColumnLeft(s, 0) + 2;
    firstRight = cx - 2 + s.columns[0].width;
  }
  if ((s.ext & LVS_EX_CHECKBOXES) || (s.stateImages && StateOf(s, index, LVIS_STATEIMAGEMASK))) {
    p.state = RECT{cx, y, cx + 16, y + h};
    cx += 16;
  }
  if (s.small) {
    int iw = IconSize(s.small, false);
    p.icon = RECT{cx, y, cx + iw, y + h};
    cx += iw + 2;
  }
  int right = firstRight;
  if (view != LVS_REPORT) {
    std::u16string t = TextOf(s, index, 0);
    SIZE size;
    GetTextExtentPoint32W(s.measureDC, t.data(), int(t.size()), &size);
    right = std::min(int(x + w), int(cx + size.cx + 6));
  }
  p.label = RECT{cx, y, std::max(cx, right), y + h};
  return p;
}

RECT SubItemRect(ListState& s, int index, int column) {
  ItemParts p = Parts(s, index);
  if (column <= 0 || column >= int(s.columns.size())) {
    RECT r = p.bounds;
    if (column == 0 && s.View() == LVS_REPORT) {
      r.left = p.bounds.left + ColumnLeft(s, 0);
      r.right = r.left + s.columns[0].width;
    }
    return r;
  }
  int left = p.bounds.left + ColumnLeft(s, column);
  return RECT{left, p.bounds.top, left + s.columns[size_t(column)].width, p.bounds.bottom};
}

int FirstVisible(ListState& s) {
  DWORD view = s.View();
  if (view == LVS_REPORT) return s.top;
  if (view == LVS_LIST) return s.top * RowsPerPage(s);
  int cellH = view == LVS_ICON ? IconCellHeight(s) : s.rowHeight;
  return (s.yScroll / cellH) * PerRow(s);
}

int VisibleCount(ListState& s) {
  RECT client;
  GetClientRect(s.hwnd, &client);
  DWORD view = s.View();
  if (view == LVS_REPORT) return RowsPerPage(s) + 1;
  if (view == LVS_LIST) return (int(client.right) / CellWidth(s) + 1) * RowsPerPage(s);
  int cellH = view == LVS_ICON ? IconCellHeight(s) : s.rowHeight;
  return (int(client.bottom) / cellH + 2) * PerRow(s);
}

int HitTest(ListState& s, POINT p, UINT* flags, int* sub) {
  RECT client;
  GetClientRect(s.hwnd, &client);
  *flags = 0;
  if (sub) *sub = 0;
  if (p.y < 0) *flags |= LVHT_ABOVE;
  if (p.y >= client.bottom) *flags |= LVHT_BELOW;
  if (p.x < 0) *flags |= LVHT_TOLEFT;
  if (p.x >= client.right) *flags |= LVHT_TORIGHT;
  if (*flags) return -1;
  DWORD view = s.View();
  int index = -1;
  if (view == LVS_REPORT) {
    int y = p.y - HeaderHeight(s);
    if (y >= 0) index = s.top + y / s.rowHeight;
  } else if (view == LVS_LIST) {
    int rows = RowsPerPage(s);
    int row = p.y / s.rowHeight;
    if (row < rows) index = (s.top + p.x / CellWidth(s)) * rows + row;
  } else {
    int per = PerRow(s);
    int cw = view == LVS_ICON ? IconCellWidth(s) : CellWidth(s);
    int ch = view == LVS_ICON ? IconCellHeight(s) : s.rowHeight;
    int col = p.x / cw;
    if (col < per) index = ((p.y + s.yScroll) / ch) * per + col;
  }
  if (!s.Valid(index)) {
    *flags = LVHT_NOWHERE;
    return -1;
  }
  ItemParts parts = Parts(s, index);
  if (sub && view == LVS_REPORT) {
    for (size_t c = 0; c < s.columns.size(); ++c) {
      RECT r = SubItemRect(s, index, int(c));
      if (p.x >= r.left && p.x < r.right) *sub = int(c);
    }
  }
  if (PtInRect(&parts.state, p))
    *flags = LVHT_ONITEMSTATEICON;
  else if (PtInRect(&parts.icon, p))
    *flags = LVHT_ONITEMICON;
  else if (PtInRect(&parts.label, p))
    *flags = LVHT_ONITEMLABEL;
  else if (PtInRect(&parts.bounds, p) && view == LVS_REPORT && (s.ext & LVS_EX_FULLROWSELECT))
    *flags = LVHT_ONITEMLABEL;
  else {
    *flags = LVHT_NOWHERE;
    return -1;
  }
  return index;
}

void InvalidateFocus(ListState& s) {
  InvalidateRect(s.hwnd, nullptr, TRUE);
}

void InvalidateIndex(ListState& s, int index) {
  if (!s.redraw || !s.Valid(index)) return;
  int first = FirstVisible(s);
  if (index < first - 1 || index > first + VisibleCount(s)) return;
  RECT r = Parts(s, index).bounds;
  RECT client;
  GetClientRect(s.hwnd, &client);
  if (s.View() == LVS_REPORT) r.left = 0, r.right = client.right;
  InvalidateRect(s.hwnd, &r, TRUE);
}

void LayoutChanged(ListState& s) {
  if (!s.redraw) {
    s.layoutPending = true;
    return;
  }
  InvalidateRect(s.hwnd, nullptr, TRUE);
  UpdateScrollBars(s);
}

namespace {

void SetBar(ListState& s, int bar, int range, int page, int pos) {
  if (s.lastRange[bar] == range && s.lastPage[bar] == page && s.lastPos[bar] == pos) return;
  s.lastRange[bar] = range, s.lastPage[bar] = page, s.lastPos[bar] = pos;
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMax = std::max(0, range - 1);
  si.nPage = UINT(std::max(0, page));
  si.nPos = pos;
  SetScrollInfo(s.hwnd, bar, &si, TRUE);
}

}  // namespace

void UpdateScrollBars(ListState& s) {
  s.layoutPending = false;
  if (s.Style() & LVS_NOSCROLL) return;
  RECT client;
  GetClientRect(s.hwnd, &client);
  DWORD view = s.View();
  int n = s.Count();
  if (view == LVS_REPORT) {
    int page = RowsPerPage(s);
    s.top = std::clamp(s.top, 0, std::max(0, n - page));
    int width = TotalColumnWidth(s);
    s.xScroll = std::clamp(s.xScroll, 0, std::max(0, width - int(client.right)));
    SetBar(s, SB_VERT, n, page, s.top);
    SetBar(s, SB_HORZ, width, client.right, s.xScroll);
    UpdateHeader(s);
  } else if (view == LVS_LIST) {
    int rows = RowsPerPage(s);
    int cols = (n + rows - 1) / rows;
    int page = std::max(1, int(client.right) / CellWidth(s));
    s.top = std::clamp(s.top, 0, std::max(0, cols - page));
    SetBar(s, SB_VERT, 0, 0, 0);
    SetBar(s, SB_HORZ, cols, page, s.top);
  } else {
    int per = PerRow(s);
    int ch = view == LVS_ICON ? IconCellHeight(s) : s.rowHeight;
    int height = ((n + per - 1) / per) * ch;
    s.yScroll = std::clamp(s.yScroll, 0, std::max(0, height - int(client.bottom)));
    SetBar(s, SB_HORZ, 0, 0, 0);
    SetBar(s, SB_VERT, height, client.bottom, s.yScroll);
  }
}

void Scroll(ListState& s, int dx, int dy) {
  DWORD view = s.View();
  RECT client;
  GetClientRect(s.hwnd, &client);
  int oldTop = s.top, oldX = s.xScroll, oldY = s.yScroll;
  if (view == LVS_REPORT) {
    s.top += dy / s.rowHeight;
    s.xScroll += dx;
  } else if (view == LVS_LIST) {
    s.top += dx / CellWidth(s);
  } else {
    s.yScroll += dy;
  }
  UpdateScrollBars(s);  // clamps the new position
  if (s.top == oldTop && s.xScroll == oldX && s.yScroll == oldY) return;
  if (!s.redraw) {
    s.layoutPending = true;
    return;
  }
  if (view == LVS_REPORT && s.xScroll == oldX && !s.edit) {
    // Rows move; the header stays.
    int shift = (oldTop - s.top) * s.rowHeight;
    RECT rows = client;
    rows.top = HeaderHeight(s);
    if (std::abs(shift) < rows.bottom - rows.top)
      ScrollWindowEx(s.hwnd, 0, shift, &rows, &rows, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    else
      InvalidateRect(s.hwnd, &rows, TRUE);
  } else {
    InvalidateRect(s.hwnd, nullptr, TRUE);
  }
  if (s.edit) EndEdit(s, true);
}

void ScrollMessage(ListState& s, bool vertical, int code, int thumb) {
  DWORD view = s.View();
  RECT client;
  GetClientRect(s.hwnd, &client);
  // Units: rows (report, vertical), columns (list), pixels otherwise.
  int unit = 1, page = 1, pos = 0, line = 1, end = 0;
  if (vertical) {
    if (view == LVS_REPORT)
      unit = s.rowHeight, page = RowsPerPage(s), pos = s.top, end = s.Count();
    else if (view != LVS_LIST)
      page = client.bottom, pos = s.yScroll, line = s.rowHeight, end = 1 << 28;
    else
      return;
  } else {
    if (view == LVS_LIST)
      unit = CellWidth(s), page = std::max(1, int(client.right) / unit), pos = s.top, end = s.Count();
    else if (view == LVS_REPORT)
      page = client.right, pos = s.xScroll, line = 8, end = TotalColumnWidth(s);
    else
      return;
  }
  std::optional<int> moved = comctl::ScrollTarget(code, thumb, pos, line, page, end);
  if (!moved) return;
  int delta = (*moved - pos) * unit;
  Scroll(s, vertical ? 0 : delta, vertical ? delta : 0);
}

void EnsureVisible(ListState& s, int index) {
  if (!s.Valid(index)) return;
  RECT client;
  GetClientRect(s.hwnd, &client);
  DWORD view = s.View();
  if (view == LVS_REPORT) {
    int page = RowsPerPage(s);
    if (index < s.top)
      Scroll(s, 0, (index - s.top) * s.rowHeight);
    else if (index >= s.top + page)
      Scroll(s, 0, (index - s.top - page + 1) * s.rowHeight);
  } else if (view == LVS_LIST) {
    int rows = RowsPerPage(s), w = CellWidth(s);
    int col = index / rows, page = std::max(1, int(client.right) / w);
    if (col < s.top)
      Scroll(s, (col - s.top) * w, 0);
    else if (col >= s.top + page)
      Scroll(s, (col - s.top - page + 1) * w, 0);
  } else {
    RECT r = Parts(s, index).bounds;
    if (r.top < 0)
      Scroll(s, 0, r.top);
    else if (r.bottom > client.bottom)
      Scroll(s, 0, r.bottom - client.bottom);
  }
}

}  // namespace qv::list
