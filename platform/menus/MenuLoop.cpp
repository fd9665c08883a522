// The modal menu loop: it holds the mouse capture on the owner window, reads
// the mouse and the keyboard itself and dispatches every other message, so
// timers, painting and posted work go on. It tells the owner what happens
// (WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_MENUSELECT,
// WM_MENUCHAR, WM_UNINITMENUPOPUP, WM_EXITMENULOOP) and ends with the chosen
// command. Loops nest (TPM_RECURSE); a window or menu destroyed by a handler
// inside the loop ends it cleanly.
#include <algorithm>

#include "platform/gdi/SystemMetrics.h"
#include "platform/menus/MenuImpl.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::menus {
namespace {

struct Level {
  HMENU menu;
  HWND window;
};

class Tracker {
 public:
  Tracker(HWND owner, HMENU top, UINT flags, bool bar, bool system)
      : owner_(owner), top_(top), flags_(flags), bar_(bar), system_(system) {}

  UINT Run(Start start, POINT at, char16_t key, const RECT* exclude);
  void End() { done_ = true; }

 private:
  // Notifications (none with TPM_NONOTIFY); false once the owner is gone.
  LRESULT Notify(UINT msg, WPARAM wParam, LPARAM lParam);
  bool Alive() { return !done_ && IsWindow(owner_); }
  HMENU Current() const { return popups_.empty() ? (bar_ ? top_ : nullptr) : popups_.back().menu; }

  void Select(HMENU menu, int index, bool mouse);
  int Hilite(HMENU menu);
  bool OpenSub(HMENU parent, int index, bool selectFirst);
  void OpenPopup(HMENU menu, POINT at, UINT flags, const RECT* exclude, int pos);
  void CloseFrom(std::size_t level);
  void SwitchBar(int index, bool open, bool selectFirst);
  void RedrawBar();
  void Activate(HMENU menu, int index);
  void Finish();

  void Mouse(const MSG& m);
  void Key(MSG& m);
  void Char(char16_t ch);
  void Move(int step, bool toEnd);
  bool HitTest(POINT pt, int& level, int& item);

  HWND owner_;
  HMENU top_;
  UINT flags_;
  bool bar_, system_;
  std::vector<Level> popups_;
  bool done_ = false, buttonDown_ = false, keyboard_ = false;
  UINT result_ = 0;
  POINT lastPt_;
};

std::vector<Tracker*>& Trackers() {
  static std::vector<Tracker*> t;
  return t;
}

UINT ItemFlags(const Item& it, bool mouse, bool system) {
  UINT f = MF_HILITE;
  if (it.sub) f |= MF_POPUP;
  if (IsDisabled(it)) f |= MF_GRAYED;
  if (it.state & MFS_CHECKED) f |= MF_CHECKED;
  if (it.type & MFT_OWNERDRAW) f |= MF_OWNERDRAW;
  if (mouse) f |= MF_MOUSESELECT;
  if (system) f |= MF_SYSMENU;
  return f;
}

bool Selectable(const Item& it) {
  return !IsSeparator(it);
}

}  // namespace

LRESULT Tracker::Notify(UINT msg, WPARAM wParam, LPARAM lParam) {
  if ((flags_ & TPM_NONOTIFY) || !IsWindow(owner_)) return 0;
  return SendMessageW(owner_, msg, wParam, lParam);
}

int Tracker::Hilite(HMENU menu) {
  Lock l(T().lock);
  Menu* m = Get(menu);
  return m ? m->hilite : -1;
}

void Tracker::Select(HMENU menu, int index, bool mouse) {
  Item copy;
  HWND window = nullptr;
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    if (!m || m->hilite == index) return;
    m->hilite = index;
    window = m->window;
    if (index >= 0 && std::size_t(index) < m->items.size())
      copy = m->items[std::size_t(index)];
    else
      index = -1;
  }
  if (window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
  } else if (menu == top_ && bar_) {
    RedrawBar();
  }
  if (index < 0) return;
  UINT idOrPos = copy.sub ? UINT(index) : copy.id;
  Notify(WM_MENUSELECT, MAKEWPARAM(int(idOrPos), int(ItemFlags(copy, mouse, system_))), LPARAM(menu));
}

