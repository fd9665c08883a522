// Tree view actions that notify the parent: selection, expansion and
// deletion, each safe against the parent deleting items (or the whole
// window) from inside its notification; and the scrolling they cause.
#include <algorithm>

#include "platform/comctl/TreeViewState.h"
#include "platform/controls/ControlPaint.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"

namespace qv::tree {

DWORD TreeState::Style() const {
  return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE));
}

LRESULT NotifyTree(TreeState& s, NMTREEVIEWW& nm, UINT code) {
  return comctl::Notify(s.hwnd, nm.hdr, code);
}

std::u16string TextOf(TreeState& s, Item* item) {
  if (!item->textCallback) return item->text;
  char16_t buffer[260] = {};
  NMTVDISPINFOW di;
  di.item.mask = TVIF_TEXT;
  di.item.hItem = item->Handle();
  di.item.lParam = item->param;
  di.item.state = item->state;
  di.item.pszText = buffer;
  di.item.cchTextMax = 260;
  comctl::Notify(s.hwnd, di.hdr, TVN_GETDISPINFOW);
  if (!di.item.pszText || di.item.pszText == LPSTR_TEXTCALLBACKW) return {};
  return std::u16string(di.item.pszText);
}

int ImageOf(TreeState& s, Item* item, bool selectedImage) {
  int v = selectedImage ? item->selectedImage : item->image;
  if (v != I_IMAGECALLBACK) return v;
  NMTVDISPINFOW di;
  di.item.mask = selectedImage ? TVIF_SELECTEDIMAGE : TVIF_IMAGE;
  di.item.hItem = item->Handle();
  di.item.lParam = item->param;
  di.item.state = item->state;
  comctl::Notify(s.hwnd, di.hdr, TVN_GETDISPINFOW);
  return selectedImage ? di.item.iSelectedImage : di.item.iImage;
}

bool HasButton(TreeState& s, Item* item) {
  if (item->childCount > 0) return true;
  if (item->children != I_CHILDRENCALLBACK) return item->children > 0;
  NMTVDISPINFOW di;
  di.item.mask = TVIF_CHILDREN;
  di.item.hItem = item->Handle();
  di.item.lParam = item->param;
  comctl::Notify(s.hwnd, di.hdr, TVN_GETDISPINFOW);
  return di.item.cChildren > 0;
}

TVITEMW ItemInfo(TreeState&, Item* item) {
  TVITEMW it;
  if (!item || item->level < 0) return it;
  it.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
  it.hItem = item->Handle();
  it.state = item->state;
  it.stateMask = 0xFFFF;
  it.lParam = item->param;
  return it;
}

namespace {

bool Alive(TreeState& s, HWND hwnd, Item* item) {
  return IsWindow(hwnd) && (!item || s.model.FindItem(item->Handle()) == item);
}

bool InSubtree(const Item* item, const Item* ancestor) {
  for (const Item* i = item; i; i = i->parent)
    if (i == ancestor) return true;
  return false;
}

// The item after `item`'s subtree in the shown order, or before it.
Item* OutsideNeighbour(Item* item) {
  for (Item* i = item; i && i->level >= 0; i = i->parent)
    if (i->next) return i->next;
  return Model::PrevShown(item);
}

}  // namespace

Item* KeyItem(TreeState& s) {
  return s.selected ? s.selected : s.model.Root()->first;
}

void InvalidateFocus(TreeState& s) {
  if (s.selected)
    InvalidateItem(s, s.selected);
  else if (s.redraw)
    InvalidateRect(s.hwnd, nullptr, TRUE);
}

void InvalidateItem(TreeState& s, Item* item) {
  if (!s.redraw || !item || !Model::IsShown(item)) return;
  int row = RowFromTop(s, item, PageRows(s) + 1);
  if (row < 0 || row > PageRows(s)) return;
  RECT client;
  GetClientRect(s.hwnd, &client);
  RECT r{0, row * s.itemHeight, client.right, (row + 1) * s.itemHeight};
  InvalidateRect(s.hwnd, &r, TRUE);
}

