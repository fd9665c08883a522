// Measuring and painting menu items in the classic look: popup columns
// (check mark, text, shortcut, sub-menu arrow), separators, the menu-bar
// row, and owner-drawn items through WM_MEASUREITEM / WM_DRAWITEM.
#include <algorithm>

#include "platform/gdi/Blit.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Icons.h"
#include "platform/gdi/Shapes.h"
#include "platform/gdi/SystemColors.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/menus/MenuImpl.h"
#include "platform/menus/MenuPaint.h"
#include "platform/text/Text.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"

namespace qv::menus {

void DrawMenuCheck(HDC dc, const RECT& r, bool radio, COLORREF color) {
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  HBRUSH b = CreateSolidBrush(color);
  if (radio) {
    RECT dot{cx - 3, cy - 3, cx + 3, cy + 3};
    HGDIOBJ ob = SelectObject(dc, b);
    HGDIOBJ op = SelectObject(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, dot.left, dot.top, dot.right + 1, dot.bottom + 1);
    SelectObject(dc, op);
    SelectObject(dc, ob);
  } else {
    // A tick three pixels thick: down-right for three columns, then up-right for four.
    for (int i = 0; i < 7; ++i) {
      int x = cx - 3 + i, y = i < 3 ? cy - 1 + i : cy + 1 - (i - 2);
      RECT px{x, y, x + 1, y + 3};
      FillRect(dc, &px, b);
    }
  }
  DeleteObject(b);
}

void DrawMenuLabel(HDC dc, const std::u16string& s, RECT r, UINT format, bool disabled, bool selected,
                   COLORREF color) {
  if (s.empty()) return;
  SetBkMode(dc, TRANSPARENT);
  if (disabled && !selected) {
    RECT e = r;
    OffsetRect(&e, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, s.c_str(), int(s.size()), &e, format);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  } else {
    SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : color);
  }
  DrawTextW(dc, s.c_str(), int(s.size()), &r, format);
}

