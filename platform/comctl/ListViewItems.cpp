// List view items: their texts, images and states (kept per row, or asked
// of the parent with owner data), state changes with their notifications,
// inserting, deleting, finding and sorting.
#include <algorithm>
#include <numeric>

#include "platform/comctl/ListViewState.h"
#include "platform/window/Paint.h"

namespace qv::list {

DWORD ListState::Style() const {
  return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE));
}

LRESULT NotifyList(ListState& s, UINT code, int item, int sub) {
  NMLISTVIEW nm;
  nm.iItem = item;
  nm.iSubItem = sub;
  if (!s.OwnerData() && s.Valid(item)) nm.lParam = s.rows[size_t(item)].param;
  return comctl::Notify(s.hwnd, nm.hdr, code);
}

namespace {

NMLVDISPINFOW AskParent(ListState& s, int index, int sub, UINT mask, char16_t* buffer, int size) {
  NMLVDISPINFOW di;
  di.item.mask = mask;
  di.item.iItem = index;
  di.item.iSubItem = sub;
  di.item.pszText = buffer;
  di.item.cchTextMax = size;
  di.item.stateMask = mask & LVIF_STATE ? s.callbackMask : 0;
  if (!s.OwnerData()) di.item.lParam = s.rows[size_t(index)].param;
  comctl::Notify(s.hwnd, di.hdr, LVN_GETDISPINFOW);
  return di;
}

}  // namespace

std::u16string TextOf(ListState& s, int index, int sub) {
  if (!s.Valid(index)) return {};
  if (!s.OwnerData()) {
    const Row& r = s.rows[size_t(index)];
    if (sub == 0 && !r.textCallback) return r.text;
    if (sub > 0) {
      if (size_t(sub) > r.sub.size()) return {};
      if (r.sub[size_t(sub - 1)] != u"\xFFFF") return r.sub[size_t(sub - 1)];
    }
  }
  char16_t buffer[260] = {};
  NMLVDISPINFOW di = AskParent(s, index, sub, LVIF_TEXT, buffer, 260);
  if (!di.item.pszText || di.item.pszText == LPSTR_TEXTCALLBACKW) return {};
  return std::u16string(di.item.pszText);
}

int ImageOf(ListState& s, int index) {
  if (!s.Valid(index)) return -1;
  if (!s.OwnerData() && s.rows[size_t(index)].image != I_IMAGECALLBACK) return s.rows[size_t(index)].image;
  return AskParent(s, index, 0, LVIF_IMAGE, nullptr, 0).item.iImage;
}

UINT StateOf(ListState& s, int index, UINT mask) {
  if (!s.Valid(index)) return 0;
  UINT state = s.OwnerData() ? s.marks[size_t(index)] : s.rows[size_t(index)].state;
  if (s.callbackMask & mask) {
    NMLVDISPINFOW di = AskParent(s, index, 0, LVIF_STATE, nullptr, 0);
    state = (state & ~s.callbackMask) | (di.item.state & s.callbackMask);
  }
  return state & mask;
}

namespace {

UINT Stored(ListState& s, int index) {
  return s.OwnerData() ? s.marks[size_t(index)] : s.rows[size_t(index)].state;
}

void Store(ListState& s, int index, UINT state) {
  UINT old = Stored(s, index);
  if ((old ^ state) & LVIS_SELECTED) s.selectedCount += (state & LVIS_SELECTED) ? 1 : -1;
  if (s.OwnerData())
    s.marks[size_t(index)] = uint8_t(state & (LVIS_FOCUSED | LVIS_SELECTED));
  else
    s.rows[size_t(index)].state = state;
}

}  // namespace