void Tracker::OpenPopup(HMENU menu, POINT at, UINT flags, const RECT* exclude, int pos) {
  Notify(WM_INITMENUPOPUP, WPARAM(menu), MAKELPARAM(pos, system_ ? 1 : 0));
  if (!Alive() || !IsMenu(menu)) return;
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    m->hilite = -1;
    m->showPrefix = keyboard_;
    m->owner = owner_;
    m->laidOut = false;
  }
  HWND w = CreatePopupWindow(menu, owner_, at, flags, exclude);
  if (w) popups_.push_back({menu, w});
}

bool Tracker::OpenSub(HMENU parent, int index, bool selectFirst) {
  HMENU sub = nullptr;
  RECT itemRect;
  bool enabled = false;
  {
    Lock l(T().lock);
    Menu* m = Get(parent);
    if (!m || index < 0 || std::size_t(index) >= m->items.size()) return false;
    sub = m->items[std::size_t(index)].sub;
    enabled = !IsDisabled(m->items[std::size_t(index)]);
  }
  if (!sub || !enabled) return false;
  for (std::size_t k = 0; k < popups_.size(); ++k)
    if (popups_[k].menu == sub) {
      CloseFrom(k + 1);
      if (selectFirst) Move(1, true);
      return true;
    }
  if (!GetMenuItemRect(owner_, parent, UINT(index), &itemRect)) return false;
  if (parent == top_ && bar_) {
    OpenPopup(sub, POINT{itemRect.left, itemRect.bottom}, TPM_VERTICAL, &itemRect, index);
  } else {
    RECT parentWindow{};
    if (!popups_.empty()) GetWindowRect(popups_.back().window, &parentWindow);
    OpenPopup(sub, POINT{parentWindow.right - 3, itemRect.top - kPopupFrame}, 0, &parentWindow, index);
  }
  if (selectFirst && !popups_.empty() && popups_.back().menu == sub) Move(1, true);
  return true;
}

void Tracker::CloseFrom(std::size_t level) {
  while (popups_.size() > level) {
    Level l = popups_.back();
    popups_.pop_back();
    DestroyPopupWindow(l.menu);
    if (IsWindow(l.window)) DestroyWindow(l.window);  // its menu was destroyed meanwhile
    Notify(WM_UNINITMENUPOPUP, WPARAM(l.menu), MAKELPARAM(0, system_ ? MF_SYSMENU : 0));
  }
  if (level == 0 && bar_) {
    Lock l(T().lock);
    if (Menu* m = Get(top_)) m->barOpen = false;
  }
}

void Tracker::RedrawBar() {
  if (IsWindow(owner_))
    RedrawWindow(owner_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
}

void Tracker::SwitchBar(int index, bool open, bool selectFirst) {
  CloseFrom(0);
  bool hasSub = false;
  {
    Lock l(T().lock);
    Menu* m = Get(top_);
    if (!m || index < 0 || std::size_t(index) >= m->items.size()) return;
    hasSub = m->items[std::size_t(index)].sub && !IsDisabled(m->items[std::size_t(index)]);
    m->barOpen = open && hasSub;
    m->showPrefix = keyboard_;
    m->hilite = -1;  // Select repaints
  }
  Select(top_, index, !keyboard_);
  if (open && hasSub && Alive()) OpenSub(top_, index, selectFirst);
}

void Tracker::Activate(HMENU menu, int index) {
  Item copy;
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    if (!m || index < 0 || std::size_t(index) >= m->items.size()) return;
    copy = m->items[std::size_t(index)];
  }
  if (IsSeparator(copy)) return;
  if (copy.sub) {
    if (menu == top_ && bar_)
      SwitchBar(index, true, true);
    else
      OpenSub(menu, index, true);
    return;
  }
  if (IsDisabled(copy)) return;
  result_ = copy.id;
  done_ = true;
}

