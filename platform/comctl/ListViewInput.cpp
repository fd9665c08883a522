// List view input: selection by mouse (with Shift and Ctrl) and keyboard,
// check boxes, activation, the drag start, the right-click notification,
// type-ahead (asking the parent with owner data), and label editing through
// an EDIT child.
#include <algorithm>

#include "platform/comctl/ListViewState.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::list {

namespace {

bool KeyHeld(int vk) {
  return GetKeyState(vk) & 0x8000;
}

void Activate(ListState& s, int index) {
  NMITEMACTIVATE nm;
  nm.iItem = index;
  comctl::Notify(s.hwnd, nm.hdr, LVN_ITEMACTIVATE);
}

void ToggleCheck(ListState& s, int index) {
  int st = int(StateOf(s, index, LVIS_STATEIMAGEMASK) >> 12);
  ChangeState(s, index, INDEXTOSTATEIMAGEMASK(st == 2 ? 1 : 2), LVIS_STATEIMAGEMASK);
}

// Moves the focus to index and selects as the modifier keys say.
void SelectTo(ListState& s, int index, bool shift, bool ctrl, bool toggle) {
  HWND hwnd = s.hwnd;
  bool single = s.Style() & LVS_SINGLESEL;
  if (!s.Valid(index)) return;
  if (shift && !single && s.Valid(s.mark)) {
    SelectRange(s, s.mark, index, ctrl);
  } else if (ctrl && !single) {
    if (toggle) {
      bool on = StateOf(s, index, LVIS_SELECTED);
      ChangeState(s, index, on ? 0 : LVIS_SELECTED, LVIS_SELECTED);
    }
    if (IsWindow(hwnd)) s.mark = index;
  } else {
    DeselectAll(s, index);
    if (!IsWindow(hwnd)) return;
    ChangeState(s, index, LVIS_SELECTED, LVIS_SELECTED);
    if (IsWindow(hwnd)) s.mark = index;
  }
  if (!IsWindow(hwnd) || !s.Valid(index)) return;
  SetFocusItem(s, index);
  if (IsWindow(hwnd) && s.Valid(index)) EnsureVisible(s, index);
}

void LeftDown(ListState& s, POINT p, bool dbl) {
  HWND hwnd = s.hwnd;
  KillTimer(hwnd, kEditTimer);
  s.pendingEdit = -1;
  if (s.edit) EndEdit(s, true);
  if (GetFocus() != hwnd) SetFocus(hwnd);
  if (!IsWindow(hwnd)) return;
  UINT flags = 0;
  int index = HitTest(s, p, &flags, nullptr);
  if (dbl) {
    if (comctl::SimpleNotify(s.hwnd, NM_DBLCLK) == 0 && IsWindow(hwnd) && s.Valid(index)) Activate(s, index);
    return;
  }
  if (index < 0) {
    if (!KeyHeld(VK_CONTROL) && !KeyHeld(VK_SHIFT)) DeselectAll(s, -1);
    return;
  }
  if ((flags & LVHT_ONITEMSTATEICON) && (s.ext & LVS_EX_CHECKBOXES)) {
    ToggleCheck(s, index);
    return;
  }
  s.downOnSelected = StateOf(s, index, LVIS_SELECTED) && s.selectedCount == 1 && (flags & LVHT_ONITEMLABEL);
  bool shift = KeyHeld(VK_SHIFT), ctrl = KeyHeld(VK_CONTROL);
  // A plain click on an item of a multiple selection keeps it until the button is released (dragging it).
  bool keepForDrag = !shift && !ctrl && StateOf(s, index, LVIS_SELECTED) && s.selectedCount > 1;
  if (!keepForDrag)
    SelectTo(s, index, shift, ctrl, true);
  else
    SetFocusItem(s, index), s.mark = index;
  if (!IsWindow(hwnd)) return;
  s.leftDown = true;
  s.downPoint = p;
  s.downIndex = index;
  SetCapture(hwnd);
}

void LeftUp(ListState& s, POINT p) {
  HWND hwnd = s.hwnd;
  if (!s.leftDown) return;
  s.leftDown = false;
  int down = s.downIndex;
  s.downIndex = -1;
  comctl::ReleaseOwnCapture(hwnd);
  UINT flags = 0;
  int index = HitTest(s, p, &flags, nullptr);
  if (index == down && s.Valid(index) && !KeyHeld(VK_CONTROL) && !KeyHeld(VK_SHIFT) && s.selectedCount > 1)
    SelectTo(s, index, false, false, false);
  if (!IsWindow(hwnd)) return;
  if (comctl::SimpleNotify(s.hwnd, NM_CLICK) != 0 || !IsWindow(hwnd)) return;
  if (s.ext & LVS_EX_ONECLICKACTIVATE && s.Valid(index)) Activate(s, index);
  if (s.downOnSelected && index == down && (flags & LVHT_ONITEMLABEL) && (s.Style() & LVS_EDITLABELS)) {
    s.pendingEdit = index;
    SetTimer(hwnd, kEditTimer, GetDoubleClickTime(), nullptr);
  }
}

void MouseMove(ListState& s, POINT p) {
  HWND hwnd = s.hwnd;
  if (s.rightDown && s.Valid(s.downIndex)) {
    if (comctl::BeyondDragDistance(s.downPoint, p)) {
      NMLISTVIEW nm;
      nm.iItem = s.downIndex;
      nm.ptAction = s.downPoint;
      s.rightDown = false;
      s.downIndex = -1;
      comctl::ReleaseOwnCapture(hwnd);
      comctl::Notify(hwnd, nm.hdr, LVN_BEGINRDRAG);
    }
    return;
  }
  if (s.leftDown && s.Valid(s.downIndex)) {
    if (comctl::BeyondDragDistance(s.downPoint, p)) {
      int index = s.downIndex;
      s.leftDown = false;
      s.downIndex = -1;
      comctl::ReleaseOwnCapture(hwnd);
      NMLISTVIEW nm;
      nm.iItem = index;
      nm.ptAction = s.downPoint;
      comctl::Notify(hwnd, nm.hdr, LVN_BEGINDRAG);
    }
    return;
  }
  if (s.ext & LVS_EX_TRACKSELECT) {
    UINT flags = 0;
    int index = HitTest(s, p, &flags, nullptr);
    if (index != s.hot) {
      int old = s.hot;
      s.hot = index;
      InvalidateIndex(s, old);
      InvalidateIndex(s, index);
    }
    comctl::TrackMouseLeave(s);
  }
}

}  // namespace