bool ChangeState(ListState& s, int index, UINT state, UINT mask) {
  if (!s.Valid(index)) return false;
  mask &= ~s.callbackMask;
  if (s.OwnerData()) mask &= LVIS_FOCUSED | LVIS_SELECTED;
  UINT old = Stored(s, index);
  UINT next = (old & ~mask) | (state & mask);
  if ((s.Style() & LVS_SINGLESEL) && (next & LVIS_SELECTED) && !(old & LVIS_SELECTED)) DeselectAll(s, index);
  if (!s.Valid(index)) return false;
  old = Stored(s, index);
  next = (old & ~mask) | (state & mask);
  if (next == old) return true;
  HWND hwnd = s.hwnd;
  NMLISTVIEW nm;
  nm.iItem = index;
  nm.uChanged = LVIF_STATE;
  nm.uOldState = old;
  nm.uNewState = next;
  if (!s.OwnerData()) nm.lParam = s.rows[size_t(index)].param;
  if (comctl::Notify(hwnd, nm.hdr, LVN_ITEMCHANGING) != 0) return false;
  if (!IsWindow(hwnd) || !s.Valid(index)) return false;
  Store(s, index, next);
  if ((next & LVIS_FOCUSED) && s.focusedIndex != index) {
    int previous = s.focusedIndex;
    s.focusedIndex = index;
    if (s.Valid(previous) && previous != index) {
      Store(s, previous, Stored(s, previous) & ~LVIS_FOCUSED);
      InvalidateIndex(s, previous);
    }
  } else if (!(next & LVIS_FOCUSED) && s.focusedIndex == index) {
    s.focusedIndex = -1;
  }
  InvalidateIndex(s, index);
  comctl::Notify(hwnd, nm.hdr, LVN_ITEMCHANGED);
  return IsWindow(hwnd);
}

void DeselectAll(ListState& s, int except) {
  HWND hwnd = s.hwnd;
  for (int i = 0; i < s.Count() && s.selectedCount > 0; ++i) {
    if (i == except || !(Stored(s, i) & LVIS_SELECTED)) continue;
    if (!ChangeState(s, i, 0, LVIS_SELECTED) && !IsWindow(hwnd)) return;
  }
}

void SelectRange(ListState& s, int from, int to, bool keepOthers) {
  HWND hwnd = s.hwnd;
  if (from > to) std::swap(from, to);
  if (!keepOthers) {
    for (int i = 0; i < s.Count() && s.selectedCount > 0; ++i) {
      if (i >= from && i <= to) continue;
      if (!(Stored(s, i) & LVIS_SELECTED)) continue;
      ChangeState(s, i, 0, LVIS_SELECTED);
      if (!IsWindow(hwnd)) return;
    }
  }
  for (int i = std::max(from, 0); i <= to && i < s.Count(); ++i) {
    ChangeState(s, i, LVIS_SELECTED, LVIS_SELECTED);
    if (!IsWindow(hwnd)) return;
  }
}

void SetFocusItem(ListState& s, int index) {
  if (s.Valid(index)) ChangeState(s, index, LVIS_FOCUSED, LVIS_FOCUSED);
}

namespace {

void ShiftIndexes(ListState& s, int from, int delta) {
  for (int* i : {&s.focusedIndex, &s.mark, &s.hot, &s.editIndex, &s.downIndex, &s.pendingEdit}) {
    if (*i < 0) continue;
    if (delta < 0 && *i == from)
      *i = -1;
    else if (*i >= from)
      *i += delta;
  }
}

void ApplyRow(ListState& s, Row& r, const LVITEMW& item) {
  if (item.iSubItem == 0) {
    if (item.mask & LVIF_TEXT) {
      r.textCallback = item.pszText == LPSTR_TEXTCALLBACKW;
      r.text = r.textCallback || !item.pszText ? std::u16string() : std::u16string(item.pszText);
    }
    if (item.mask & LVIF_IMAGE) r.image = item.iImage;
    if (item.mask & LVIF_PARAM) r.param = item.lParam;
    if (item.mask & LVIF_INDENT) r.indent = item.iIndent;
  } else if (item.mask & LVIF_TEXT) {
    std::u16string text = item.pszText == LPSTR_TEXTCALLBACKW ? std::u16string(u"\xFFFF")
                          : item.pszText                      ? std::u16string(item.pszText)
                                                              : std::u16string();
    if (r.sub.size() + 1 == size_t(item.iSubItem)) {
      r.sub.push_back(std::move(text));  // the next column, as rows are filled
    } else {
      if (r.sub.size() < size_t(item.iSubItem)) r.sub.resize(size_t(item.iSubItem));
      r.sub[size_t(item.iSubItem - 1)] = std::move(text);
    }
  }
  (void)s;
}

}  // namespace

