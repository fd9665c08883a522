// Tree view input: mouse selection, buttons, check boxes, hot tracking,
// the drag start, right-click notification; keyboard navigation and
// type-ahead; and in-place label editing through an EDIT child.
#include <algorithm>

#include "platform/comctl/TreeViewState.h"
#include "platform/controls/ControlPaint.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::tree {

namespace {

bool Alive(TreeState& s, HWND hwnd, Item* item) {
  return IsWindow(hwnd) && item && s.model.FindItem(item->Handle()) == item;
}

void ToggleCheck(TreeState& s, Item* item) {
  int index = int((item->state & TVIS_STATEIMAGEMASK) >> 12);
  SetCheck(s, item, index == 2 ? 1 : 2);
}

void SetHot(TreeState& s, Item* item) {
  if (item == s.hot) return;
  Item* old = s.hot;
  s.hot = item;
  InvalidateItem(s, old);
  InvalidateItem(s, item);
  if (item) comctl::TrackMouseLeave(s);
}

void LeftDown(TreeState& s, POINT p, bool dbl) {
  HWND hwnd = s.hwnd;
  KillTimer(hwnd, kEditTimer);
  s.pendingEdit = nullptr;
  if (GetFocus() != hwnd && !(s.edit && GetFocus() == s.edit)) SetFocus(hwnd);
  if (!IsWindow(hwnd)) return;
  if (s.edit) EndEdit(s, true);
  Item* item = nullptr;
  UINT where = HitTest(s, p, &item);
  if (!item) return;
  if (where == TVHT_ONITEMBUTTON) {
    Expand(s, item, TVE_TOGGLE, TVC_BYMOUSE);
    return;
  }
  if (where == TVHT_ONITEMSTATEICON && (s.Style() & TVS_CHECKBOXES)) {
    if (!dbl) ToggleCheck(s, item);
    return;
  }
  bool fullRow = s.Style() & TVS_FULLROWSELECT;
  if (!(where & TVHT_ONITEM) && !fullRow) {
    if (dbl && comctl::SimpleNotify(hwnd, NM_DBLCLK) == 0 && Alive(s, hwnd, item))
      Expand(s, item, TVE_TOGGLE);
    return;
  }
  if (dbl) {
    if (comctl::SimpleNotify(hwnd, NM_DBLCLK) == 0 && Alive(s, hwnd, item))
      Expand(s, item, TVE_TOGGLE, TVC_BYMOUSE);
    return;
  }
  s.downOnSelected = item == s.selected && (where & TVHT_ONITEMLABEL);
  s.leftDown = true;
  s.downPoint = p;
  s.downItem = item;
  SetCapture(hwnd);
  Select(s, item, TVC_BYMOUSE);
}

void LeftUp(TreeState& s, POINT p) {
  HWND hwnd = s.hwnd;
  if (!s.leftDown) return;
  s.leftDown = false;
  Item* down = s.downItem;
  s.downItem = nullptr;
  comctl::ReleaseOwnCapture(hwnd);
  if (comctl::SimpleNotify(hwnd, NM_CLICK) != 0 || !IsWindow(hwnd)) return;
  Item* item = nullptr;
  UINT where = HitTest(s, p, &item);
  if (s.downOnSelected && item == down && (where & TVHT_ONITEMLABEL) && (s.Style() & TVS_EDITLABELS) &&
      item == s.selected) {
    s.pendingEdit = item;
    SetTimer(hwnd, kEditTimer, GetDoubleClickTime(), nullptr);
  }
}

void RightDrag(TreeState& s, POINT p) {
  HWND hwnd = s.hwnd;
  if (!comctl::BeyondDragDistance(s.downPoint, p)) return;
  Item* item = s.downItem;
  s.rightDown = false;
  s.downItem = nullptr;
  comctl::ReleaseOwnCapture(hwnd);
  Item* old = s.dropHilite;
  s.dropHilite = nullptr;
  InvalidateItem(s, old);
  if ((s.Style() & TVS_DISABLEDRAGDROP) || !Alive(s, hwnd, item)) return;
  NMTREEVIEWW nm;
  nm.action = TVC_BYMOUSE;
  nm.itemNew = ItemInfo(s, item);
  nm.ptDrag = s.downPoint;
  NotifyTree(s, nm, TVN_BEGINRDRAGW);
}

void MouseMove(TreeState& s, POINT p) {
  HWND hwnd = s.hwnd;
  if (s.rightDown && s.downItem) return RightDrag(s, p);
  if (s.leftDown && s.downItem) {
    if (comctl::BeyondDragDistance(s.downPoint, p)) {
      Item* item = s.downItem;
      s.leftDown = false;
      s.downItem = nullptr;
      comctl::ReleaseOwnCapture(hwnd);
      if (!(s.Style() & TVS_DISABLEDRAGDROP) && Alive(s, hwnd, item)) {
        NMTREEVIEWW nm;
        nm.action = TVC_BYMOUSE;
        nm.itemNew = ItemInfo(s, item);
        nm.ptDrag = s.downPoint;
        NotifyTree(s, nm, TVN_BEGINDRAGW);
      }
      return;
    }
  }
  if (s.Style() & TVS_TRACKSELECT) {
    Item* item = nullptr;
    UINT where = HitTest(s, p, &item);
    SetHot(s, (where & TVHT_ONITEM) ? item : nullptr);
  }
}

void RightUp(TreeState& s, POINT p) {
  HWND hwnd = s.hwnd;
  bool pressed = s.rightDown;
  s.rightDown = false;
  s.downItem = nullptr;
  comctl::ReleaseOwnCapture(hwnd);
  if (!pressed) return;  // it became a drag
  Item* old = s.dropHilite;
  s.dropHilite = nullptr;
  InvalidateItem(s, old);
  comctl::RightClick(hwnd, p);
}

}  // namespace