LRESULT MouseMessage(ListState& s, UINT msg, WPARAM, LPARAM l) {
  POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
  HWND hwnd = s.hwnd;
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      LeftDown(s, p, msg == WM_LBUTTONDBLCLK);
      break;
    case WM_LBUTTONUP:
      LeftUp(s, p);
      break;
    case WM_MOUSEMOVE:
      MouseMove(s, p);
      break;
    case WM_MOUSELEAVE:
      s.tracking = false;
      if (s.hot >= 0) {
        int old = s.hot;
        s.hot = -1;
        InvalidateIndex(s, old);
      }
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: {
      if (s.edit) EndEdit(s, true);
      if (GetFocus() != hwnd) SetFocus(hwnd);
      if (!IsWindow(hwnd)) break;
      UINT flags = 0;
      int index = HitTest(s, p, &flags, nullptr);
      if (s.Valid(index) && !StateOf(s, index, LVIS_SELECTED)) SelectTo(s, index, false, false, false);
      if (!IsWindow(hwnd)) break;
      s.rightDown = true;
      s.downIndex = index;
      s.downPoint = p;
      SetCapture(hwnd);
      break;
    }
    case WM_RBUTTONUP: {
      bool pressed = s.rightDown;
      s.rightDown = false;
      s.downIndex = -1;
      comctl::ReleaseOwnCapture(hwnd);
      if (pressed) comctl::RightClick(hwnd, p);  // else it became a drag
      break;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(l) != hwnd) s.leftDown = s.rightDown = false;
      break;
  }
  return 0;
}

