// The list box's keyboard and mouse: arrow and page keys in each selection
// mode, type-ahead search, clicking and dragging a selection, the scroll
// bars, and the drop-down list's tracking for its combo box.
#include <algorithm>

#include "platform/controls/ListBoxImpl.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"

namespace qv::lb {
namespace {

constexpr DWORD kSearchPause = 1000;  // ms between keys that still extend the typed prefix

bool KeyDownNow(int vk) {
  return GetKeyState(vk) < 0;
}

int TargetForKey(ListBox& lb, UINT vk) {
  int n = lb.Count(), c = std::clamp(lb.caret, 0, std::max(0, n - 1));
  switch (vk) {
    case VK_UP:
    case VK_LEFT:
      return c - 1;
    case VK_DOWN:
    case VK_RIGHT:
      return lb.Valid(lb.current) || lb.Multi() ? c + 1 : c;
    case VK_PRIOR: {
      int page = PageCount(lb, lb.top);
      return c == lb.top ? c - page + 1 : lb.top;
    }
    case VK_NEXT: {
      int page = PageCount(lb, lb.top);
      int bottom = lb.top + page - 1;
      return c == bottom ? c + page - 1 : bottom;
    }
    case VK_HOME:
      return 0;
    case VK_END:
      return n - 1;
  }
  return -2;
}

void Select(ListBox& lb, int index, bool shift, bool control) {
  index = std::clamp(index, 0, lb.Count() - 1);
  bool changed = MoveSelection(lb, index, shift, control);
  if (changed) Notify(lb, LBN_SELCHANGE);
}

// The item at a point of a list that has the mouse captured, scrolling a
// step when the point is above or below the list.
int TrackedItem(ListBox& lb, POINT p) {
  RECT c = ClientRectOf(lb);
  if (p.y < 0 && lb.top > 0) SetTop(lb, lb.top - 1);
  if (p.y >= c.bottom) SetTop(lb, lb.top + 1);
  int y = std::clamp(int(p.y), 0, std::max(0, int(c.bottom) - 1));
  return ItemAtY(lb, y);
}

LRESULT ComboMouse(ListBox& lb, UINT msg, POINT p) {
  RECT c = ClientRectOf(lb);
  bool inside = PtInRect(&c, p);
  switch (msg) {
    case WM_MOUSEMOVE:
      if (inside || lb.comboPressed) {
        int i = inside ? ItemAtY(lb, p.y) : TrackedItem(lb, p);
        if (i >= 0) {
          SetCurrent(lb, i);
          EnsureVisible(lb, i);
        }
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!inside) {
        HWND self = lb.hwnd, combo = lb.notify;
        POINT s = p;
        ClientToScreen(self, &s);
        // The list's own scroll bar scrolls it and leaves it open.
        RECT wr;
        GetWindowRect(self, &wr);
        if (PtInRect(&wr, s)) {
          LRESULT hit = SendMessageW(self, WM_NCHITTEST, 0, MAKELPARAM(s.x, s.y));
          if (hit == HTVSCROLL || hit == HTHSCROLL) {
            lb.scrolling = true;
            DefWindowProcW(self, WM_NCLBUTTONDOWN, WPARAM(hit), MAKELPARAM(s.x, s.y));
            if (!IsWindow(self)) return 0;
            lb.scrolling = false;
            if (IsWindowVisible(self)) SetCapture(self);
            return 0;
          }
        }
        // A press elsewhere closes the list; a press on the combo's own
        // button also ends up here, so the combo is told where it was.
        SendMessageW(combo, kComboListHit, 0, MAKELPARAM(s.x, s.y));
        if (IsWindow(self)) SendMessageW(combo, kComboListClose, FALSE, 0);
        return 0;
      }
      lb.comboPressed = true;
      lb.comboIgnoreUp = false;
      if (int i = ItemAtY(lb, p.y); i >= 0) SetCurrent(lb, i);
      return 0;
    case WM_LBUTTONUP:
      if (inside && lb.Count() > 0) {
        if (int i = ItemAtY(lb, p.y); i >= 0) SetCurrent(lb, i);
        lb.comboIgnoreUp = false;
        // The choice's handlers may destroy the combo and this list with it.
        SendMessageW(lb.notify, kComboListClose, TRUE, 0);
        return 0;
      } else if (!lb.comboIgnoreUp) {
        lb.comboPressed = false;
      }
      lb.comboIgnoreUp = false;
      return 0;
    case WM_CAPTURECHANGED:
      if (IsWindowVisible(lb.hwnd) && !lb.scrolling) SendMessageW(lb.notify, kComboListClose, FALSE, 0);
      return 0;
  }
  return 0;
}

}  // namespace

LRESULT KeyDown(ListBox& lb, UINT vk) {
  if (lb.style & LBS_WANTKEYBOARDINPUT && lb.notify) {
    HWND self = lb.hwnd;
    LRESULT r = SendMessageW(lb.notify, WM_VKEYTOITEM, MAKEWPARAM(vk, lb.caret), LPARAM(self));
    if (!IsWindow(self) || r == -2) return 0;
    if (r >= 0) return Select(lb, int(r), false, false), 0;
  }
  if (lb.Count() == 0) return 0;
  bool shift = KeyDownNow(VK_SHIFT), control = KeyDownNow(VK_CONTROL);
  if (vk == VK_SPACE && lb.Multi()) {
    int c = lb.caret;
    if (!lb.Valid(c)) return 0;
    if (lb.Extended() && shift) return Select(lb, c, true, control), 0;
    if (!lb.Extended() || control) {
      SetSelected(lb, c, !lb.items[std::size_t(c)].selected);
      lb.anchor = c;
      Notify(lb, LBN_SELCHANGE);
    }
    return 0;
  }
  int target = TargetForKey(lb, vk);
  if (target == -2) return 0;
  Select(lb, target, shift && lb.Extended(), control && lb.Extended());
  return 0;
}

LRESULT Char(ListBox& lb, char16_t ch) {
  if (ch < 0x20 || !lb.HasStrings()) {
    if (ch >= 0x20 && lb.style & LBS_WANTKEYBOARDINPUT && lb.notify) {
      HWND self = lb.hwnd;
      LRESULT r = SendMessageW(lb.notify, WM_CHARTOITEM, MAKEWPARAM(ch, lb.caret), LPARAM(self));
      if (IsWindow(self) && r >= 0) Select(lb, int(r), false, false);
    }
    return 0;
  }
  if (lb.Count() == 0) return 0;
  DWORD now = GetTickCount();
  if (now - lb.searchTime > kSearchPause) lb.search.clear();
  lb.searchTime = now;
  // The same letter typed again steps through the items it begins.
  bool repeat = lb.search.size() == 1 && lb.search[0] == ch;
  if (!repeat) lb.search += ch;
  int start = repeat || lb.search.size() == 1 ? lb.caret : lb.caret - 1;
  int found = FindTyped(lb, start, lb.search);
  if (found < 0 && lb.search.size() > 1) {
    lb.search = std::u16string(1, ch);
    found = FindTyped(lb, lb.caret, lb.search);
  }
  if (found >= 0) Select(lb, found, false, false);
  return 0;
}

LRESULT Mouse(ListBox& lb, UINT msg, WPARAM keys, POINT p) {
  if (lb.inCombo) return ComboMouse(lb, msg, p);
  bool shift = keys & MK_SHIFT, control = keys & MK_CONTROL;
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // Handlers of the focus change or the notifications may destroy the list.
      HWND self = lb.hwnd;
      if (GetFocus() != self) SetFocus(self);
      if (!IsWindow(self)) return 0;
      bool outside = false;
      int i = ItemAtY(lb, p.y, &outside);
      if (i < 0 || (outside && p.y >= 0)) return 0;
      bool changed = false;
      if (!lb.Multi()) {
        changed = MoveSelection(lb, i, false, false);
      } else if (!lb.Extended() || (control && !shift)) {
        bool on = !lb.items[std::size_t(i)].selected;
        SetSelected(lb, i, on);
        lb.trackSelect = on;
        lb.anchor = i;
        SetCaret(lb, i);
        changed = true;
      } else {
        changed = MoveSelection(lb, i, shift, false);
        lb.trackSelect = true;
      }
      lb.tracking = true;
      SetCapture(self);
      if (changed) Notify(lb, LBN_SELCHANGE);
      if (msg == WM_LBUTTONDBLCLK && IsWindow(self)) Notify(lb, LBN_DBLCLK);
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (!lb.tracking || GetCapture() != lb.hwnd) return 0;
      int i = TrackedItem(lb, p);
      if (i < 0 || i == lb.caret) return 0;
      bool changed = false;
      if (!lb.Multi()) {
        changed = MoveSelection(lb, i, false, false);
      } else if (lb.Extended()) {
        changed = MoveSelection(lb, i, true, false);
      } else {
        SetCaret(lb, i);
      }
      if (changed) Notify(lb, LBN_SELCHANGE);
      return 0;
    }
    case WM_LBUTTONUP:
      if (lb.tracking) {
        lb.tracking = false;
        if (GetCapture() == lb.hwnd) ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      lb.tracking = false;
      return 0;
  }
  return 0;
}

