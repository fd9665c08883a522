// The tree view window procedure: the TVM_* messages (items in and out,
// navigation, hit testing, sorting, colours and image lists) and the window
// messages, over the state and actions of TreeViewState.h.
#include <algorithm>
#include <cstring>

#include "platform/comctl/TreeViewState.h"
#include "platform/controls/ControlClass.h"
#include "platform/controls/ControlPaint.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"

namespace qv {
namespace tree {
namespace {

void ApplyItem(TreeState& s, Item* item, const TVITEMW& it) {
  if (it.mask & TVIF_TEXT) {
    item->textCallback = it.pszText == LPSTR_TEXTCALLBACKW;
    item->text = item->textCallback || !it.pszText ? std::u16string() : std::u16string(it.pszText);
    item->width = -1;
  }
  if (it.mask & TVIF_IMAGE) item->image = it.iImage;
  if (it.mask & TVIF_SELECTEDIMAGE) item->selectedImage = it.iSelectedImage;
  if (it.mask & TVIF_PARAM) item->param = it.lParam;
  if (it.mask & TVIF_CHILDREN) item->children = it.cChildren;
  if (it.mask & TVIF_STATE) {
    // Selection goes through TVM_SELECTITEM; expansion set here notifies nobody.
    UINT mask = it.stateMask & ~(TVIS_SELECTED | TVIS_EXPANDED);
    item->state = (item->state & ~mask) | (it.state & mask);
    if ((it.stateMask & TVIS_EXPANDED) && item->level >= 0) {
      s.model.SetExpanded(item, it.state & TVIS_EXPANDED);
      if (!(it.state & TVIS_EXPANDED) && s.top && !Model::IsShown(s.top)) s.top = item;
      LayoutChanged(s);
    }
  }
}

Item* SortedAfter(TreeState& s, Item* parent, const std::u16string& text) {
  Item* after = nullptr;
  for (Item* c = parent->first; c; c = c->next) {
    if (comctl::CompareText(TextOf(s, c), text) > 0) break;
    after = c;
  }
  return after;
}

LRESULT InsertItem(TreeState& s, const TVINSERTSTRUCTW* ins) {
  if (!ins) return 0;
  Item* parent = s.model.Find(ins->hParent ? ins->hParent : TVI_ROOT);
  if (!parent || parent->dying) return 0;
  Item* after = parent->last;
  HTREEITEM where = ins->hInsertAfter;
  if (where == TVI_FIRST) {
    after = nullptr;
  } else if (where == TVI_SORT) {
    std::u16string text;
    if ((ins->item.mask & TVIF_TEXT) && ins->item.pszText && ins->item.pszText != LPSTR_TEXTCALLBACKW)
      text = ins->item.pszText;
    after = SortedAfter(s, parent, text);
  } else if (where && where != TVI_LAST && where != TVI_ROOT) {
    Item* a = s.model.FindItem(where);
    if (a && a->parent == parent) after = a;
  }
  bool hadChildren = parent->childCount > 0;
  bool topRowKnown = s.top && s.cacheTop == s.top && s.cacheGeneration == s.model.Generation();
  Item* item = s.model.Insert(parent, after);
  ApplyItem(s, item, ins->item);
  bool shown = parent->level < 0 || (parent->Expanded() && Model::IsShown(parent));
  // A row added out of sight or after every other row leaves the top row's
  // number as it was: filling a long tree never counts rows again.
  if (topRowKnown && (!shown || !Model::NextShown(item))) s.cacheGeneration = s.model.Generation();
  if (shown) {
    LayoutChanged(s);
  } else if (!hadChildren && s.redraw) {
    InvalidateItem(s, parent);  // it gains its button
  }
  return LRESULT(item);
}

LRESULT GetItem(TreeState& s, TVITEMW* it) {
  if (!it) return FALSE;
  Item* item = s.model.FindItem(it->hItem);
  if (!item) return FALSE;
  if (it->mask & TVIF_TEXT) comctl::CopyText(TextOf(s, item), it->pszText, it->cchTextMax);
  if (it->mask & TVIF_IMAGE) it->iImage = item->image;
  if (it->mask & TVIF_SELECTEDIMAGE) it->iSelectedImage = item->selectedImage;
  if (it->mask & TVIF_PARAM) it->lParam = item->param;
  if (it->mask & TVIF_CHILDREN) it->cChildren = item->childCount > 0 ? 1 : item->children;
  if (it->mask & TVIF_STATE) it->state = item->state & (it->stateMask ? it->stateMask : 0xFFFF);
  return TRUE;
}

LRESULT SetItem(TreeState& s, const TVITEMW* it) {
  if (!it) return FALSE;
  Item* item = s.model.FindItem(it->hItem);
  if (!item || item->dying) return FALSE;
  ApplyItem(s, item, *it);
  if (s.redraw) InvalidateItem(s, item);
  return TRUE;
}

LRESULT NextItem(TreeState& s, UINT code, HTREEITEM h) {
  Item* item = s.model.FindItem(h);
  Item* r = nullptr;
  switch (code) {
    case TVGN_ROOT:
      r = s.model.Root()->first;
      break;
    case TVGN_CARET:
      r = s.selected;
      break;
    case TVGN_DROPHILITE:
      r = s.dropHilite;
      break;
    case TVGN_FIRSTVISIBLE:
      r = s.top;
      break;
    case TVGN_LASTVISIBLE:
      r = Model::LastShown(s.model.Root());
      break;
    case TVGN_CHILD:
      r = h == nullptr || h == TVI_ROOT ? s.model.Root()->first : item ? item->first : nullptr;
      break;
    case TVGN_NEXT:
      r = item ? item->next : nullptr;
      break;
    case TVGN_PREVIOUS:
      r = item ? item->prev : nullptr;
      break;
    case TVGN_PARENT:
      r = item && item->parent->level >= 0 ? item->parent : nullptr;
      break;
    case TVGN_NEXTVISIBLE:
      r = item && Model::IsShown(item) ? Model::NextShown(item) : nullptr;
      break;
    case TVGN_PREVIOUSVISIBLE:
      r = item && Model::IsShown(item) ? Model::PrevShown(item) : nullptr;
      break;
  }
  return LRESULT(r);
}

LRESULT ItemRect(TreeState& s, BOOL labelOnly, RECT* r) {
  if (!r) return FALSE;
  HTREEITEM handle;
  std::memcpy(&handle, static_cast<const void*>(r), sizeof handle);
  Item* item = s.model.FindItem(handle);
  if (!item || !Model::IsShown(item)) return FALSE;
  int row = RowFromTop(s, item, PageRows(s) + 1);
  RowLayout l = Layout(s, item, row * s.itemHeight);
  *r = labelOnly ? l.label : l.row;
  return TRUE;
}

template <class Less>
void Sort(TreeState& s, Item* parent, bool recurse, Less less) {
  s.model.SortChildren(parent, less);
  if (recurse)
    for (Item* c = parent->first; c; c = c->next) Sort(s, c, true, less);
}

LRESULT SortChildren(TreeState& s, HTREEITEM h, bool recurse, const TVSORTCB* cb) {
  Item* parent = s.model.Find(h ? h : TVI_ROOT);
  if (!parent) return FALSE;
  if (cb && cb->lpfnCompare) {
    Sort(s, parent, recurse,
         [cb](Item* a, Item* b) { return cb->lpfnCompare(a->param, b->param, cb->lParam) < 0; });
  } else {
    Sort(s, parent, recurse,
         [&s](Item* a, Item* b) { return comctl::CompareText(TextOf(s, a), TextOf(s, b)) < 0; });
  }
  if (s.top && s.top->parent == parent && parent->level < 0) s.top = parent->first;
  LayoutChanged(s);
  return TRUE;
}

LRESULT SelectItem(TreeState& s, UINT code, HTREEITEM h) {
  Item* item = s.model.FindItem(h);
  if (h && !item) return FALSE;
  switch (code) {
    case TVGN_CARET:
      return Select(s, item, TVC_UNKNOWN);
    case TVGN_DROPHILITE: {
      Item* old = s.dropHilite;
      s.dropHilite = item;
      InvalidateItem(s, old);
      InvalidateItem(s, item);
      return TRUE;
    }
    case TVGN_FIRSTVISIBLE:
      if (!item) return FALSE;
      EnsureVisible(s, item);
      if (s.model.FindItem(h) == item && Model::IsShown(item)) SetTop(s, item);
      UpdateScrollBars(s);
      return TRUE;
  }
  return FALSE;
}

LRESULT SetImageList(TreeState& s, WPARAM which, HIMAGELIST list) {
  HIMAGELIST& slot = which == TVSIL_STATE ? s.stateImages : s.images;
  HIMAGELIST old = slot;
  slot = list;
  ++s.measureGeneration;  // every label is measured again when next needed
  MeasureFont(s);
  LayoutChanged(s);
  return LRESULT(old);
}

LRESULT TreeMessage(TreeState& s, HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case TVM_INSERTITEMW:
      return InsertItem(s, reinterpret_cast<const TVINSERTSTRUCTW*>(l));
    case TVM_DELETEITEM: {
      auto h = reinterpret_cast<HTREEITEM>(l);
      Item* item = h == nullptr || h == TVI_ROOT ? s.model.Root() : s.model.FindItem(h);
      return item ? DeleteItem(s, item) : FALSE;
    }
    case TVM_EXPAND:
      return Expand(s, s.model.FindItem(reinterpret_cast<HTREEITEM>(l)), UINT(w));
    case TVM_GETITEMRECT:
      return ItemRect(s, BOOL(w), reinterpret_cast<RECT*>(l));
    case TVM_GETCOUNT:
      return s.model.Count();
    case TVM_GETINDENT:
      return s.indent;
    case TVM_SETINDENT:
      s.indent = std::max(int(w), 4);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case TVM_GETIMAGELIST:
      return LRESULT(w == TVSIL_STATE ? s.stateImages : s.images);
    case TVM_SETIMAGELIST:
      return SetImageList(s, w, reinterpret_cast<HIMAGELIST>(l));
    case TVM_GETNEXTITEM:
      return NextItem(s, UINT(w), reinterpret_cast<HTREEITEM>(l));
    case TVM_SELECTITEM:
      return SelectItem(s, UINT(w), reinterpret_cast<HTREEITEM>(l));
    case TVM_GETITEMW:
      return GetItem(s, reinterpret_cast<TVITEMW*>(l));
    case TVM_SETITEMW:
      return SetItem(s, reinterpret_cast<const TVITEMW*>(l));
    case TVM_EDITLABELW:
      return LRESULT(BeginEdit(s, s.model.FindItem(reinterpret_cast<HTREEITEM>(l))));
    case TVM_GETEDITCONTROL:
      return LRESULT(s.edit);
    case TVM_ENDEDITLABELNOW:
      if (!s.edit) return FALSE;
      EndEdit(s, !w);
      return TRUE;
    case TVM_GETVISIBLECOUNT:
      return PageRows(s);
    case TVM_HITTEST: {
      auto* info = reinterpret_cast<TVHITTESTINFO*>(l);
      if (!info) return 0;
      Item* item = nullptr;
      info->flags = HitTest(s, info->pt, &item);
      info->hItem = item ? item->Handle() : nullptr;
      return LRESULT(info->hItem);
    }
    case TVM_SORTCHILDREN:
      return SortChildren(s, reinterpret_cast<HTREEITEM>(l), w != 0, nullptr);
    case TVM_SORTCHILDRENCB: {
      auto* cb = reinterpret_cast<const TVSORTCB*>(l);
      return cb ? SortChildren(s, cb->hParent, w != 0, cb) : FALSE;
    }
    case TVM_ENSUREVISIBLE: {
      Item* item = s.model.FindItem(reinterpret_cast<HTREEITEM>(l));
      if (!item) return FALSE;
      EnsureVisible(s, item);
      if (IsWindow(hwnd) && s.layoutPending && s.redraw) UpdateScrollBars(s);
      return TRUE;
    }
    case TVM_SETITEMHEIGHT: {
      int old = s.itemHeight;
      s.customHeight = int(w) > 0;
      if (s.customHeight) s.itemHeight = int(w);
      MeasureFont(s);
      LayoutChanged(s);
      return old;
    }
    case TVM_GETITEMHEIGHT:
      return s.itemHeight;
    case TVM_SETBKCOLOR:
    case TVM_SETTEXTCOLOR: {
      COLORREF& slot = msg == TVM_SETBKCOLOR ? s.bk : s.text;
      COLORREF old = slot;
      slot = COLORREF(l) == CLR_INVALID ? CLR_DEFAULT_COLOR : COLORREF(l);
      InvalidateRect(hwnd, nullptr, TRUE);
      return old == CLR_DEFAULT_COLOR ? LRESULT(-1) : LRESULT(old);
    }
    case TVM_GETBKCOLOR:
      return s.bk == CLR_DEFAULT_COLOR ? LRESULT(-1) : LRESULT(s.bk);
    case TVM_GETTEXTCOLOR:
      return s.text == CLR_DEFAULT_COLOR ? LRESULT(-1) : LRESULT(s.text);
    case TVM_GETITEMSTATE: {
      Item* item = s.model.FindItem(reinterpret_cast<HTREEITEM>(w));
      return item ? LRESULT(item->state & UINT(l)) : 0;
    }
  }
  return 0;
}

LRESULT WindowMessage(TreeState& s, HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SIZE:
      if (s.redraw) UpdateScrollBars(s);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      s.font = reinterpret_cast<HFONT>(w);
      ctl::SetControlFont(hwnd, s.font);
      ++s.measureGeneration;  // every label is measured again when next needed
      MeasureFont(s);
      LayoutChanged(s);
      return 0;
    case WM_VSCROLL:
      VScroll(s, LOWORD(w), short(HIWORD(w)));
      return 0;
    case WM_HSCROLL:
      HScroll(s, LOWORD(w), short(HIWORD(w)));
      return 0;
    case WM_MOUSEWHEEL:
      comctl::ScrollByWheel(hwnd, w, [&](int code) { VScroll(s, code, 0); });
      return 0;
    case WM_ENABLE:
    case WM_STYLECHANGED:
      MeasureFont(s);
      LayoutChanged(s);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case kWidthGrewMessage:
      if (s.redraw) UpdateScrollBars(s);
      return 0;
  }
  if (auto r = comctl::ItemWindowMessage(s, hwnd, msg, w, l)) return *r;
  if (msg >= TV_FIRST && msg < TV_FIRST + 0x100) return TreeMessage(s, hwnd, msg, w, l);
  return DefWindowProcW(hwnd, msg, w, l);
}

void Created(TreeState& s) {
  s.endEditMessage = kEndEditMessage;
  s.endEdit = [](comctl::ItemControl& c, bool save) { EndEdit(static_cast<TreeState&>(c), save); };
  MeasureFont(s);
}

constexpr auto TreeWindowProc = comctl::ItemWindowProc<TreeState, Created, WindowMessage>;

}  // namespace
}  // namespace tree

void RegisterTreeViewClass() {
  ctl::RegisterControlClass({.name = WC_TREEVIEW, .proc = tree::TreeWindowProc, .wndExtra = sizeof(void*)});
}

}  // namespace qv