// The menu level and item under a screen point: level >= 0 is a popup, -2
// the menu bar, -1 nothing of the menu.
bool Tracker::HitTest(POINT pt, int& level, int& item) {
  item = -1;
  for (int k = int(popups_.size()) - 1; k >= 0; --k) {
    RECT wr;
    if (!GetWindowRect(popups_[std::size_t(k)].window, &wr) || !PtInRect(&wr, pt)) continue;
    level = k;
    item = MenuItemFromPoint(owner_, popups_[std::size_t(k)].menu, pt);
    return true;
  }
  if (bar_) {
    RECT bar = BarRect(owner_), wr;
    GetWindowRect(owner_, &wr);
    OffsetRect(&bar, wr.left, wr.top);
    if (PtInRect(&bar, pt)) {
      level = -2;
      item = MenuItemFromPoint(owner_, top_, pt);
      return true;
    }
  }
  level = -1;
  return false;
}

void Tracker::Mouse(const MSG& msg) {
  POINT pt = msg.pt;
  int level = -1, item = -1;
  HitTest(pt, level, item);
  bool down = msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN ||
              msg.message == WM_LBUTTONDBLCLK || msg.message == WM_RBUTTONDBLCLK ||
              msg.message == WM_NCLBUTTONDOWN || msg.message == WM_NCRBUTTONDOWN;
  bool up = msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONUP || msg.message == WM_NCLBUTTONUP ||
            msg.message == WM_NCRBUTTONUP;
  bool move = msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE;
  if (move && pt == lastPt_) return;
  lastPt_ = pt;
  if (move || down) keyboard_ = false;
  if (down) buttonDown_ = true;
  if (level == -1) {
    if (down) done_ = true;
    return;
  }
  if (level == -2) {
    if (item < 0) {
      if (down) done_ = true;
      return;
    }
    int current = Hilite(top_);
    if (down && item == current && !popups_.empty()) {
      done_ = true;
    } else if (down || (move && item != current && (!popups_.empty() || buttonDown_))) {
      SwitchBar(item, true, false);
    } else if (up && item == current && popups_.empty()) {
      Activate(top_, item);
    }
    return;
  }
  HMENU menu = popups_[std::size_t(level)].menu;
  if (item < 0) return;
  if (move || down) {
    bool subOpen = popups_.size() > std::size_t(level) + 1 && Hilite(menu) == item;
    if (!subOpen) {
      CloseFrom(std::size_t(level) + 1);
      Select(menu, item, true);
      if (Alive()) OpenSub(menu, item, false);
    }
  } else if (up) {
    buttonDown_ = false;
    if (Hilite(menu) != item) return;
    {
      Lock l(T().lock);
      Menu* m = Get(menu);
      if (!m || std::size_t(item) >= m->items.size() || m->items[std::size_t(item)].sub) return;
    }
    Activate(menu, item);
  }
}

void Tracker::Move(int step, bool toEnd) {
  HMENU menu = Current();
  std::vector<bool> ok;
  int current = -1;
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    if (!m) return;
    for (auto& it : m->items) ok.push_back(Selectable(it));
    current = m->hilite;
  }
  int n = int(ok.size());
  if (n == 0) return;
  // From no item (or from an end), a step starts just outside the end it
  // moves away from: Up with nothing chosen reaches the last item, not the
  // one before it.
  int i = toEnd || current < 0 || current >= n ? (step > 0 ? -1 : n) : current;
  for (int tries = 0; tries < n; ++tries) {
    i += step;
    if (toEnd && (i < 0 || i >= n)) return;
    i = (i + n) % n;
    if (ok[std::size_t(i)]) break;
  }
  if (!ok[std::size_t(i)]) return;
  if (menu == top_ && bar_ && popups_.empty()) {
    SwitchBar(i, false, false);
  } else {
    CloseFrom(popups_.size());
    Select(menu, i, false);
  }
}