LRESULT MouseMessage(TreeState& s, UINT msg, WPARAM, LPARAM l) {
  POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
  switch (msg) {
    case WM_LBUTTONDOWN:
      LeftDown(s, p, false);
      break;
    case WM_LBUTTONDBLCLK:
      LeftDown(s, p, true);
      break;
    case WM_LBUTTONUP:
      LeftUp(s, p);
      break;
    case WM_MOUSEMOVE:
      MouseMove(s, p);
      break;
    case WM_MOUSELEAVE:
      s.tracking = false;
      SetHot(s, nullptr);
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: {
      if (GetFocus() != s.hwnd) SetFocus(s.hwnd);
      if (!IsWindow(s.hwnd)) break;
      if (s.edit) EndEdit(s, true);
      Item* item = nullptr;
      HitTest(s, p, &item);
      s.dropHilite = item;
      InvalidateItem(s, item);
      s.rightDown = true;
      s.downItem = item;
      s.downPoint = p;
      SetCapture(s.hwnd);
      break;
    }
    case WM_RBUTTONUP:
      RightUp(s, p);
      break;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(l) != s.hwnd) s.leftDown = s.rightDown = false, s.downItem = nullptr;
      break;
  }
  return 0;
}

bool KeyDown(TreeState& s, WPARAM vk) {
  HWND hwnd = s.hwnd;
  if (!comctl::NotifyKeyDown<NMTVKEYDOWN>(hwnd, TVN_KEYDOWN, vk)) return true;
  Item* sel = s.selected;
  Item* first = s.model.Root()->first;
  if (!first) return false;
  Item* target = nullptr;
  switch (vk) {
    case VK_UP:
      target = sel ? Model::PrevShown(sel) : first;
      break;
    case VK_DOWN:
      target = sel ? Model::NextShown(sel) : first;
      break;
    case VK_HOME:
      target = first;
      break;
    case VK_END:
      target = Model::LastShown(s.model.Root());
      break;
    case VK_PRIOR:
    case VK_NEXT: {
      target = sel ? sel : first;
      for (int i = 1; i < PageRows(s); ++i) {
        Item* n = vk == VK_NEXT ? Model::NextShown(target) : Model::PrevShown(target);
        if (!n) break;
        target = n;
      }
      break;
    }
    case VK_LEFT:
    case VK_BACK:
      if (!sel) return true;
      if (vk == VK_LEFT && sel->Expanded()) {
        Expand(s, sel, TVE_COLLAPSE, TVC_BYKEYBOARD);
        return true;
      }
      target = sel->parent && sel->parent->level >= 0 ? sel->parent : nullptr;
      break;
    case VK_RIGHT:
      if (!sel) return true;
      if (!sel->Expanded()) {
        Expand(s, sel, TVE_EXPAND, TVC_BYKEYBOARD);
        return true;
      }
      target = sel->first;
      break;
    case VK_ADD:
      if (sel) Expand(s, sel, TVE_EXPAND, TVC_BYKEYBOARD);
      return true;
    case VK_SUBTRACT:
      if (sel) Expand(s, sel, TVE_COLLAPSE, TVC_BYKEYBOARD);
      return true;
    case VK_MULTIPLY:
      if (sel) ExpandAllBelow(s, sel);
      return true;
    case VK_F2:
      if (sel && (s.Style() & TVS_EDITLABELS)) BeginEdit(s, sel);
      return true;
    case VK_SPACE:
      if (sel && (s.Style() & TVS_CHECKBOXES)) ToggleCheck(s, sel);
      return true;
    case VK_RETURN:
      comctl::SimpleNotify(hwnd, NM_RETURN);
      return true;
    default:
      return false;
  }
  if (target && IsWindow(hwnd)) Select(s, target, TVC_BYKEYBOARD);
  return true;
}