void Scroll(ListBox& lb, int code, bool vertical) {
  if (!vertical) {
    int width = ClientRectOf(lb).right, pos = lb.horzPos;
    switch (code) {
      case SB_LINELEFT:
        pos -= 8;
        break;
      case SB_LINERIGHT:
        pos += 8;
        break;
      case SB_PAGELEFT:
        pos -= width;
        break;
      case SB_PAGERIGHT:
        pos += width;
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: {
        SCROLLINFO si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(lb.hwnd, SB_HORZ, &si);
        pos = si.nTrackPos;
        break;
      }
      default:
        return;
    }
    lb.horzPos = std::clamp(pos, 0, std::max(0, lb.horzExtent - width));
    InvalidateRect(lb.hwnd, nullptr, TRUE);
    UpdateScrollBars(lb);
    return;
  }
  int page = PageCount(lb, lb.top);
  switch (code) {
    case SB_LINEUP:
      SetTop(lb, lb.top - 1);
      break;
    case SB_LINEDOWN:
      SetTop(lb, lb.top + 1);
      break;
    case SB_PAGEUP:
      SetTop(lb, lb.top - page);
      break;
    case SB_PAGEDOWN:
      SetTop(lb, lb.top + page);
      break;
    case SB_TOP:
      SetTop(lb, 0);
      break;
    case SB_BOTTOM:
      SetTop(lb, lb.Count());
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(lb.hwnd, SB_VERT, &si);
      SetTop(lb, si.nTrackPos);
      break;
    }
  }
}

}  // namespace qv::lb