namespace {

constexpr int kCheckColumn = 20, kArrowColumn = 16, kShortcutGap = 16, kSeparatorHeight = 8;
constexpr int kBarPad = 6, kBarGlyph = 16;
constexpr UINT kWmGetIcon = 0x007F;

HBRUSH SysBrush(int index) {
  return reinterpret_cast<HBRUSH>(uintptr_t(index + 1));
}

struct Split {
  std::u16string label, shortcut;
};

Split SplitText(const std::u16string& text) {
  auto tab = text.find(u'\t');
  if (tab == std::u16string::npos) return {text, {}};
  return {text.substr(0, tab), text.substr(tab + 1)};
}

SIZE TextSize(HDC dc, const std::u16string& s) {
  RECT r{0, 0, 0, 0};
  if (s.empty()) return SIZE{0, 0};
  DrawTextW(dc, s.c_str(), int(s.size()), &r, DT_SINGLELINE | DT_CALCRECT);
  return SIZE{r.Width(), r.Height()};
}

bool IsSpecialBitmap(HBITMAP b) {
  uintptr_t v = uintptr_t(b);
  return b && (v < 16 || b == HBMMENU_CALLBACK);
}

struct MemDC {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = MenuFont();
  HGDIOBJ old = SelectObject(dc, font);
  ~MemDC() {
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
  }
};

int TextHeight(HDC dc) {
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  return tm.tmHeight;
}

// Sends WM_MEASUREITEM for an owner-drawn item (no lock held).
SIZE MeasureOwnerDrawn(HWND owner, UINT id, uintptr_t data, int defaultHeight) {
  MEASUREITEMSTRUCT mis;
  mis.CtlType = ODT_MENU;
  mis.itemID = id;
  mis.itemHeight = UINT(defaultHeight);
  mis.itemData = data;
  if (owner) SendMessageW(owner, WM_MEASUREITEM, 0, LPARAM(&mis));
  return SIZE{LONG(mis.itemWidth), LONG(mis.itemHeight)};
}

// The items to measure, copied so the owner can be asked without the lock.
struct Probe {
  std::size_t index;
  UINT type, id;
  uintptr_t data;
  std::u16string text;
  HBITMAP bitmap;
  bool bold;
};

std::vector<Probe> Probes(HMENU menu) {
  Lock l(T().lock);
  std::vector<Probe> out;
  Menu* m = Get(menu);
  if (!m) return out;
  for (std::size_t i = 0; i < m->items.size(); ++i) {
    Item& it = m->items[i];
    out.push_back({i, it.type, it.id, it.data, it.text, it.bitmap, (it.state & MFS_DEFAULT) != 0});
  }
  return out;
}

void DrawArrow(HDC dc, const RECT& r, COLORREF color) {
  int cx = r.left + (r.right - r.left) / 2, cy = (r.top + r.bottom) / 2;
  HBRUSH b = CreateSolidBrush(color);
  for (int i = 0; i < 4; ++i) {
    RECT col{cx - 2 + i, cy - 3 + i, cx - 1 + i, cy + 4 - i};
    FillRect(dc, &col, b);
  }
  DeleteObject(b);
}

void DrawSpecialBitmap(HDC dc, HBITMAP b, const RECT& r, uintptr_t data) {
  if (b == HBMMENU_SYSTEM) {
    HWND w = reinterpret_cast<HWND>(data);
    HICON icon = IsWindow(w) ? reinterpret_cast<HICON>(SendMessageW(w, kWmGetIcon, 0, 0)) : nullptr;
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(w, GCLP_HICONSM));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(w, GCLP_HICON));
    if (icon)
      DrawIconEx(dc, r.left + (r.Width() - 16) / 2, r.top + (r.Height() - 16) / 2, icon, 16, 16, 0, nullptr,
                 DI_NORMAL);
    return;
  }
  UINT state = 0;
  if (b == HBMMENU_MBAR_CLOSE || b == HBMMENU_MBAR_CLOSE_D)
    state = DFCS_CAPTIONCLOSE;
  else if (b == HBMMENU_MBAR_MINIMIZE || b == HBMMENU_MBAR_MINIMIZE_D)
    state = DFCS_CAPTIONMIN;
  else if (b == HBMMENU_MBAR_RESTORE)
    state = DFCS_CAPTIONRESTORE;
  else
    return;
  if (b == HBMMENU_MBAR_CLOSE_D || b == HBMMENU_MBAR_MINIMIZE_D) state |= DFCS_INACTIVE;
  RECT g{r.left + 1, r.top + 2, r.right - 1, r.bottom - 2};
  DrawFrameControl(dc, &g, DFC_CAPTION, state);
}

void DrawBitmap(HDC dc, HBITMAP b, const RECT& column) {
  BITMAP bm;
  if (!GetObjectW(b, sizeof bm, &bm)) return;
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, b);
  int x = column.left + (column.Width() - bm.bmWidth) / 2,
      y = column.top + (column.Height() - bm.bmHeight) / 2;
  BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

UINT OwnerDrawState(const Item& it, bool selected, bool showPrefix) {
  UINT s = 0;
  if (selected) s |= ODS_SELECTED;
  if (it.state & MFS_CHECKED) s |= ODS_CHECKED;
  if (IsDisabled(it)) s |= ODS_GRAYED | ODS_DISABLED;
  if (it.state & MFS_DEFAULT) s |= ODS_DEFAULT;
  if (!showPrefix) s |= ODS_NOACCEL;
  return s;
}

void SendDrawItem(HWND owner, HMENU menu, const Item& it, HDC dc, const RECT& r, UINT state) {
  DRAWITEMSTRUCT dis;
  dis.CtlType = ODT_MENU;
  dis.itemID = it.id;
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState = state;
  dis.hwndItem = reinterpret_cast<HWND>(menu);
  dis.hDC = dc;
  dis.rcItem = r;
  dis.itemData = it.data;
  int saved = SaveDC(dc);
  if (owner) SendMessageW(owner, WM_DRAWITEM, 0, LPARAM(&dis));
  RestoreDC(dc, saved);
}