void Tracker::Key(MSG& msg) {
  keyboard_ = true;
  HMENU menu = Current();
  int sel = menu ? Hilite(menu) : -1;
  bool inBar = bar_ && popups_.empty();
  switch (msg.wParam) {
    case VK_ESCAPE:
      if (popups_.size() > 1 || (bar_ && popups_.size() == 1)) {
        CloseFrom(popups_.size() - 1);
        if (popups_.empty()) RedrawBar();
      } else {
        done_ = true;
      }
      return;
    case VK_MENU:
    case VK_F10:
      done_ = true;
      return;
    case VK_LEFT:
      if (popups_.size() > 1) return CloseFrom(popups_.size() - 1);
      if (bar_) {
        bool open = !popups_.empty();
        int count = GetMenuItemCount(top_);
        if (count > 0) SwitchBar((Hilite(top_) - 1 + count) % count, open, true);
      }
      return;
    case VK_RIGHT:
      if (!inBar && sel >= 0 && OpenSub(menu, sel, true)) return;
      if (bar_) {
        bool open = !popups_.empty();
        int count = GetMenuItemCount(top_);
        if (count > 0) SwitchBar((Hilite(top_) + 1) % count, open, true);
      }
      return;
    case VK_UP:
    case VK_DOWN:
      if (inBar) {
        if (sel >= 0 && !OpenSub(top_, sel, false)) return;
        {
          Lock l(T().lock);
          if (Menu* m = Get(top_)) m->barOpen = true;
        }
        RedrawBar();
        return Move(msg.wParam == VK_DOWN ? 1 : -1, true);
      }
      return Move(msg.wParam == VK_DOWN ? 1 : -1, false);
    case VK_HOME:
    case VK_END:
      return Move(msg.wParam == VK_HOME ? 1 : -1, true);
    case VK_RETURN:
      if (menu && sel >= 0) Activate(menu, sel);
      return;
  }
  TranslateMessage(&msg);
}

void Tracker::Char(char16_t ch) {
  HMENU menu = Current();
  if (!menu) return;
  char16_t lower = ch >= u'A' && ch <= u'Z' ? char16_t(ch + 32) : ch;
  std::vector<int> matches;
  int sel = -1;
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    if (!m) return;
    for (std::size_t i = 0; i < m->items.size(); ++i)
      if (!IsSeparator(m->items[i]) && Mnemonic(m->items[i]) == lower) matches.push_back(int(i));
    sel = m->hilite;
  }
  bool inBar = menu == top_ && bar_ && popups_.empty();
  if (matches.size() == 1) {
    if (inBar) return SwitchBar(matches[0], true, true);
    CloseFrom(popups_.size());
    Select(menu, matches[0], false);
    return Activate(menu, matches[0]);
  }
  if (matches.size() > 1) {
    auto next = std::upper_bound(matches.begin(), matches.end(), sel);
    int target = next == matches.end() ? matches.front() : *next;
    if (inBar) return SwitchBar(target, false, false);
    return Select(menu, target, false);
  }
  UINT kind = (inBar ? 0 : MF_POPUP) | (system_ ? MF_SYSMENU : 0);
  LRESULT r = Notify(WM_MENUCHAR, MAKEWPARAM(ch, int(kind)), LPARAM(menu));
  if (!Alive()) return;
  int index = LOWORD(uintptr_t(r));
  switch (HIWORD(uintptr_t(r))) {
    case MNC_CLOSE:
      done_ = true;
      return;
    case MNC_EXECUTE:
      if (inBar) return SwitchBar(index, true, true);
      Select(menu, index, false);
      return Activate(menu, index);
    case MNC_SELECT:
      return inBar ? SwitchBar(index, false, false) : Select(menu, index, false);
    default:
      MessageBeep(0);
  }
}