bool Select(TreeState& s, Item* item, UINT action) {
  if (item == s.selected) return true;
  HWND hwnd = s.hwnd;
  NMTREEVIEWW nm;
  nm.action = action;
  nm.itemOld = ItemInfo(s, s.selected);
  nm.itemNew = ItemInfo(s, item);
  if (NotifyTree(s, nm, TVN_SELCHANGINGW) != 0) return false;
  if (!IsWindow(hwnd) || !Alive(s, hwnd, item) || (item && item->dying)) return false;
  Item* old = s.selected;
  if (old) {
    old->state &= ~TVIS_SELECTED;
    InvalidateItem(s, old);
  }
  // The focus mark leaves the first item, or comes back to it.
  if ((!old || !item) && s.focused) InvalidateItem(s, s.model.Root()->first);
  s.selected = item;
  if (item) {
    item->state |= TVIS_SELECTED;
    EnsureVisible(s, item);
    if (!Alive(s, hwnd, item)) return false;
    InvalidateItem(s, item);
  }
  nm.itemOld = ItemInfo(s, old);
  nm.itemNew = ItemInfo(s, item);
  NotifyTree(s, nm, TVN_SELCHANGEDW);
  return true;
}

bool Expand(TreeState& s, Item* item, UINT code, UINT action) {
  if (!item || item->dying || item->level < 0) return false;
  UINT op = code & 3;
  bool expand = op == TVE_EXPAND || (op == TVE_TOGGLE && !item->Expanded());
  if (expand == item->Expanded() && !(code & TVE_COLLAPSERESET)) return false;
  if (expand && !HasButton(s, item)) return false;
  HWND hwnd = s.hwnd;
  NMTREEVIEWW nm;
  nm.action = expand ? TVE_EXPAND : TVE_COLLAPSE;
  nm.itemNew = ItemInfo(s, item);
  if (NotifyTree(s, nm, TVN_ITEMEXPANDINGW) != 0) return false;
  if (!Alive(s, hwnd, item) || item->dying) return false;
  (void)action;
  if (expand) {
    item->state |= TVIS_EXPANDEDONCE;
    if (!item->first) {  // the parent filled nothing: no rows to show
      InvalidateItem(s, item);
      return false;
    }
  } else {
    if (s.selected && s.selected != item && InSubtree(s.selected, item)) {
      Select(s, item, TVC_UNKNOWN);
      if (!Alive(s, hwnd, item)) return false;
    }
    if (s.top && s.top != item && InSubtree(s.top, item)) s.top = item;
    if (s.hot && InSubtree(s.hot, item)) s.hot = nullptr;
  }
  s.model.SetExpanded(item, expand);
  if (code & TVE_COLLAPSERESET) {
    while (item->first && Alive(s, hwnd, item)) DeleteItem(s, item->first);
    if (!Alive(s, hwnd, item)) return false;
    item->state &= ~TVIS_EXPANDEDONCE;
  }
  LayoutChanged(s);
  nm.itemNew = ItemInfo(s, item);
  NotifyTree(s, nm, TVN_ITEMEXPANDEDW);
  return true;
}

void ExpandAllBelow(TreeState& s, Item* item) {
  HWND hwnd = s.hwnd;
  Expand(s, item, TVE_EXPAND);
  if (!Alive(s, hwnd, item)) return;
  for (Item* c = item->first; c;) {
    Item* next = c->next;
    ExpandAllBelow(s, c);
    if (!Alive(s, hwnd, item) || (next && !Alive(s, hwnd, next))) return;
    c = next;
  }
}

namespace {

void MarkDying(Item* item, std::vector<Item*>& order) {
  // Post-order without recursion: deep trees must not exhaust the stack.
  std::vector<std::pair<Item*, Item*>> stack{{item, item->first}};
  item->dying = true;
  while (!stack.empty()) {
    auto& [node, child] = stack.back();
    if (child) {
      Item* c = child;
      child = c->next;
      c->dying = true;
      stack.push_back({c, c->first});
    } else {
      order.push_back(node);
      stack.pop_back();
    }
  }
}

}  // namespace