void DrawPopupItem(HDC dc, const Item& it, bool selected, bool showPrefix, int shortcutX, int width) {
  RECT r = it.rect;
  r.right = width;
  if (IsSeparator(it)) {
    FillRect(dc, &r, SysBrush(COLOR_MENU));
    RECT line{r.left + 1, (r.top + r.bottom) / 2 - 1, r.right - 1, (r.top + r.bottom) / 2 + 1};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  FillRect(dc, &r, SysBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  COLORREF color = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  RECT column{r.left, r.top, r.left + kCheckColumn, r.bottom};
  if (it.state & MFS_CHECKED)
    DrawMenuCheck(dc, column, (it.type & MFT_RADIOCHECK) != 0,
                  IsDisabled(it) ? GetSysColor(COLOR_GRAYTEXT) : color);
  else if (it.bitmap && !IsSpecialBitmap(it.bitmap))
    DrawBitmap(dc, it.bitmap, column);
  Split s = SplitText(it.text);
  HFONT font = MenuFont((it.state & MFS_DEFAULT) != 0);
  HGDIOBJ old = SelectObject(dc, font);
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT | (showPrefix ? 0 : DT_HIDEPREFIX);
  RECT text{r.left + kCheckColumn, r.top, r.right - kArrowColumn, r.bottom};
  DrawMenuLabel(dc, s.label, text, format, IsDisabled(it), selected, color);
  RECT shortcut{shortcutX, r.top, r.right - kArrowColumn, r.bottom};
  DrawMenuLabel(dc, s.shortcut, shortcut, format | DT_NOPREFIX, IsDisabled(it), selected, color);
  SelectObject(dc, old);
  DeleteObject(font);
  if (it.sub) DrawArrow(dc, RECT{r.right - kArrowColumn, r.top, r.right, r.bottom}, color);
}

}  // namespace

HFONT MenuFont(bool bold) {
  NONCLIENTMETRICSW m;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0);
  if (bold) m.lfMenuFont.lfWeight = FW_BOLD;
  return CreateFontIndirectW(&m.lfMenuFont);
}

void LayoutPopup(HMENU menu, HWND owner) {
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    if (!m || (m->laidOut && m->owner == owner)) return;
  }
  MemDC mem;
  int rowHeight = std::max(17, TextHeight(mem.dc) + 5);
  std::vector<Probe> probes = Probes(menu);
  std::vector<SIZE> sizes(probes.size());
  int maxLabel = 0, maxShortcut = 0, maxOwner = 0;
  for (std::size_t i = 0; i < probes.size(); ++i) {
    const Probe& p = probes[i];
    if (p.type & MFT_SEPARATOR) {
      sizes[i] = SIZE{0, kSeparatorHeight};
    } else if (p.type & MFT_OWNERDRAW) {
      sizes[i] = MeasureOwnerDrawn(owner, p.id, p.data, rowHeight);
      maxOwner = std::max<int>(maxOwner, sizes[i].cx);
    } else {
      Split s = SplitText(p.text);
      HFONT bold = p.bold ? MenuFont(true) : nullptr;
      HGDIOBJ old = bold ? SelectObject(mem.dc, bold) : nullptr;
      maxLabel = std::max<int>(maxLabel, TextSize(mem.dc, s.label).cx);
      maxShortcut = std::max<int>(maxShortcut, TextSize(mem.dc, s.shortcut).cx);
      if (bold) SelectObject(mem.dc, old), DeleteObject(bold);
      sizes[i] = SIZE{0, rowHeight};
    }
  }
  int textWidth = kCheckColumn + maxLabel + (maxShortcut ? kShortcutGap + maxShortcut : 0) + kArrowColumn;
  int width = std::max(maxOwner, textWidth);
  Lock l(T().lock);
  Menu* m = Get(menu);
  if (!m) return;
  int y = 0;
  for (std::size_t i = 0; i < m->items.size() && i < sizes.size(); ++i) {
    Item& it = m->items[i];
    it.size = sizes[i];
    it.rect = RECT{0, y, width, y + sizes[i].cy};
    it.measured = true;
    y += sizes[i].cy;
  }
  m->size = SIZE{width, y};
  m->shortcutX = kCheckColumn + maxLabel + kShortcutGap;
  m->owner = owner;
  m->laidOut = true;
}