int InsertRow(ListState& s, const LVITEMW& item) {
  if (s.OwnerData() || item.iSubItem != 0) return -1;
  int index = std::clamp(item.iItem, 0, s.Count());
  Row row;
  if (s.columns.size() > 1) row.sub.reserve(s.columns.size() - 1);
  ApplyRow(s, row, item);
  if (s.ext & LVS_EX_CHECKBOXES) row.state = INDEXTOSTATEIMAGEMASK(1);
  DWORD style = s.Style();
  if (style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
    bool down = style & LVS_SORTDESCENDING;
    auto it = std::upper_bound(s.rows.begin(), s.rows.end(), row, [&](const Row& a, const Row& b) {
      int c = comctl::CompareText(a.text, b.text);
      return down ? c > 0 : c < 0;
    });
    index = int(it - s.rows.begin());
  }
  ShiftIndexes(s, index, 1);
  s.rows.insert(s.rows.begin() + index, std::move(row));
  WidenCells(s, index);
  if (item.mask & LVIF_STATE) {
    UINT mask = item.stateMask & ~(LVIS_FOCUSED | LVIS_SELECTED);
    UINT& state = s.rows[size_t(index)].state;
    state = (state & ~mask) | (item.state & mask);
    if (item.state & item.stateMask & (LVIS_FOCUSED | LVIS_SELECTED))
      ChangeState(s, index, item.state, item.stateMask & (LVIS_FOCUSED | LVIS_SELECTED));
  }
  HWND hwnd = s.hwnd;
  LayoutChanged(s);
  NotifyList(s, LVN_INSERTITEM, index);
  return IsWindow(hwnd) ? index : -1;
}

bool DeleteRow(ListState& s, int index) {
  if (!s.Valid(index) || s.deleting) return false;
  HWND hwnd = s.hwnd;
  if (s.editIndex == index) EndEdit(s, false);
  if (!IsWindow(hwnd) || !s.Valid(index)) return false;
  if (!s.OwnerData()) {
    s.deleting = true;
    NotifyList(s, LVN_DELETEITEM, index);
    if (!IsWindow(hwnd)) return false;
    s.deleting = false;
    if (!s.Valid(index)) return false;
  }
  if (Stored(s, index) & LVIS_SELECTED) --s.selectedCount;
  if (s.OwnerData()) {
    s.marks.erase(s.marks.begin() + index);
    --s.virtualCount;
  } else {
    s.rows.erase(s.rows.begin() + index);
  }
  ShiftIndexes(s, index + 1, -1);
  if (s.focusedIndex == index) s.focusedIndex = -1;
  LayoutChanged(s);
  return true;
}

bool DeleteAll(ListState& s) {
  HWND hwnd = s.hwnd;
  if (s.deleting) return false;
  if (s.edit) EndEdit(s, false);
  if (!IsWindow(hwnd)) return false;
  if (!s.OwnerData() && !s.rows.empty()) {
    s.deleting = true;
    bool quiet = NotifyList(s, LVN_DELETEALLITEMS, -1) != 0;
    if (!IsWindow(hwnd)) return false;
    for (int i = 0; !quiet && i < int(s.rows.size()); ++i) {
      NotifyList(s, LVN_DELETEITEM, i);
      if (!IsWindow(hwnd)) return false;
    }
    s.deleting = false;
  }
  s.rows.clear();
  s.marks.clear();
  s.virtualCount = 0;
  s.selectedCount = 0;
  s.focusedIndex = s.mark = s.hot = s.downIndex = s.pendingEdit = -1;
  s.top = s.xScroll = s.yScroll = 0;
  s.listColumnWidth = -1;
  LayoutChanged(s);
  return true;
}

void SetVirtualCount(ListState& s, int count) {
  count = std::max(count, 0);
  if (!s.OwnerData()) {
    s.rows.reserve(size_t(count));
    return;
  }
  if (s.edit) EndEdit(s, false);
  s.virtualCount = count;
  s.marks.resize(size_t(count));
  s.selectedCount = 0;
  for (uint8_t m : s.marks) s.selectedCount += (m & LVIS_SELECTED) != 0;
  for (int* i : {&s.focusedIndex, &s.mark, &s.hot})
    if (*i >= count) *i = -1;
  s.top = std::min(s.top, std::max(0, count - 1));
  s.listColumnWidth = -1;
  LayoutChanged(s);
}