bool KeyDown(ListState& s, WPARAM vk) {
  HWND hwnd = s.hwnd;
  if (!comctl::NotifyKeyDown<NMLVKEYDOWN>(hwnd, LVN_KEYDOWN, vk)) return true;
  int n = s.Count();
  bool shift = KeyHeld(VK_SHIFT), ctrl = KeyHeld(VK_CONTROL);
  int cur = s.Valid(s.focusedIndex) ? s.focusedIndex : -1;
  DWORD view = s.View();
  int rows = RowsPerPage(s);
  RECT client;
  GetClientRect(hwnd, &client);
  int across = view == LVS_LIST ? rows : 1;                   // Left and Right
  int down = view == LVS_LIST || view == LVS_REPORT ? 1 : 0;  // Up and Down
  if (view == LVS_ICON || view == LVS_SMALLICON) {
    int cw = view == LVS_ICON ? std::max(76, 0) : CellWidth(s);
    down = std::max(1, int(client.right) / cw);
  }
  int target = -1;
  switch (vk) {
    case VK_UP:
      target = cur < 0 ? 0 : cur - down;
      break;
    case VK_DOWN:
      target = cur < 0 ? 0 : cur + down;
      break;
    case VK_LEFT:
      if (view == LVS_REPORT) return ScrollMessage(s, false, SB_LINELEFT, 0), true;
      target = cur < 0 ? 0 : cur - across;
      break;
    case VK_RIGHT:
      if (view == LVS_REPORT) return ScrollMessage(s, false, SB_LINERIGHT, 0), true;
      target = cur < 0 ? 0 : cur + across;
      break;
    case VK_HOME:
      target = 0;
      break;
    case VK_END:
      target = n - 1;
      break;
    case VK_PRIOR:
      target = cur < 0 ? 0 : cur - std::max(1, (view == LVS_REPORT ? rows : down) - 1);
      break;
    case VK_NEXT:
      target = cur < 0 ? 0 : cur + std::max(1, (view == LVS_REPORT ? rows : down) - 1);
      break;
    case VK_SPACE:
      if (!s.Valid(cur)) return true;
      if (s.ext & LVS_EX_CHECKBOXES) {
        ToggleCheck(s, cur);
      } else if (ctrl) {
        ChangeState(s, cur, StateOf(s, cur, LVIS_SELECTED) ? 0 : LVIS_SELECTED, LVIS_SELECTED);
      } else {
        SelectTo(s, cur, false, false, false);
      }
      return true;
    case VK_RETURN:
      if (comctl::SimpleNotify(s.hwnd, NM_RETURN) == 0 && IsWindow(hwnd) && s.Valid(cur)) Activate(s, cur);
      return true;
    case VK_F2:
      if (s.Valid(cur) && (s.Style() & LVS_EDITLABELS)) BeginEdit(s, cur);
      return true;
    case 'A':
      if (ctrl && !(s.Style() & LVS_SINGLESEL)) {
        SelectRange(s, 0, n - 1, true);
        return true;
      }
      return false;
    default:
      return false;
  }
  if (n == 0) return true;
  target = std::clamp(target, 0, n - 1);
  if (ctrl && !shift) {
    SetFocusItem(s, target);
    if (IsWindow(hwnd)) EnsureVisible(s, target);
  } else {
    SelectTo(s, target, shift, false, false);
  }
  return true;
}

