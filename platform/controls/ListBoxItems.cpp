// The list box's items and selection: text order, search, geometry of the
// rows, scrolling, and the selection rules of the three selection modes.
#include <unicode/uchar.h>

#include <algorithm>

#include "platform/controls/ListBoxImpl.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"

namespace qv::lb {
namespace {

char32_t Next(std::u16string_view s, std::size_t& i) {
  char32_t c = s[i++];
  if (c >= 0xD800 && c < 0xDC00 && i < s.size() && s[i] >= 0xDC00 && s[i] < 0xE000)
    c = 0x10000 + ((c - 0xD800) << 10) + (s[i++] - 0xDC00);
  return c;
}

char32_t Fold(char32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
  return char32_t(u_foldCase(UChar32(c), U_FOLD_CASE_DEFAULT));
}

}  // namespace

ListBox* Data(HWND hwnd) {
  return reinterpret_cast<ListBox*>(GetWindowLongPtrW(hwnd, 0));
}

static int CompareFrom(std::u16string_view a, std::u16string_view b, std::size_t from) {
  std::size_t i = from, j = from;
  while (i < a.size() && j < b.size()) {
    char32_t x = Fold(Next(a, i)), y = Fold(Next(b, j));
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

int CompareTextFrom(std::u16string_view a, std::u16string_view b, std::size_t i) {
  if (i > 0 && a[i - 1] >= 0xD800 && a[i - 1] < 0xDC00) --i;  // from the start of its surrogate pair
  return CompareFrom(a, b, i);
}

bool StartsWithText(std::u16string_view text, std::u16string_view prefix) {
  std::size_t i = 0, j = 0;
  while (j < prefix.size()) {
    if (i >= text.size()) return false;
    if (Fold(Next(text, i)) != Fold(Next(prefix, j))) return false;
  }
  return true;
}

void Notify(ListBox& lb, WORD code) {
  bool always = code == LBN_SETFOCUS || code == LBN_KILLFOCUS || code == LBN_ERRSPACE;
  if (!always && !(lb.style & LBS_NOTIFY) && !lb.inCombo) return;
  if (lb.notify && IsWindow(lb.notify))
    SendMessageW(lb.notify, WM_COMMAND, MAKEWPARAM(lb.id, code), LPARAM(lb.hwnd));
}

// ---- geometry ----

int ItemHeightOf(ListBox& lb, int index) {
  if (lb.Variable() && lb.Valid(index)) return std::max(1, lb.items[std::size_t(index)].height);
  return std::max(1, lb.itemHeight);
}

RECT ClientRectOf(const ListBox& lb) {
  RECT r;
  GetClientRect(lb.hwnd, &r);
  return r;
}

RECT ItemRect(ListBox& lb, int index) {
  RECT c = ClientRectOf(lb);
  int y = 0;
  if (!lb.Variable()) {
    y = (index - lb.top) * lb.itemHeight;
  } else if (index >= lb.top) {
    for (int i = lb.top; i < index; ++i) y += ItemHeightOf(lb, i);
  } else {
    for (int i = index; i < lb.top; ++i) y -= ItemHeightOf(lb, i);
  }
  int w = std::max(int(c.right), lb.horzExtent);
  return RECT{-lb.horzPos, y, w - lb.horzPos, y + ItemHeightOf(lb, index)};
}

int ItemAtY(ListBox& lb, int y, bool* outside) {
  int n = lb.Count();
  RECT c = ClientRectOf(lb);
  if (outside) *outside = y < 0 || y >= c.bottom;
  if (n == 0) {
    if (outside) *outside = true;
    return -1;
  }
  if (y < 0) return std::max(0, lb.top - 1);
  int i = lb.top, at = 0;
  if (!lb.Variable()) {
    i = lb.top + y / std::max(1, lb.itemHeight);
  } else {
    while (i < n - 1 && at + ItemHeightOf(lb, i) <= y) at += ItemHeightOf(lb, i++);
  }
  if (i >= n) {
    if (outside) *outside = true;
    return n - 1;
  }
  return i;
}

int PageCount(ListBox& lb, int from) {
  int h = ClientRectOf(lb).bottom;
  if (!lb.Variable()) return std::max(1, h / std::max(1, lb.itemHeight));
  int count = 0, used = 0;
  for (int i = std::max(0, from); i < lb.Count(); ++i) {
    used += ItemHeightOf(lb, i);
    if (used > h) break;
    ++count;
  }
  return std::max(1, count);
}

// The highest top that still shows the last item at the bottom.
static int MaxTop(ListBox& lb) {
  int n = lb.Count();
  if (n == 0) return 0;
  if (!lb.Variable()) return std::max(0, n - PageCount(lb, 0));
  int h = ClientRectOf(lb).bottom, used = 0, i = n - 1;
  while (i >= 0 && used + ItemHeightOf(lb, i) <= h) used += ItemHeightOf(lb, i--);
  return std::min(n - 1, i + 1);
}

// Sets a scroll bar when its values changed, and leaves its painting to the
// next paint rather than drawing the frame at once (a list filled item by
// item would draw it for every item).
static void SetBar(ListBox& lb, int bar, const SCROLLINFO& si) {
  auto& last = lb.bars[bar];
  if (last.set && last.max == si.nMax && last.page == int(si.nPage) && last.pos == si.nPos) return;
  last = ListBox::BarState{true, si.nMax, int(si.nPage), si.nPos};
  SetScrollInfo(lb.hwnd, bar, &si, FALSE);
  if (lb.barFrameInvalid[bar]) return;
  lb.barFrameInvalid[bar] = true;
  RECT c = ClientRectOf(lb);
  int size = GetSystemMetrics(bar == SB_VERT ? SM_CXVSCROLL : SM_CYHSCROLL) + 4;
  RECT r = bar == SB_VERT ? RECT{c.right, -4, c.right + size, c.bottom + 4}
                          : RECT{-4, c.bottom, c.right + 4, c.bottom + size};
  RedrawWindow(lb.hwnd, &r, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
}

void UpdateScrollBars(ListBox& lb) {
  if (!lb.redraw) return;
  if (lb.style & WS_VSCROLL) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | (lb.style & LBS_DISABLENOSCROLL ? SIF_DISABLENOSCROLL : 0);
    si.nMin = 0;
    si.nMax = std::max(0, lb.Count() - 1);
    si.nPage = UINT(lb.Count() > 0 ? std::min(lb.Count(), PageCount(lb, lb.top)) : 1);
    si.nPos = lb.top;
    SetBar(lb, SB_VERT, si);
  }
  if (lb.horzExtent > 0) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = lb.horzExtent - 1;
    si.nPage = UINT(ClientRectOf(lb).right);
    si.nPos = lb.horzPos;
    SetBar(lb, SB_HORZ, si);
  }
}

void SetTop(ListBox& lb, int top) {
  top = std::clamp(top, 0, MaxTop(lb));
  if (top == lb.top) return;
  lb.top = top;
  if (lb.redraw) InvalidateRect(lb.hwnd, nullptr, TRUE);
  UpdateScrollBars(lb);
}

void EnsureVisible(ListBox& lb, int index) {
  if (!lb.Valid(index)) return;
  if (index < lb.top) return SetTop(lb, index);
  int page = PageCount(lb, lb.top);
  if (index < lb.top + page) return;
  if (!lb.Variable()) return SetTop(lb, index - page + 1);
  // Variable heights: the smallest top that shows the item whole.
  int h = ClientRectOf(lb).bottom, used = ItemHeightOf(lb, index), top = index;
  while (top > 0 && used + ItemHeightOf(lb, top - 1) <= h) used += ItemHeightOf(lb, --top);
  SetTop(lb, top);
}

void InvalidateItem(ListBox& lb, int index) {
  if (!lb.redraw || !lb.Valid(index)) return;
  RECT r = ItemRect(lb, index);
  RECT c = ClientRectOf(lb);
  if (r.bottom <= 0 || r.top >= c.bottom) return;
  InvalidateRect(lb.hwnd, &r, TRUE);
}

void InvalidateFrom(ListBox& lb, int index) {
  if (!lb.redraw || lb.clientInvalid) return;
  RECT c = ClientRectOf(lb);
  int y = index <= lb.top ? 0 : ItemRect(lb, index).top;
  if (y >= c.bottom) return;
  RECT r{0, y, c.right, c.bottom};
  InvalidateRect(lb.hwnd, &r, TRUE);
  lb.clientInvalid = y <= 0;
}

// ---- selection ----

void SetCaret(ListBox& lb, int index) {
  if (index == lb.caret) return;
  int old = lb.caret;
  lb.caret = index;
  if (lb.focused) InvalidateItem(lb, old), InvalidateItem(lb, index);
}

void SetCurrent(ListBox& lb, int index) {
  if (!lb.Valid(index)) index = -1;
  if (lb.current != index) {
    if (lb.Valid(lb.current)) {
      lb.items[std::size_t(lb.current)].selected = false;
      InvalidateItem(lb, lb.current);
    }
    lb.current = index;
    if (index >= 0) {
      lb.items[std::size_t(index)].selected = true;
      InvalidateItem(lb, index);
    }
  }
  if (index >= 0) SetCaret(lb, index);
}

void SetSelected(ListBox& lb, int index, bool on) {
  if (index < 0) {
    for (int i = 0; i < lb.Count(); ++i) SetSelected(lb, i, on);
    return;
  }
  if (!lb.Valid(index)) return;
  auto& item = lb.items[std::size_t(index)];
  if (item.selected == on) return;
  item.selected = on;
  InvalidateItem(lb, index);
}

void SelectRange(ListBox& lb, int first, int last, bool on) {
  if (first > last) std::swap(first, last);
  first = std::max(0, first), last = std::min(lb.Count() - 1, last);
  for (int i = first; i <= last; ++i) SetSelected(lb, i, on);
}

bool MoveSelection(ListBox& lb, int index, bool shift, bool control) {
  if (!lb.Valid(index)) return false;
  if (lb.style & LBS_NOSEL) {
    SetCaret(lb, index);
    EnsureVisible(lb, index);
    return false;
  }
  bool changed = false;
  if (!lb.Multi()) {
    changed = lb.current != index;
    SetCurrent(lb, index);
  } else if (!lb.Extended()) {
    SetCaret(lb, index);  // multiple selection: keys move the caret, Space toggles
  } else if (shift) {
    if (lb.anchor < 0) lb.anchor = lb.caret >= 0 ? lb.caret : index;
    std::vector<bool> before;
    for (int i = 0; i < lb.Count(); ++i) before.push_back(lb.items[std::size_t(i)].selected);
    if (!control) SetSelected(lb, -1, false);
    SelectRange(lb, lb.anchor, index, true);
    for (int i = 0; i < lb.Count() && !changed; ++i)
      changed = before[std::size_t(i)] != lb.items[std::size_t(i)].selected;
    SetCaret(lb, index);
  } else if (control) {
    SetCaret(lb, index);
  } else {
    for (int i = 0; i < lb.Count(); ++i)
      if (lb.items[std::size_t(i)].selected != (i == index)) changed = true, SetSelected(lb, i, i == index);
    lb.anchor = index;
    SetCaret(lb, index);
  }
  EnsureVisible(lb, index);
  return changed;
}

// ---- search ----

int FindString(ListBox& lb, int start, const std::u16string& text, bool exact) {
  int n = lb.Count();
  if (n == 0) return int(LB_ERR);
  if (start < -1 || start >= n) start = -1;
  for (int k = 1; k <= n; ++k) {
    int i = (start + k) % n;
    const auto& t = lb.items[std::size_t(i)].text;
    if (exact ? CompareText(t, text) == 0 : StartsWithText(t, text)) return i;
  }
  return int(LB_ERR);
}

int FindTyped(ListBox& lb, int start, const std::u16string& typed) {
  const bool literal = !typed.empty() && typed[0] == u' ';
  int n = lb.Count();
  if (n == 0) return int(LB_ERR);
  if (start < -1 || start >= n) start = -1;
  for (int k = 1; k <= n; ++k) {
    int i = (start + k) % n;
    std::u16string_view t = lb.items[std::size_t(i)].text;
    if (!literal) t.remove_prefix(std::min(t.size(), t.find_first_not_of(u' ')));
    if (StartsWithText(t, typed)) return i;
  }
  return int(LB_ERR);
}

int FindData(ListBox& lb, int start, ULONG_PTR data) {
  int n = lb.Count();
  if (n == 0) return int(LB_ERR);
  if (start < -1 || start >= n) start = -1;
  for (int k = 1; k <= n; ++k) {
    int i = (start + k) % n;
    if (lb.items[std::size_t(i)].data == data) return i;
  }
  return int(LB_ERR);
}

}  // namespace qv::lb