bool SetItem(ListState& s, const LVITEMW& item) {
  if (!s.Valid(item.iItem)) return false;
  if (!s.OwnerData()) {
    ApplyRow(s, s.rows[size_t(item.iItem)], item);
    if ((item.mask & LVIF_TEXT) && item.iSubItem == 0) WidenCells(s, item.iItem);
  }
  if (item.mask & LVIF_STATE) {
    if (!ChangeState(s, item.iItem, item.state, item.stateMask)) return false;
  }
  InvalidateIndex(s, item.iItem);
  return true;
}

bool GetItem(ListState& s, LVITEMW& item) {
  if (!s.Valid(item.iItem)) return false;
  if (item.mask & LVIF_TEXT)
    comctl::CopyText(TextOf(s, item.iItem, item.iSubItem), item.pszText, item.cchTextMax);
  if (item.mask & LVIF_IMAGE) item.iImage = ImageOf(s, item.iItem);
  if (item.mask & LVIF_STATE) item.state = StateOf(s, item.iItem, item.stateMask);
  if (!s.OwnerData()) {
    const Row& r = s.rows[size_t(item.iItem)];
    if (item.mask & LVIF_PARAM) item.lParam = r.param;
    if (item.mask & LVIF_INDENT) item.iIndent = r.indent;
  }
  return true;
}

int FindItem(ListState& s, int start, const LVFINDINFOW& info) {
  int n = s.Count();
  if (n == 0) return -1;
  if (s.OwnerData()) {
    NMLVFINDITEMW nm;
    nm.iStart = std::max(start + 1, 0) % n;
    nm.lvfi = info;
    return int(comctl::Notify(s.hwnd, nm.hdr, LVN_ODFINDITEMW));
  }
  std::u16string text = info.psz ? std::u16string(info.psz) : std::u16string();
  int first = start + 1;
  if (first >= n) {
    if (!(info.flags & LVFI_WRAP)) return -1;
    first = 0;
  }
  for (int k = 0; k < n; ++k) {
    int i = first + k;
    if (i >= n) {
      if (!(info.flags & LVFI_WRAP)) return -1;
      i -= n;
    }
    if (info.flags & LVFI_PARAM) {
      if (s.rows[size_t(i)].param == info.lParam) return i;
    } else if (info.flags & (LVFI_STRING | LVFI_PARTIAL)) {
      std::u16string t = TextOf(s, i, 0);
      bool match = (info.flags & LVFI_PARTIAL) ? comctl::StartsWithText(t, text)
                                               : t.size() == text.size() && comctl::StartsWithText(t, text);
      if (match) return i;
    }
  }
  return -1;
}

int NextItem(ListState& s, int start, UINT flags) {
  int n = s.Count();
  if (flags & LVNI_FOCUSED) {
    if (start < 0 || start < s.focusedIndex) return s.Valid(s.focusedIndex) ? s.focusedIndex : -1;
  }
  int step = 1;
  if (flags & (LVNI_ABOVE | LVNI_TOLEFT)) step = -1;
  UINT want = flags & (LVNI_SELECTED | LVNI_FOCUSED | LVNI_CUT | LVNI_DROPHILITED);
  if ((flags & LVNI_SELECTED) && s.selectedCount == 0) return -1;
  for (int i = start + step; i >= 0 && i < n; i += step)
    if ((StateOf(s, i, want) & want) == want) return i;
  return -1;
}

bool SortItems(ListState& s, PFNLVCOMPARE compare, LPARAM data, bool byIndex) {
  if (s.OwnerData() || !compare) return false;
  if (s.edit) EndEdit(s, false);
  std::vector<int> perm(s.rows.size());
  std::iota(perm.begin(), perm.end(), 0);
  std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) {
    return byIndex ? compare(a, b, data) < 0
                   : compare(s.rows[size_t(a)].param, s.rows[size_t(b)].param, data) < 0;
  });
  std::vector<Row> sorted;
  sorted.reserve(s.rows.size());
  for (int i : perm) sorted.push_back(std::move(s.rows[size_t(i)]));
  s.rows = std::move(sorted);
  s.focusedIndex = -1;
  for (int i = 0; i < int(s.rows.size()); ++i)
    if (s.rows[size_t(i)].state & LVIS_FOCUSED) s.focusedIndex = i;
  s.mark = s.focusedIndex;
  InvalidateRect(s.hwnd, nullptr, TRUE);
  return true;
}

}  // namespace qv::list