void LayoutBar(HMENU menu, HWND owner, const RECT& bar) {
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    if (!m || (m->laidOut && m->owner == owner && m->barRect == bar)) return;
  }
  MemDC mem;
  std::vector<Probe> probes = Probes(menu);
  std::vector<int> widths(probes.size());
  for (std::size_t i = 0; i < probes.size(); ++i) {
    const Probe& p = probes[i];
    if (p.type & MFT_OWNERDRAW)
      widths[i] = MeasureOwnerDrawn(owner, p.id, p.data, bar.Height()).cx;
    else if (IsSpecialBitmap(p.bitmap))
      widths[i] = kBarGlyph + 2;
    else if (p.type & MFT_SEPARATOR)
      widths[i] = 0;
    else
      // The room around a title grows with the screen's density, as its text does.
      widths[i] = TextSize(mem.dc, SplitText(p.text).label).cx + 2 * ScaleToScreen(kBarPad);
  }
  Lock l(T().lock);
  Menu* m = Get(menu);
  if (!m) return;
  std::size_t n = std::min(m->items.size(), widths.size());
  std::size_t rightFrom = n;
  for (std::size_t i = 0; i < n; ++i)
    if (m->items[i].type & MFT_RIGHTJUSTIFY) {
      rightFrom = i;
      break;
    }
  int x = bar.left;
  for (std::size_t i = 0; i < rightFrom; ++i) {
    m->items[i].rect = RECT{x, bar.top, x + widths[i], bar.bottom - 1};
    x += widths[i];
  }
  x = bar.right;
  for (std::size_t i = n; i-- > rightFrom;) {
    m->items[i].rect = RECT{x - widths[i], bar.top, x, bar.bottom - 1};
    x -= widths[i];
  }
  for (std::size_t i = 0; i < n; ++i) m->items[i].measured = true;
  m->owner = owner;
  m->barRect = bar;
  m->laidOut = true;
}

void DrawPopupItems(HMENU menu, HDC dc, HWND owner, bool showPrefix) {
  LayoutPopup(menu, owner);
  std::vector<Item> items;
  int hilite = -1, shortcutX = 0, width = 0;
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    if (!m) return;
    items = m->items;
    hilite = m->hilite;
    shortcutX = m->shortcutX;
    width = m->size.cx;
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Item& it = items[i];
    bool selected = int(i) == hilite;
    if (it.type & MFT_OWNERDRAW) {
      RECT r = it.rect;
      r.right = width;
      SendDrawItem(owner, menu, it, dc, r, OwnerDrawState(it, selected, showPrefix));
      // The sub-menu arrow is the menu's, as for every item.
      if (it.sub)
        DrawArrow(dc, RECT{r.right - kArrowColumn, r.top, r.right, r.bottom},
                  GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    } else {
      DrawPopupItem(dc, it, selected, showPrefix, shortcutX, width);
    }
  }
}

void DrawBar(HWND hwnd, HMENU menu, HDC dc, const RECT& bar) {
  FillRect(dc, &bar, SysBrush(COLOR_MENU));
  LayoutBar(menu, hwnd, bar);
  std::vector<Item> items;
  int hilite = -1;
  bool open = false, showPrefix = false;
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    if (!m) return;
    items = m->items;
    hilite = m->hilite;
    open = m->barOpen;
    showPrefix = m->showPrefix;
  }
  HFONT font = MenuFont();
  HGDIOBJ old = SelectObject(dc, font);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Item& it = items[i];
    bool selected = int(i) == hilite || (it.state & MFS_HILITE);
    RECT r = it.rect;
    if (it.type & MFT_OWNERDRAW) {
      UINT state = OwnerDrawState(it, selected, showPrefix);
      if (selected && !open) state = (state & ~ODS_SELECTED) | ODS_HOTLIGHT;
      SendDrawItem(hwnd, menu, it, dc, r, state);
      continue;
    }
    if (IsSpecialBitmap(it.bitmap)) {
      DrawSpecialBitmap(dc, it.bitmap, r, it.data);
      continue;
    }
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_CENTER | (showPrefix ? 0 : DT_HIDEPREFIX);
    RECT text = r;
    if (selected) {
      RECT e = r;
      DrawEdge(dc, &e, open ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
      if (open) OffsetRect(&text, 1, 1);
    }
    DrawMenuLabel(dc, SplitText(it.text).label, text, format, IsDisabled(it), false,
                  GetSysColor(COLOR_MENUTEXT));
  }
  SelectObject(dc, old);
  DeleteObject(font);
}

}  // namespace qv::menus