namespace {

// The item after start whose text the typed prefix begins, round to the top;
// -1 for none. An owner-data list's owner finds it; a list of its own texts
// reads them as they show (comctl::TypedPrefixMatches).
int FindTyped(ListState& s, int start) {
  if (s.OwnerData()) {
    LVFINDINFOW info;
    info.flags = LVFI_PARTIAL | LVFI_STRING | LVFI_WRAP;
    info.psz = s.search.c_str();
    return FindItem(s, start, info);
  }
  const int n = s.Count();
  for (int k = 1; k <= n; ++k) {
    const int i = ((start + k) % n + n) % n;
    if (comctl::TypedPrefixMatches(TextOf(s, i, 0), s.search)) return i;
  }
  return -1;
}

}  // namespace

void CharTyped(ListState& s, char16_t c) {
  if (c < 32 || s.Count() == 0) return;
  comctl::TypeAhead(s, c);
  int start = s.Valid(s.focusedIndex) ? s.focusedIndex : 0;
  // A single letter looks past the focused item; a longer prefix may match it.
  int found = FindTyped(s, s.search.size() == 1 ? start : start - 1);
  if (s.Valid(found)) SelectTo(s, found, false, false, false);
}

void TimerFired(ListState& s, uintptr_t id) {
  if (id != kEditTimer) return;
  KillTimer(s.hwnd, kEditTimer);
  int index = s.pendingEdit;
  s.pendingEdit = -1;
  if (s.Valid(index) && GetFocus() == s.hwnd && StateOf(s, index, LVIS_SELECTED)) BeginEdit(s, index);
}

HWND BeginEdit(ListState& s, int index) {
  HWND hwnd = s.hwnd;
  if (s.edit) EndEdit(s, true);
  if (!IsWindow(hwnd) || !s.Valid(index)) return nullptr;
  EnsureVisible(s, index);
  std::u16string text = TextOf(s, index, 0);
  NMLVDISPINFOW di;
  di.item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
  di.item.iItem = index;
  di.item.pszText = text.data();
  di.item.cchTextMax = int(text.size()) + 1;
  di.item.state = StateOf(s, index, 0xFFFF);
  if (!s.OwnerData()) di.item.lParam = s.rows[size_t(index)].param;
  if (comctl::Notify(hwnd, di.hdr, LVN_BEGINLABELEDITW) != 0) return nullptr;
  if (!IsWindow(hwnd) || !s.Valid(index)) return nullptr;
  UpdateWindow(hwnd);
  ItemParts p = Parts(s, index);
  RECT r = p.label;
  if (s.View() == LVS_ICON) r.bottom = r.top + s.textHeight + 4;
  HWND edit = comctl::CreateLabelEditor(s, text, r.left, r.top, std::max(int(r.right - r.left), 40),
                                        std::max(int(r.bottom - r.top), s.textHeight + 4));
  if (!edit) return nullptr;
  s.editIndex = index;
  comctl::ShowLabelEditor(edit);
  InvalidateIndex(s, index);
  return edit;
}

void EndEdit(ListState& s, bool save) {
  if (!s.edit || s.ending) return;
  HWND hwnd = s.hwnd;
  int index = s.editIndex;
  s.editIndex = -1;
  std::u16string text = comctl::CloseLabelEditor(s);
  if (IsWindow(hwnd) && s.Valid(index)) {
    NMLVDISPINFOW di;
    di.item.mask = LVIF_TEXT | LVIF_PARAM;
    di.item.iItem = index;
    di.item.pszText = save ? text.data() : nullptr;
    di.item.cchTextMax = int(text.size()) + 1;
    if (!s.OwnerData()) di.item.lParam = s.rows[size_t(index)].param;
    LRESULT accept = comctl::Notify(hwnd, di.hdr, LVN_ENDLABELEDITW);
    if (save && accept && IsWindow(hwnd) && s.Valid(index) && !s.OwnerData()) {
      s.rows[size_t(index)].text = text;
      s.rows[size_t(index)].textCallback = false;
      WidenCells(s, index);
    }
    if (IsWindow(hwnd)) InvalidateIndex(s, index);
  }
  if (IsWindow(hwnd)) s.ending = false;
}

}  // namespace qv::list
