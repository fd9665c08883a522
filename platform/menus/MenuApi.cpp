// Menu handles and their items: creation, the old-style and the item-info
// calls, check/enable/default states. Changes to a shown menu repaint it.
#include <algorithm>
#include <cstring>

#include "platform/menus/MenuImpl.h"
#include "platform/window/Paint.h"

namespace qv {
namespace menus {
namespace {

constexpr uintptr_t kHandleBase = 0x10000;

HMENU HandleOf(std::size_t index) {
  return reinterpret_cast<HMENU>(kHandleBase + index * 4);
}

HMENU NewMenu(bool popup) {
  InstallWindowHooks();
  Lock l(T().lock);
  auto m = std::make_unique<Menu>();
  m->popup = popup;
  m->handle = HandleOf(T().menus.size());
  HMENU h = m->handle;
  T().menus.push_back(std::move(m));
  return h;
}

// Frees a menu and its sub-menus; the popup windows that showed them are
// collected for the caller to destroy once the lock is released.
void DestroyTree(HMENU h, int depth, std::vector<HWND>* windows = nullptr) {
  Menu* m = Get(h);
  if (!m || depth > 64) return;
  std::vector<HMENU> subs;
  for (auto& it : m->items)
    if (it.sub) subs.push_back(it.sub);
  if (m->window && windows) windows->push_back(m->window);
  std::size_t index = (uintptr_t(h) - kHandleBase) / 4;
  T().menus[index].reset();
  for (HMENU s : subs) DestroyTree(s, depth + 1, windows);
}

// Applies the old-style flags and id/sub-menu to an item.
void ApplyFlags(Item& it, UINT flags, uintptr_t idOrSub, const char16_t* text) {
  it.type = flags & (MFT_MENUBARBREAK | MFT_MENUBREAK | MFT_OWNERDRAW | MFT_RIGHTJUSTIFY | MF_BITMAP);
  if (flags & MF_SEPARATOR) it.type |= MFT_SEPARATOR;
  it.state = flags & (MFS_GRAYED | MFS_CHECKED | MFS_HILITE | MFS_DEFAULT);
  if (flags & MF_POPUP) {
    it.sub = reinterpret_cast<HMENU>(idOrSub);
    it.id = UINT(idOrSub);
  } else {
    it.sub = nullptr;
    it.id = UINT(idOrSub);
  }
  it.text.clear();
  it.bitmap = nullptr;
  it.data = 0;
  if (flags & MF_OWNERDRAW)
    it.data = uintptr_t(text);
  else if (flags & MF_BITMAP)
    it.bitmap = reinterpret_cast<HBITMAP>(const_cast<char16_t*>(text));
  else if (text && !(flags & MF_SEPARATOR))
    it.text = text;
}

void Changed(Menu& m) {
  Invalidate(m);
  if (m.window) RepaintPopup(m.handle);
}

BOOL InsertAt(HMENU menu, UINT item, UINT flags, Item it) {
  Lock l(T().lock);
  Menu* m = Get(menu);
  if (!m) return FALSE;
  int pos = -1;
  if (flags & MF_BYPOSITION) {
    pos = item == 0xFFFFFFFF || item > m->items.size() ? int(m->items.size()) : int(item);
  } else {
    Menu* holder = nullptr;
    if (!Find(menu, item, MF_BYCOMMAND, &holder, &pos)) {
      pos = int(m->items.size());
    } else {
      m = holder;
    }
  }
  m->items.insert(m->items.begin() + pos, std::move(it));
  Changed(*m);
  return TRUE;
}

Item* FindDeep(Menu& m, UINT id, Menu** owner, int* pos, int depth) {
  if (depth > 64) return nullptr;
  for (std::size_t i = 0; i < m.items.size(); ++i) {
    Item& it = m.items[i];
    if (!it.sub && it.id == id) {
      if (owner) *owner = &m;
      if (pos) *pos = int(i);
      return &it;
    }
  }
  for (auto& it : m.items)
    if (Menu* s = it.sub ? Get(it.sub) : nullptr)
      if (Item* r = FindDeep(*s, id, owner, pos, depth + 1)) return r;
  return nullptr;
}

UINT StateFlags(const Item& it) {
  UINT r = it.state & (MFS_GRAYED | MFS_CHECKED | MFS_HILITE | MFS_DEFAULT);
  r |= it.type &
       (MFT_SEPARATOR | MFT_OWNERDRAW | MFT_MENUBARBREAK | MFT_MENUBREAK | MFT_RIGHTJUSTIFY | MF_BITMAP);
  return r;
}

}  // namespace

Table& T() {
  static Table t;
  return t;
}

Menu* Get(HMENU menu) {
  uintptr_t v = uintptr_t(menu);
  if (v < kHandleBase || (v - kHandleBase) % 4) return nullptr;
  std::size_t index = (v - kHandleBase) / 4;
  auto& list = T().menus;
  return index < list.size() ? list[index].get() : nullptr;
}

Item* Find(HMENU menu, UINT item, UINT flags, Menu** owner, int* pos) {
  Menu* m = Get(menu);
  if (!m) return nullptr;
  if (flags & MF_BYPOSITION) {
    if (item >= m->items.size()) return nullptr;
    if (owner) *owner = m;
    if (pos) *pos = int(item);
    return &m->items[item];
  }
  return FindDeep(*m, item, owner, pos, 0);
}

void Invalidate(Menu& m) {
  m.laidOut = false;
  for (auto& it : m.items) it.measured = false;
}

bool IsSeparator(const Item& it) {
  return (it.type & MFT_SEPARATOR) != 0;
}

bool IsDisabled(const Item& it) {
  return (it.state & MFS_GRAYED) != 0;
}

char16_t Mnemonic(const Item& it) {
  const auto& t = it.text;
  for (std::size_t i = 0; i + 1 < t.size(); ++i) {
    if (t[i] != u'&') continue;
    if (t[i + 1] == u'&') {
      ++i;
      continue;
    }
    char16_t c = t[i + 1];
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
  }
  return 0;
}

}  // namespace menus

using namespace menus;

HMENU CreateMenu() {
  return NewMenu(false);
}

HMENU CreatePopupMenu() {
  return NewMenu(true);
}

BOOL DestroyMenu(HMENU menu) {
  std::vector<HWND> windows;
  {
    Lock l(T().lock);
    if (!Get(menu)) return FALSE;
    DestroyTree(menu, 0, &windows);
  }
  for (HWND w : windows)
    if (IsWindow(w)) DestroyWindow(w);
  return TRUE;
}

BOOL IsMenu(HMENU menu) {
  Lock l(T().lock);
  return Get(menu) != nullptr;
}

int GetMenuItemCount(HMENU menu) {
  Lock l(T().lock);
  Menu* m = Get(menu);
  return m ? int(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int pos) {
  Lock l(T().lock);
  Item* it = pos >= 0 ? Find(menu, UINT(pos), MF_BYPOSITION) : nullptr;
  return it && !it->sub ? it->id : 0xFFFFFFFF;
}

HMENU GetSubMenu(HMENU menu, int pos) {
  Lock l(T().lock);
  Item* it = pos >= 0 ? Find(menu, UINT(pos), MF_BYPOSITION) : nullptr;
  return it ? it->sub : nullptr;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  Lock l(T().lock);
  Item* it = Find(menu, item, flags);
  if (!it) return 0xFFFFFFFF;
  UINT r = StateFlags(*it);
  if (Menu* s = it->sub ? Get(it->sub) : nullptr) r = (r & 0xFF) | MF_POPUP | (UINT(s->items.size()) << 8);
  return r;
}

int GetMenuStringW(HMENU menu, UINT item, char16_t* buffer, int maxCount, UINT flags) {
  Lock l(T().lock);
  Item* it = Find(menu, item, flags);
  if (!it) return 0;
  if (!buffer || maxCount <= 0) return int(it->text.size());
  int n = std::min<int>(int(it->text.size()), maxCount - 1);
  std::memcpy(buffer, it->text.data(), std::size_t(n) * sizeof(char16_t));
  buffer[n] = 0;
  return n;
}

BOOL AppendMenuW(HMENU menu, UINT flags, uintptr_t idOrSub, const char16_t* text) {
  Item it;
  ApplyFlags(it, flags, idOrSub, text);
  return InsertAt(menu, 0xFFFFFFFF, MF_BYPOSITION, std::move(it));
}

BOOL InsertMenuW(HMENU menu, UINT item, UINT flags, uintptr_t idOrSub, const char16_t* text) {
  Item it;
  ApplyFlags(it, flags, idOrSub, text);
  return InsertAt(menu, item, flags & MF_BYPOSITION, std::move(it));
}

BOOL ModifyMenuW(HMENU menu, UINT item, UINT flags, uintptr_t idOrSub, const char16_t* text) {
  Lock l(T().lock);
  Menu* holder = nullptr;
  Item* it = Find(menu, item, flags, &holder);
  if (!it) return FALSE;
  HMENU oldSub = it->sub;
  ApplyFlags(*it, flags, idOrSub, text);
  if (oldSub && oldSub != it->sub) DestroyTree(oldSub, 0);
  Changed(*holder);
  return TRUE;
}

static BOOL RemoveItem(HMENU menu, UINT item, UINT flags, bool destroySub) {
  Lock l(T().lock);
  Menu* holder = nullptr;
  int pos = -1;
  Item* it = Find(menu, item, flags, &holder, &pos);
  if (!it) return FALSE;
  HMENU sub = it->sub;
  holder->items.erase(holder->items.begin() + pos);
  if (holder->hilite >= int(holder->items.size())) holder->hilite = -1;
  if (destroySub && sub) DestroyTree(sub, 0);
  Changed(*holder);
  return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT item, UINT flags) {
  return RemoveItem(menu, item, flags, false);
}

BOOL DeleteMenu(HMENU menu, UINT item, UINT flags) {
  return RemoveItem(menu, item, flags, true);
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
  Lock l(T().lock);
  Menu* holder = nullptr;
  Item* it = Find(menu, item, check, &holder);
  if (!it) return 0xFFFFFFFF;
  DWORD old = it->state & MFS_CHECKED;
  it->state = (it->state & ~MFS_CHECKED) | (check & MF_CHECKED);
  Changed(*holder);
  return old;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
  Lock l(T().lock);
  Menu* holder = nullptr;
  Item* it = Find(menu, item, enable, &holder);
  if (!it) return -1;
  BOOL old = BOOL(it->state & MFS_GRAYED);
  it->state = (it->state & ~MFS_GRAYED) | (enable & (MF_GRAYED | MF_DISABLED));
  Changed(*holder);
  return old;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
  Lock l(T().lock);
  Menu* holder = nullptr;
  int a = -1, b = -1, c = -1;
  if (!Find(menu, first, flags, &holder, &a) || !Find(menu, last, flags, nullptr, &b) ||
      !Find(menu, check, flags, nullptr, &c))
    return FALSE;
  if (a > b) std::swap(a, b);
  for (int i = a; i <= b; ++i) {
    Item& it = holder->items[std::size_t(i)];
    if (i == c) {
      it.state |= MFS_CHECKED;
      it.type |= MFT_RADIOCHECK;
    } else {
      it.state &= ~MFS_CHECKED;
    }
  }
  Changed(*holder);
  return TRUE;
}

BOOL HiliteMenuItem(HWND hwnd, HMENU menu, UINT item, UINT hilite) {
  {
    Lock l(T().lock);
    Item* it = Find(menu, item, hilite);
    if (!it) return FALSE;
    it->state = (it->state & ~MFS_HILITE) | (hilite & MF_HILITE);
  }
  DrawMenuBar(hwnd);
  return TRUE;
}

BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPos) {
  Lock l(T().lock);
  Menu* m = Get(menu);
  if (!m) return FALSE;
  Item* target = nullptr;
  if (item != 0xFFFFFFFF) {
    if (byPos) {
      target = item < m->items.size() ? &m->items[item] : nullptr;
    } else {
      for (auto& it : m->items)
        if (!it.sub && it.id == item) target = &it;
    }
    if (!target) return FALSE;
  }
  for (auto& it : m->items) it.state &= ~MFS_DEFAULT;
  if (target) target->state |= MFS_DEFAULT;
  Changed(*m);
  return TRUE;
}

UINT GetMenuDefaultItem(HMENU menu, UINT byPos, UINT) {
  Lock l(T().lock);
  Menu* m = Get(menu);
  if (!m) return 0xFFFFFFFF;
  for (std::size_t i = 0; i < m->items.size(); ++i)
    if (m->items[i].state & MFS_DEFAULT) return byPos ? UINT(i) : m->items[i].id;
  return 0xFFFFFFFF;
}

namespace {

void ApplyInfo(Item& it, const MENUITEMINFOW& info) {
  UINT mask = info.fMask;
  if (mask & MIIM_TYPE) {
    it.type = info.fType;
    it.text.clear();
    it.bitmap = nullptr;
    if (info.fType & MFT_BITMAP)
      it.bitmap = reinterpret_cast<HBITMAP>(info.dwTypeData);
    else if (!(info.fType & (MFT_SEPARATOR | MFT_OWNERDRAW)) && info.dwTypeData)
      it.text = info.dwTypeData;
  }
  if (mask & MIIM_FTYPE) it.type = info.fType;
  if ((mask & MIIM_STRING)) it.text = info.dwTypeData ? std::u16string(info.dwTypeData) : std::u16string();
  if (mask & MIIM_STATE) it.state = info.fState;
  if (mask & MIIM_ID) it.id = info.wID;
  if (mask & MIIM_SUBMENU) it.sub = info.hSubMenu;
  if (mask & MIIM_CHECKMARKS) it.checked = info.hbmpChecked, it.unchecked = info.hbmpUnchecked;
  if (mask & MIIM_DATA) it.data = info.dwItemData;
  if (mask & MIIM_BITMAP) it.bitmap = info.hbmpItem;
}

}  // namespace

BOOL InsertMenuItemW(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOW* info) {
  if (!info) return FALSE;
  Item it;
  ApplyInfo(it, *info);
  return InsertAt(menu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, std::move(it));
}

BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOW* info) {
  if (!info) return FALSE;
  Lock l(T().lock);
  Item* it = Find(menu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
  if (!it) return FALSE;
  UINT mask = info->fMask;
  if (mask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = it->type;
  if (mask & MIIM_STATE) info->fState = it->state;
  if (mask & MIIM_ID) info->wID = it->id;
  if (mask & MIIM_SUBMENU) info->hSubMenu = it->sub;
  if (mask & MIIM_CHECKMARKS) info->hbmpChecked = it->checked, info->hbmpUnchecked = it->unchecked;
  if (mask & MIIM_DATA) info->dwItemData = it->data;
  if (mask & MIIM_BITMAP) info->hbmpItem = it->bitmap;
  if (mask & (MIIM_STRING | MIIM_TYPE)) {
    if (info->dwTypeData && info->cch > 0) {
      UINT n = std::min<UINT>(UINT(it->text.size()), info->cch - 1);
      std::memcpy(info->dwTypeData, it->text.data(), n * sizeof(char16_t));
      info->dwTypeData[n] = 0;
      info->cch = n;
    } else {
      info->cch = UINT(it->text.size());
    }
  }
  return TRUE;
}

BOOL SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOW* info) {
  if (!info) return FALSE;
  Lock l(T().lock);
  Menu* holder = nullptr;
  Item* it = Find(menu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, &holder);
  if (!it) return FALSE;
  ApplyInfo(*it, *info);
  Changed(*holder);
  return TRUE;
}

BOOL DrawMenuBar(HWND hwnd) {
  HMENU menu = GetMenu(hwnd);
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    if (!m) return FALSE;
    Invalidate(*m);
  }
  RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
  return TRUE;
}

}  // namespace qv