bool DeleteItem(TreeState& s, Item* item) {
  if (!item || item->dying) return false;
  // An ancestor of a subtree being deleted waits: its children are still being announced.
  for (Item* a = s.deletingRoot; a; a = a->parent)
    if (a == item) return false;
  HWND hwnd = s.hwnd;
  bool all = item->level < 0;
  if (s.editItem && (all || InSubtree(s.editItem, item))) EndEdit(s, false);
  if (!IsWindow(hwnd)) return false;
  std::vector<Item*> order;
  if (all) {
    for (Item* c = item->first; c; c = c->next) MarkDying(c, order);
  } else {
    MarkDying(item, order);
  }
  if (order.empty()) return true;
  // Pointers into the subtree move out of it first.
  Item* outside = all ? nullptr : OutsideNeighbour(item);
  while (outside && outside->dying) outside = Model::PrevShown(outside);
  auto inside = [&](Item* p) { return p && p->dying; };
  if (inside(s.top)) s.top = outside;
  if (inside(s.hot)) s.hot = nullptr;
  if (inside(s.dropHilite)) s.dropHilite = nullptr;
  if (inside(s.downItem)) s.downItem = nullptr, s.leftDown = false, s.rightDown = false;
  if (inside(s.pendingEdit)) s.pendingEdit = nullptr;
  if (inside(s.selected)) {
    Item* old = s.selected;
    Item* next = all ? nullptr : item->next ? item->next : item->prev ? item->prev : item->parent;
    if (next && (next->level < 0 || next->dying)) next = nullptr;
    NMTREEVIEWW nm;
    nm.action = TVC_UNKNOWN;
    nm.itemOld = ItemInfo(s, old);
    nm.itemNew = ItemInfo(s, next);
    old->state &= ~TVIS_SELECTED;
    s.selected = next;
    if (next) next->state |= TVIS_SELECTED;
    NotifyTree(s, nm, TVN_SELCHANGEDW);
    if (!IsWindow(hwnd)) return false;
  }
  Item* outerRoot = s.deletingRoot;
  s.deletingRoot = item;
  for (Item* i : order) {
    NMTREEVIEWW nm;
    nm.itemOld = ItemInfo(s, i);
    NotifyTree(s, nm, TVN_DELETEITEMW);
    if (!IsWindow(hwnd)) return false;
  }
  s.deletingRoot = outerRoot;
  for (Item* i : order) {
    if (s.selected == i) s.selected = nullptr;  // reselected from inside a notification
    if (s.top == i) s.top = nullptr;
    if (s.hot == i) s.hot = nullptr;
    s.model.Erase(i);
  }
  if (s.top && !Model::IsShown(s.top)) s.top = nullptr;
  if (!s.top) s.top = s.model.Root()->first;
  LayoutChanged(s);
  return true;
}

int PageRows(TreeState& s) {
  RECT client;
  GetClientRect(s.hwnd, &client);
  return std::max(1, int(client.bottom / std::max(1, s.itemHeight)));
}

void SetTop(TreeState& s, Item* item) {
  if (item == s.top) return;
  s.top = item;
  if (s.redraw) {
    InvalidateRect(s.hwnd, nullptr, TRUE);
    UpdateScrollBars(s);
  } else {
    s.layoutPending = true;
  }
}

void EnsureVisible(TreeState& s, Item* item) {
  HWND hwnd = s.hwnd;
  for (Item* p = item->parent; p && p->level >= 0; p = p->parent) {
    if (!p->Expanded()) {
      // Expand from the outermost collapsed ancestor inwards.
      std::vector<Item*> chain;
      for (Item* q = item->parent; q && q->level >= 0; q = q->parent) chain.push_back(q);
      for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!(*it)->Expanded()) Expand(s, *it, TVE_EXPAND);
        if (!Alive(s, hwnd, item)) return;
      }
      break;
    }
  }
  if (!Model::IsShown(item)) return;
  int page = PageRows(s);
  int row = RowFromTop(s, item, page + 1);
  if (row < 0) {
    SetTop(s, item);
  } else if (row >= page) {
    Item* top = item;
    for (int i = 1; i < page; ++i) {
      Item* p = Model::PrevShown(top);
      if (!p) break;
      top = p;
    }
    SetTop(s, top);
  }
}

void LayoutChanged(TreeState& s) {
  if (!s.top) s.top = s.model.Root()->first;
  if (!s.redraw) {
    s.layoutPending = true;
    return;
  }
  InvalidateRect(s.hwnd, nullptr, TRUE);
  UpdateScrollBars(s);
}

int TopRow(TreeState& s) {
  if (!s.top) return 0;
  if (s.cacheTop != s.top || s.cacheGeneration != s.model.Generation())
    RememberTopRow(s, Model::RowOf(s.top));
  return s.cacheRow;
}

void RememberTopRow(TreeState& s, int row) {
  s.cacheTop = s.top;
  s.cacheRow = row;
  s.cacheGeneration = s.model.Generation();
}

