// The list view window procedure: the LVM_* messages over the state and
// operations of ListViewState.h, the header's notifications, and the window
// messages.
#include <algorithm>

#include "platform/comctl/ListViewState.h"
#include "platform/controls/ControlClass.h"
#include "platform/controls/ControlPaint.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemColors.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv {
namespace list {
namespace {

LRESULT SetStateMessage(ListState& s, int index, const LVITEMW* item) {
  if (!item) return FALSE;
  HWND hwnd = s.hwnd;
  if (index >= 0) return ChangeState(s, index, item->state, item->stateMask);
  // -1: every item.
  if ((item->stateMask & LVIS_SELECTED) && (item->state & LVIS_SELECTED) && (s.Style() & LVS_SINGLESEL))
    return FALSE;
  for (int i = 0; i < s.Count() && IsWindow(hwnd); ++i) {
    if ((item->stateMask & ~LVIS_SELECTED) == 0 && !(item->state & LVIS_SELECTED) && s.selectedCount == 0)
      break;
    ChangeState(s, i, item->state, item->stateMask);
  }
  return TRUE;
}

LRESULT ItemRectMessage(ListState& s, int index, RECT* r) {
  if (!r || !s.Valid(index)) return FALSE;
  ItemParts p = Parts(s, index);
  switch (r->left) {
    case LVIR_ICON:
      *r = p.icon;
      break;
    case LVIR_LABEL:
      *r = p.label;
      break;
    case LVIR_SELECTBOUNDS:
      UnionRect(r, &p.icon, &p.label);
      break;
    default:
      *r = p.bounds;
      UnionRect(r, r, &p.label);
  }
  return TRUE;
}

LRESULT SetImageList(ListState& s, WPARAM which, HIMAGELIST list) {
  HIMAGELIST& slot = which == LVSIL_SMALL ? s.small : which == LVSIL_STATE ? s.stateImages : s.normal;
  HIMAGELIST old = slot;
  slot = list;
  if (which == LVSIL_SMALL && s.header) SendMessageW(s.header, HDM_SETIMAGELIST, 0, LPARAM(list));
  MeasureFont(s);
  LayoutChanged(s);
  return LRESULT(old);
}

LRESULT Colour(COLORREF& slot, LPARAM l, HWND hwnd) {
  slot = COLORREF(l) == CLR_NONE ? CLR_DEFAULT_COLOR : COLORREF(l);
  InvalidateRect(hwnd, nullptr, TRUE);
  return TRUE;
}

LRESULT ListMessage(ListState& s, HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case LVM_GETITEMCOUNT:
      return s.Count();
    case LVM_SETITEMCOUNT:
      SetVirtualCount(s, int(w));
      return TRUE;
    case LVM_INSERTITEMW:
      return l ? InsertRow(s, *reinterpret_cast<const LVITEMW*>(l)) : -1;
    case LVM_DELETEITEM:
      return DeleteRow(s, int(w));
    case LVM_DELETEALLITEMS:
      return DeleteAll(s);
    case LVM_GETITEMW:
      return l && GetItem(s, *reinterpret_cast<LVITEMW*>(l));
    case LVM_SETITEMW:
      return l && SetItem(s, *reinterpret_cast<const LVITEMW*>(l));
    case LVM_GETITEMTEXTW: {
      auto* item = reinterpret_cast<LVITEMW*>(l);
      if (!item || !s.Valid(int(w))) return 0;
      std::u16string t = TextOf(s, int(w), item->iSubItem);
      comctl::CopyText(t, item->pszText, item->cchTextMax);
      return std::min(int(t.size()), std::max(0, item->cchTextMax - 1));
    }
    case LVM_SETITEMTEXTW: {
      auto* item = reinterpret_cast<const LVITEMW*>(l);
      if (!item) return FALSE;
      LVITEMW copy = *item;
      copy.iItem = int(w);
      copy.mask = LVIF_TEXT;
      return SetItem(s, copy);
    }
    case LVM_SETITEMSTATE:
      return SetStateMessage(s, int(w), reinterpret_cast<const LVITEMW*>(l));
    case LVM_GETITEMSTATE:
      return StateOf(s, int(w), UINT(l));
    case LVM_GETNEXTITEM:
      return NextItem(s, int(w), UINT(l));
    case LVM_FINDITEMW:
      return l ? FindItem(s, int(w), *reinterpret_cast<const LVFINDINFOW*>(l)) : -1;
    case LVM_GETITEMRECT:
      return ItemRectMessage(s, int(w), reinterpret_cast<RECT*>(l));
    case LVM_GETSUBITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(l);
      if (!r || !s.Valid(int(w))) return FALSE;
      *r = SubItemRect(s, int(w), r->top);
      return TRUE;
    }
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST: {
      auto* info = reinterpret_cast<LVHITTESTINFO*>(l);
      if (!info) return -1;
      info->iItem = HitTest(s, info->pt, &info->flags, msg == LVM_SUBITEMHITTEST ? &info->iSubItem : nullptr);
      return info->iItem;
    }
    case LVM_ENSUREVISIBLE:
      EnsureVisible(s, int(w));
      return TRUE;
    case LVM_SCROLL:
      Scroll(s, int(w), int(l));
      return TRUE;
    case LVM_REDRAWITEMS:
      for (int i = int(w); i <= int(l) && i < s.Count(); ++i) InvalidateIndex(s, i);
      return TRUE;
    case LVM_ARRANGE:
    case LVM_UPDATE:
      LayoutChanged(s);
      return TRUE;
    case LVM_EDITLABELW:
      return LRESULT(BeginEdit(s, int(w)));
    case LVM_CANCELEDITLABEL:
      EndEdit(s, false);
      return 0;
    case LVM_GETEDITCONTROL:
      return LRESULT(s.edit);
    case LVM_INSERTCOLUMNW:
      return l ? InsertColumn(s, int(w), *reinterpret_cast<const LVCOLUMNW*>(l)) : -1;
    case LVM_SETCOLUMNW:
      return l && SetColumn(s, int(w), *reinterpret_cast<const LVCOLUMNW*>(l));
    case LVM_GETCOLUMNW:
      return l && GetColumn(s, int(w), *reinterpret_cast<LVCOLUMNW*>(l));
    case LVM_DELETECOLUMN:
      return DeleteColumn(s, int(w));
    case LVM_GETCOLUMNWIDTH:
      if (s.View() == LVS_LIST) return CellWidth(s);
      return int(w) >= 0 && int(w) < int(s.columns.size()) ? s.columns[w].width : 0;
    case LVM_SETCOLUMNWIDTH:
      return SetColumnWidth(s, int(w), short(LOWORD(uintptr_t(l))));
    case LVM_GETHEADER:
      return LRESULT(s.header);
    case LVM_GETCOLUMNORDERARRAY: {
      auto* out = reinterpret_cast<int*>(l);
      if (!out || int(w) != int(s.order.size())) return FALSE;
      std::copy(s.order.begin(), s.order.end(), out);
      return TRUE;
    }
    case LVM_SETCOLUMNORDERARRAY: {
      auto* in = reinterpret_cast<const int*>(l);
      if (!in || int(w) != int(s.order.size())) return FALSE;
      std::vector<int> order(in, in + w), check = order;
      std::sort(check.begin(), check.end());
      for (int i = 0; i < int(check.size()); ++i)
        if (check[size_t(i)] != i) return FALSE;
      s.order = order;
      if (s.header) SendMessageW(s.header, HDM_SETORDERARRAY, w, l);
      LayoutChanged(s);
      return TRUE;
    }
    case LVM_GETIMAGELIST:
      return LRESULT(w == LVSIL_SMALL ? s.small : w == LVSIL_STATE ? s.stateImages : s.normal);
    case LVM_SETIMAGELIST:
      return SetImageList(s, w, reinterpret_cast<HIMAGELIST>(l));
    case LVM_GETBKCOLOR:
      return s.bk == CLR_DEFAULT_COLOR ? LRESULT(GetSysColor(COLOR_WINDOW)) : LRESULT(s.bk);
    case LVM_SETBKCOLOR:
      return Colour(s.bk, l, hwnd);
    case LVM_GETTEXTCOLOR:
      return s.text == CLR_DEFAULT_COLOR ? LRESULT(GetSysColor(COLOR_WINDOWTEXT)) : LRESULT(s.text);
    case LVM_SETTEXTCOLOR:
      return Colour(s.text, l, hwnd);
    case LVM_GETTEXTBKCOLOR:
      return s.textBk == CLR_DEFAULT_COLOR ? LRESULT(CLR_NONE) : LRESULT(s.textBk);
    case LVM_SETTEXTBKCOLOR:
      return Colour(s.textBk, l, hwnd);
    case LVM_GETTOPINDEX:
      return FirstVisible(s);
    case LVM_GETCOUNTPERPAGE:
      return s.View() == LVS_REPORT ? RowsPerPage(s) : VisibleCount(s);
    case LVM_GETSELECTEDCOUNT:
      return s.selectedCount;
    case LVM_GETSELECTIONMARK:
      return s.mark;
    case LVM_SETSELECTIONMARK: {
      int old = s.mark;
      s.mark = s.Valid(int(l)) ? int(l) : -1;
      return old;
    }
    case LVM_GETHOTITEM:
      return s.hot;
    case LVM_SETHOTITEM: {
      int old = s.hot;
      s.hot = int(w);
      InvalidateIndex(s, old);
      InvalidateIndex(s, s.hot);
      return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
      return LRESULT(s.ext);
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      DWORD old = s.ext, mask = w ? DWORD(w) : 0xFFFFFFFF;
      s.ext = (s.ext & ~mask) | (DWORD(l) & mask);
      if ((s.ext & LVS_EX_CHECKBOXES) && !(old & LVS_EX_CHECKBOXES) && !s.OwnerData())
        for (Row& r : s.rows)
          if (!(r.state & LVIS_STATEIMAGEMASK)) r.state |= INDEXTOSTATEIMAGEMASK(1);
      MeasureFont(s);
      LayoutChanged(s);
      return LRESULT(old);
    }
    case LVM_GETCALLBACKMASK:
      return LRESULT(s.callbackMask);
    case LVM_SETCALLBACKMASK:
      s.callbackMask = UINT(w);
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    case LVM_SORTITEMS:
      return SortItems(s, reinterpret_cast<PFNLVCOMPARE>(l), LPARAM(w), false);
    case LVM_SORTITEMSEX:
      return SortItems(s, reinterpret_cast<PFNLVCOMPARE>(l), LPARAM(w), true);
    case LVM_GETVIEW:
      return s.View();
    case LVM_SETVIEW: {
      if (w > LV_VIEW_LIST) return -1;
      DWORD style = s.Style();
      STYLESTRUCT ss{style, (style & ~LVS_TYPEMASK) | DWORD(w)};
      if (ss.styleNew == style) return 1;
      SetWindowLongPtrW(hwnd, GWL_STYLE, LONG_PTR(ss.styleNew));
      SendMessageW(hwnd, WM_STYLECHANGED, WPARAM(GWL_STYLE), LPARAM(&ss));
      return 1;
    }
    case LVM_GETSTRINGWIDTHW: {
      auto* text = reinterpret_cast<const char16_t*>(l);
      if (!text) return 0;
      SIZE size;
      std::u16string t(text);
      GetTextExtentPoint32W(s.measureDC, t.data(), int(t.size()), &size);
      return size.cx;
    }
    case LVM_GETORIGIN: {
      auto* p = reinterpret_cast<POINT*>(l);
      if (!p) return FALSE;
      *p = POINT{s.xScroll, s.yScroll};
      return s.View() == LVS_ICON || s.View() == LVS_SMALLICON;
    }
    case LVM_GETVIEWRECT: {
      auto* r = reinterpret_cast<RECT*>(l);
      if (!r) return FALSE;
      GetClientRect(hwnd, r);
      if (s.Count() > 0) {
        RECT last = Parts(s, s.Count() - 1).bounds;
        UnionRect(r, r, &last);
      }
      return TRUE;
    }
    case LVM_GETITEMPOSITION: {
      auto* p = reinterpret_cast<POINT*>(l);
      if (!p || !s.Valid(int(w))) return FALSE;
      RECT b = Parts(s, int(w)).bounds;
      *p = POINT{b.left, b.top};
      return TRUE;
    }
    case LVM_SETITEMPOSITION:
      return FALSE;  // items keep their grid places
    case LVM_GETITEMSPACING: {
      ItemParts p = Parts(s, 0);
      return MAKELRESULT(p.bounds.right - p.bounds.left, p.bounds.bottom - p.bounds.top);
    }
  }
  return 0;
}