void CharTyped(TreeState& s, char16_t c) {
  if (c < 32 || !s.model.Root()->first) return;
  comctl::TypeAhead(s, c);
  Item* start = s.selected ? s.selected : s.model.Root()->first;
  // A single letter looks past the current item; a longer prefix may still match it.
  Item* i = s.search.size() == 1 ? Model::NextShown(start) : start;
  for (int guard = s.model.TotalRows() + 1; guard > 0; --guard) {
    if (!i) i = s.model.Root()->first;
    std::u16string text = TextOf(s, i);
    if (comctl::TypedPrefixMatches(text, s.search)) {
      Select(s, i, TVC_BYKEYBOARD);
      return;
    }
    i = Model::NextShown(i);
  }
}

void TimerFired(TreeState& s, uintptr_t id) {
  if (id != kEditTimer) return;
  KillTimer(s.hwnd, kEditTimer);
  Item* item = s.pendingEdit;
  s.pendingEdit = nullptr;
  if (item && item == s.selected && GetFocus() == s.hwnd) BeginEdit(s, item);
}

HWND BeginEdit(TreeState& s, Item* item) {
  HWND hwnd = s.hwnd;
  if (!item || item->dying) return nullptr;
  if (s.edit) EndEdit(s, true);
  if (!Alive(s, hwnd, item)) return nullptr;
  EnsureVisible(s, item);
  if (!Alive(s, hwnd, item)) return nullptr;
  std::u16string text = TextOf(s, item);
  NMTVDISPINFOW di;
  di.item = ItemInfo(s, item);
  di.item.mask |= TVIF_TEXT;
  di.item.pszText = text.data();
  di.item.cchTextMax = int(text.size()) + 1;
  if (comctl::Notify(hwnd, di.hdr, TVN_BEGINLABELEDITW) != 0) return nullptr;
  if (!Alive(s, hwnd, item)) return nullptr;
  UpdateWindow(hwnd);
  int row = RowFromTop(s, item, PageRows(s) + 1);
  RowLayout l = Layout(s, item, row * s.itemHeight);
  RECT client;
  GetClientRect(hwnd, &client);
  int width = std::max(int(l.label.Width()) + 16, 40);
  width = std::min(width, std::max(40, int(client.right - l.label.left)));
  HWND edit = comctl::CreateLabelEditor(s, text, l.label.left - 1, l.label.top, width, s.itemHeight);
  if (!edit) return nullptr;
  s.editItem = item;
  comctl::ShowLabelEditor(edit);
  InvalidateItem(s, item);
  return edit;
}

void EndEdit(TreeState& s, bool save) {
  if (!s.edit || s.ending) return;
  HWND hwnd = s.hwnd;
  Item* item = s.editItem;
  s.editItem = nullptr;
  std::u16string text = comctl::CloseLabelEditor(s);
  if (IsWindow(hwnd) && Alive(s, hwnd, item)) {
    NMTVDISPINFOW di;
    di.item = ItemInfo(s, item);
    di.item.mask |= TVIF_TEXT;
    di.item.pszText = save ? text.data() : nullptr;
    di.item.cchTextMax = int(text.size()) + 1;
    LRESULT accept = comctl::Notify(hwnd, di.hdr, TVN_ENDLABELEDITW);
    if (save && accept && Alive(s, hwnd, item)) {
      item->text = text;
      item->textCallback = false;
      item->width = -1;
    }
    if (Alive(s, hwnd, item)) InvalidateItem(s, item);
  }
  if (IsWindow(hwnd)) s.ending = false;
}

}  // namespace qv::tree