void UpdateScrollBars(TreeState& s) {
  s.layoutPending = false;
  DWORD style = s.Style();
  if (style & TVS_NOSCROLL) return;
  int total = s.model.TotalRows();
  int page = PageRows(s);
  int pos = TopRow(s);
  // No empty rows below the last item while the tree is taller than a page.
  if (pos > 0 && pos + page > total) {
    int want = std::max(0, total - page);
    Item* top = s.top;
    for (int i = pos; i > want && top; --i) top = Model::PrevShown(top);
    if (top) {
      s.top = top;
      pos = want;
      RememberTopRow(s, pos);
      InvalidateRect(s.hwnd, nullptr, TRUE);
    }
  }
  if (total != s.lastRange || page != s.lastPage || pos != s.lastPos) {
    s.lastRange = total, s.lastPage = page, s.lastPos = pos;
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = std::max(0, total - 1);
    si.nPage = UINT(page);
    si.nPos = pos;
    SetScrollInfo(s.hwnd, SB_VERT, &si, TRUE);
  }
  if (style & TVS_NOHSCROLL) return;
  RECT client;
  GetClientRect(s.hwnd, &client);
  int width = s.maxWidth, hpage = client.right;
  if (s.xScroll > std::max(0, width - hpage)) {
    s.xScroll = std::max(0, width - hpage);
    InvalidateRect(s.hwnd, nullptr, TRUE);
  }
  if (width != s.lastHRange || hpage != s.lastHPage || s.xScroll != s.lastHPos) {
    s.lastHRange = width, s.lastHPage = hpage, s.lastHPos = s.xScroll;
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = std::max(0, width - 1);
    si.nPage = UINT(std::max(0, hpage));
    si.nPos = s.xScroll;
    SetScrollInfo(s.hwnd, SB_HORZ, &si, TRUE);
  }
}

void VScroll(TreeState& s, int code, int thumb) {
  if (!s.top) return;
  int page = PageRows(s);
  int total = s.model.TotalRows();
  int pos = TopRow(s);
  std::optional<int> moved = comctl::ScrollTarget(code, thumb, pos, 1, page, total);
  if (!moved) return;
  int target = std::clamp(*moved, 0, std::max(0, total - page));
  if (target == pos) return;
  Item* top = s.top;
  if (std::abs(target - pos) <= 4 * page) {
    for (int i = pos; i < target && top; ++i) top = Model::NextShown(top);
    for (int i = pos; i > target && top; --i) top = Model::PrevShown(top);
  } else {
    top = s.model.AtRow(target);
  }
  if (!top) return;
  int dy = (pos - target) * s.itemHeight;
  s.top = top;
  RememberTopRow(s, target);
  if (s.redraw) {
    RECT client;
    GetClientRect(s.hwnd, &client);
    if (s.edit || std::abs(dy) >= client.bottom)
      InvalidateRect(s.hwnd, nullptr, TRUE);
    else
      ScrollWindowEx(s.hwnd, 0, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    UpdateScrollBars(s);
  } else {
    s.layoutPending = true;
  }
}

void HScroll(TreeState& s, int code, int thumb) {
  RECT client;
  GetClientRect(s.hwnd, &client);
  int page = client.right;
  std::optional<int> moved = comctl::ScrollTarget(code, thumb, s.xScroll, 8, page, s.maxWidth);
  if (!moved) return;
  int x = std::clamp(*moved, 0, std::max(0, s.maxWidth - page));
  if (x == s.xScroll) return;
  s.xScroll = x;
  InvalidateRect(s.hwnd, nullptr, TRUE);
  UpdateScrollBars(s);
}

void SetCheck(TreeState& s, Item* item, int stateIndex) {
  UINT oldState = item->state;
  UINT newState = (oldState & ~TVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(stateIndex);
  if (newState == oldState) return;
  HWND hwnd = s.hwnd;
  NMTVITEMCHANGE nm;
  nm.uChanged = TVIF_STATE;
  nm.hItem = item->Handle();
  nm.uStateOld = oldState;
  nm.uStateNew = newState;
  nm.lParam = item->param;
  if (comctl::Notify(hwnd, nm.hdr, TVN_ITEMCHANGINGW) != 0) return;
  if (!Alive(s, hwnd, item)) return;
  item->state = (item->state & ~TVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(stateIndex);
  InvalidateItem(s, item);
  comctl::Notify(hwnd, nm.hdr, TVN_ITEMCHANGEDW);
}

void MeasureFont(TreeState& s) {
  comctl::SelectMeasureFont(s);
  if (!s.customHeight) {
    int h = s.textHeight + 3;
    int cx = 0, cy = 0;
    if (s.images && ImageList_GetIconSize(s.images, &cx, &cy)) h = std::max(h, cy + 1);
    if (s.stateImages && ImageList_GetIconSize(s.stateImages, &cx, &cy)) h = std::max(h, cy + 1);
    if (!(s.Style() & TVS_NONEVENHEIGHT)) h += h & 1;
    s.itemHeight = h;
  }
}

}  // namespace qv::tree