LRESULT WindowMessage(ListState& s, HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SIZE:
      UpdateScrollBars(s);
      UpdateHeader(s);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      s.font = reinterpret_cast<HFONT>(w);
      ctl::SetControlFont(hwnd, s.font);
      MeasureFont(s);
      if (s.header) SendMessageW(s.header, WM_SETFONT, w, l);
      LayoutChanged(s);
      UpdateHeader(s);
      return 0;
    case WM_STYLECHANGED:
      if (s.edit) EndEdit(s, false);
      if (bool od = s.Style() & LVS_OWNERDATA; od != s.ownerData) {
        DeleteAll(s);
        s.ownerData = od;
      }
      MeasureFont(s);
      s.top = s.xScroll = s.yScroll = 0;
      s.lastRange[0] = s.lastRange[1] = -1;
      UpdateHeader(s);
      LayoutChanged(s);
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
      ScrollMessage(s, msg == WM_VSCROLL, LOWORD(w), short(HIWORD(w)));
      return 0;
    case WM_MOUSEWHEEL: {
      bool vertical = s.View() != LVS_LIST;
      comctl::ScrollByWheel(hwnd, w, [&](int code) { ScrollMessage(s, vertical, code, 0); });
      return 0;
    }
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(l);
      if (hdr && hdr->hwndFrom == s.header) return HeaderNotify(s, hdr);
      return 0;
    }
    case kHeaderOrderMessage:
      if (s.header && int(s.order.size()) == int(SendMessageW(s.header, HDM_GETITEMCOUNT, 0, 0))) {
        SendMessageW(s.header, HDM_GETORDERARRAY, s.order.size(), LPARAM(s.order.data()));
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
  }
  if (auto r = comctl::ItemWindowMessage(s, hwnd, msg, w, l)) return *r;
  if (msg >= LVM_FIRST && msg < LVM_FIRST + 0x100) return ListMessage(s, hwnd, msg, w, l);
  return DefWindowProcW(hwnd, msg, w, l);
}

void Created(ListState& s) {
  s.ownerData = GetWindowLongPtrW(s.hwnd, GWL_STYLE) & LVS_OWNERDATA;
  s.endEditMessage = kEndEditMessage;
  s.endEdit = [](comctl::ItemControl& c, bool save) { EndEdit(static_cast<ListState&>(c), save); };
  MeasureFont(s);
  UpdateHeader(s);
}

constexpr auto ListWindowProc = comctl::ItemWindowProc<ListState, Created, WindowMessage>;

}  // namespace
}  // namespace list

void RegisterListViewClass() {
  ctl::RegisterControlClass({.name = WC_LISTVIEW, .proc = list::ListWindowProc, .wndExtra = sizeof(void*)});
}

}  // namespace qv