void Tracker::Finish() {
  CloseFrom(0);
  if (bar_) {
    {
      Lock l(T().lock);
      if (Menu* m = Get(top_)) m->hilite = -1, m->barOpen = false, m->showPrefix = false;
    }
    RedrawBar();
  }
  Notify(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  if (GetCapture() == owner_) ReleaseCapture();
  Notify(WM_EXITMENULOOP, bar_ || system_ ? FALSE : TRUE, 0);
}

UINT Tracker::Run(Start start, POINT at, char16_t key, const RECT* exclude) {
  bool popupStart = start == Start::Popup;
  Notify(WM_ENTERMENULOOP, popupStart ? TRUE : FALSE, 0);
  if (!Alive()) return 0;
  SetCapture(owner_);
  Notify(WM_INITMENU, WPARAM(top_), 0);
  keyboard_ = start == Start::BarKey || (start == Start::System && key);
  if (Alive() && IsMenu(top_)) {
    switch (start) {
      case Start::Popup:
      case Start::System:
        OpenPopup(top_, at, flags_, exclude, 0);
        if (keyboard_) Move(1, true);
        if (popups_.empty()) done_ = true;
        break;
      case Start::BarMouse: {
        int level = -1, item = -1;
        buttonDown_ = true;
        if (HitTest(at, level, item) && item >= 0)
          SwitchBar(item, true, false);
        else
          done_ = true;
        lastPt_ = at;
        break;
      }
      case Start::BarKey:
        if (key) {
          Char(key);
          if (popups_.empty() && Hilite(top_) < 0) done_ = true;
        } else {
          SwitchBar(0, false, false);
        }
        break;
    }
  } else {
    done_ = true;
  }
  MSG msg;
  HWND active = GetActiveWindow();
  while (Alive() && !done_) {
    if (GetCapture() != owner_) break;
    if (GetActiveWindow() != active) break;  // another window (or program) took the activation
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      PostQuitMessage(int(msg.wParam));
      break;
    }
    UINT m = msg.message;
    if ((m >= WM_MOUSEFIRST && m <= WM_MOUSELAST && m != WM_MOUSEWHEEL && m != WM_MOUSEHWHEEL) ||
        (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK)) {
      Mouse(msg);
    } else if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) {
      Key(msg);
    } else if (m == WM_CHAR || m == WM_SYSCHAR) {
      Char(char16_t(msg.wParam));
    } else if (m == WM_KEYUP || m == WM_SYSKEYUP) {
      // eaten: the loop answers key presses only
    } else {
      DispatchMessageW(&msg);
    }
  }
  Finish();
  return result_;
}

UINT Track(HWND owner, HMENU menu, Start start, UINT flags, POINT at, char16_t key, const RECT* exclude) {
  if (!IsWindow(owner) || !IsMenu(menu)) return 0;
  if (!Trackers().empty() && !(flags & TPM_RECURSE)) return 0;
  bool bar = start == Start::BarMouse || start == Start::BarKey;
  bool system = start == Start::System;
  if (system) UpdateSystemMenu(owner, menu);
  Tracker t(owner, menu, flags, bar, system);
  Trackers().push_back(&t);
  UINT cmd = t.Run(start, at, key, exclude);
  std::erase(Trackers(), &t);
  if (cmd && !(flags & TPM_RETURNCMD) && IsWindow(owner)) {
    if (system)
      PostMessageW(owner, WM_SYSCOMMAND, cmd, MAKELPARAM(at.x, at.y));
    else
      PostMessageW(owner, WM_COMMAND, cmd, 0);
  }
  return cmd;
}

bool InLoop() {
  return !Trackers().empty();
}

}  // namespace qv::menus

namespace qv {
using namespace menus;

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params) {
  if (!IsMenu(menu) || !IsWindow(owner)) return FALSE;
  if (InLoop() && !(flags & TPM_RECURSE)) return FALSE;
  UINT cmd = Track(owner, menu, Start::Popup, flags, POINT{x, y}, 0, params ? &params->rcExclude : nullptr);
  return flags & TPM_RETURNCMD ? BOOL(cmd) : TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}

BOOL EndMenu() {
  if (Trackers().empty()) return FALSE;
  Trackers().back()->End();
  PostMessageW(nullptr, WM_NULL, 0, 0);
  return TRUE;
}

}  // namespace qv
