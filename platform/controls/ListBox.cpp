// The LISTBOX window procedure: creation, the LB_* messages that add, find,
// select and measure items, focus and font, and the class registration.
#include "platform/controls/ListBox.h"

#include <algorithm>
#include <cstring>

#include "platform/controls/ControlClass.h"
#include "platform/controls/ControlPaint.h"
#include "platform/controls/ListBoxImpl.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"

namespace qv::lb {
namespace {

UINT MeasureItem(ListBox& lb, int index, ULONG_PTR data) {
  MEASUREITEMSTRUCT mis;
  mis.CtlType = ODT_LISTBOX;
  mis.CtlID = lb.id;
  mis.itemID = UINT(index);
  mis.itemHeight = UINT(lb.itemHeight);
  mis.itemData = data;
  if (lb.notify) SendMessageW(lb.notify, WM_MEASUREITEM, lb.id, LPARAM(&mis));
  return mis.itemHeight;
}

// Sorted position of a new item: after the items that order before or equal to it.
int SortedPosition(ListBox& lb, const Item& item) {
  if (lb.HasStrings())
    return int(lb.items.UpperBound([&](const Item& other) { return CompareText(other.text, item.text); }));
  // Owner data without strings: the owner compares.
  return int(lb.items.UpperBound([&](const Item& other) {
    COMPAREITEMSTRUCT cis;
    cis.CtlType = ODT_LISTBOX;
    cis.CtlID = lb.id;
    cis.hwndItem = lb.hwnd;
    cis.itemID1 = UINT(-1);
    cis.itemData1 = other.data;
    cis.itemID2 = UINT(-1);
    cis.itemData2 = item.data;
    return int(SendMessageW(lb.notify, WM_COMPAREITEM, lb.id, LPARAM(&cis)));
  }));
}

void ShiftIndexes(ListBox& lb, int at, int delta) {
  auto shift = [&](int& i) {
    if (i >= at) i += delta;
  };
  shift(lb.current), shift(lb.anchor);
  if (lb.caret >= at && lb.caret + delta >= 0) shift(lb.caret);
  if (lb.top > at) shift(lb.top);
}

LRESULT InsertItem(ListBox& lb, int index, LPARAM lParam, bool sorted) {
  Item item;
  if (lb.HasStrings()) {
    if (lParam) item.text = ItemText::Copy(reinterpret_cast<const char16_t*>(lParam));
  } else {
    item.data = ULONG_PTR(lParam);
  }
  int n = lb.Count();
  bool sort = sorted && (lb.style & LBS_SORT);
  if (sort && lb.HasStrings() && !lb.Variable()) {
    // The common case searches and inserts in one walk.
    index = int(lb.items.InsertSorted(std::move(item),
                                      [&](const Item& other) { return CompareText(other.text, item.text); }));
  } else {
    if (sort)
      index = SortedPosition(lb, item);
    else if (index < 0 || index > n)
      index = index < 0 ? n : -1;
    if (index < 0) {
      ListBox::FreeText(item);
      return LB_ERR;
    }
    if (lb.Variable()) item.height = int(MeasureItem(lb, index, item.data));
    lb.items.insert(std::size_t(index), std::move(item));
  }
  ShiftIndexes(lb, index, 1);
  if (lb.Count() == 1) lb.caret = 0;
  InvalidateFrom(lb, index);
  UpdateScrollBars(lb);
  return index;
}

LRESULT DeleteItem(ListBox& lb, int index) {
  if (!lb.Valid(index)) return LB_ERR;
  if (lb.OwnerDraw() && lb.notify) {
    DELETEITEMSTRUCT dis;
    dis.CtlType = ODT_LISTBOX;
    dis.CtlID = lb.id;
    dis.itemID = UINT(index);
    dis.hwndItem = lb.hwnd;
    dis.itemData = lb.items[std::size_t(index)].data;
    HWND self = lb.hwnd;
    SendMessageW(lb.notify, WM_DELETEITEM, lb.id, LPARAM(&dis));
    if (!IsWindow(self) || !lb.Valid(index)) return LB_ERR;
  }
  InvalidateFrom(lb, index);
  ListBox::FreeText(lb.items[std::size_t(index)]);
  lb.items.erase(std::size_t(index));
  if (lb.current == index) lb.current = -1;
  if (lb.anchor == index) lb.anchor = -1;
  ShiftIndexes(lb, index + 1, -1);
  lb.caret = std::min(lb.caret, std::max(0, lb.Count() - 1));
  lb.top = std::clamp(lb.top, 0, std::max(0, lb.Count() - 1));
  SetTop(lb, lb.top);
  UpdateScrollBars(lb);
  return lb.Count();
}

void Reset(ListBox& lb) {
  lb.FreeTexts();
  lb.items.clear();
  lb.top = 0, lb.caret = 0, lb.anchor = -1, lb.current = -1, lb.horzPos = 0;
  if (lb.redraw) InvalidateRect(lb.hwnd, nullptr, TRUE);
  UpdateScrollBars(lb);
}

LRESULT GetText(ListBox& lb, int index, char16_t* out) {
  if (!lb.Valid(index)) return LB_ERR;
  auto& item = lb.items[std::size_t(index)];
  if (!lb.HasStrings()) {
    if (out) std::memcpy(out, &item.data, sizeof item.data);
    return sizeof item.data;
  }
  if (out) {
    std::copy(item.text.begin(), item.text.end(), out);
    out[item.text.size()] = 0;
  }
  return LRESULT(item.text.size());
}

LRESULT SetCurSel(ListBox& lb, int index) {
  if (lb.Multi()) return LB_ERR;
  SetCurrent(lb, index);
  if (lb.Valid(index)) {
    EnsureVisible(lb, index);
    return index;
  }
  return LB_ERR;
}

LRESULT Find(ListBox& lb, int start, LPARAM lParam, bool exact) {
  if (!lb.HasStrings()) return FindData(lb, start, ULONG_PTR(lParam));
  std::u16string text = lParam ? reinterpret_cast<const char16_t*>(lParam) : u"";
  return FindString(lb, start, text, exact);
}

LRESULT SelectString(ListBox& lb, int start, LPARAM lParam) {
  LRESULT i = Find(lb, start, lParam, false);
  if (i < 0) return LB_ERR;
  if (lb.Multi()) {
    SetSelected(lb, int(i), true);
    SetCaret(lb, int(i));
    EnsureVisible(lb, int(i));
  } else {
    SetCurSel(lb, int(i));
  }
  return i;
}

LRESULT SetFont(ListBox& lb, HFONT font, bool redraw) {
  lb.font = font;
  if (!(lb.style & LBS_OWNERDRAWFIXED) && !lb.Variable()) lb.itemHeight = ctl::FontHeight(font);
  if (redraw && lb.redraw) InvalidateRect(lb.hwnd, nullptr, TRUE);
  UpdateScrollBars(lb);
  return 0;
}

LRESULT Create(HWND hwnd, const CREATESTRUCTW* cs) {
  auto* lb = Data(hwnd);
  lb->style = DWORD(cs->style);
  lb->id = UINT(GetWindowLongPtrW(hwnd, GWLP_ID));
  // A combo's list reports to the combo; only the dropped-down kind tracks the mouse for it.
  bool ofCombo = (lb->style & LBS_COMBOBOX) && cs->lpCreateParams;
  lb->inCombo = ofCombo && !(lb->style & WS_CHILD);
  lb->notify = ofCombo ? static_cast<HWND>(cs->lpCreateParams) : GetParent(hwnd);
  if (lb->style & (LBS_NOREDRAW)) lb->redraw = false;
  if (lb->Variable()) lb->style &= ~LBS_OWNERDRAWFIXED;
  lb->itemHeight = ctl::FontHeight(nullptr);
  if (lb->style & LBS_OWNERDRAWFIXED) lb->itemHeight = std::max(1, int(MeasureItem(*lb, 0, 0)));
  return 0;
}

LRESULT ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* lb = new ListBox;
    lb->hwnd = hwnd;
    SetWindowLongPtrW(hwnd, 0, LONG_PTR(lb));
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  ListBox* lb = Data(hwnd);
  if (!lb) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, 0, 0);
    delete lb;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  if (msg != LB_ADDSTRING && msg != LB_INSERTSTRING)
    lb->clientInvalid = lb->barFrameInvalid[SB_HORZ] = lb->barFrameInvalid[SB_VERT] = false;
  int idx = int(intptr_t(wParam));
  switch (msg) {
    case WM_CREATE:
      return Create(hwnd, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_PAINT:
    case WM_PRINTCLIENT:
      Paint(*lb, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint fills every pixel
    case WM_SIZE:
      SetTop(*lb, lb->top);
      UpdateScrollBars(*lb);
      return 0;
    case WM_SETFONT:
      return SetFont(*lb, reinterpret_cast<HFONT>(wParam), lParam != 0);
    case WM_GETFONT:
      return LRESULT(lb->font);
    case WM_SETREDRAW:
      lb->redraw = wParam != 0;
      if (lb->redraw) {
        UpdateScrollBars(*lb);
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS:
      lb->focused = true;
      InvalidateItem(*lb, lb->caret);
      Notify(*lb, LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      lb->focused = false;
      lb->tracking = false;
      InvalidateItem(*lb, lb->caret);
      Notify(*lb, LBN_KILLFOCUS);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      return KeyDown(*lb, UINT(wParam));
    case WM_CHAR:
      return Char(*lb, char16_t(wParam));
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_CAPTURECHANGED:
      return Mouse(*lb, msg, wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_MOUSEWHEEL: {
      int lines = -short(HIWORD(wParam)) / WHEEL_DELTA * 3;
      SetTop(*lb, lb->top + lines);
      return 0;
    }
    case WM_VSCROLL:
    case WM_HSCROLL:
      Scroll(*lb, LOWORD(wParam), msg == WM_VSCROLL);
      return 0;

    case LB_ADDSTRING:
      return InsertItem(*lb, -1, lParam, true);
    case LB_INSERTSTRING:
      return InsertItem(*lb, idx, lParam, false);
    case LB_DELETESTRING:
      return DeleteItem(*lb, idx);
    case LB_RESETCONTENT:
      Reset(*lb);
      return 0;
    case LB_GETCOUNT:
      return lb->Count();
    case LB_GETTEXT:
      return GetText(*lb, idx, reinterpret_cast<char16_t*>(lParam));
    case LB_GETTEXTLEN:
      return GetText(*lb, idx, nullptr);
    case LB_GETITEMDATA:
      return lb->Valid(idx) ? LRESULT(lb->items[std::size_t(idx)].data) : LB_ERR;
    case LB_SETITEMDATA:
      if (!lb->Valid(idx)) return LB_ERR;
      lb->items[std::size_t(idx)].data = ULONG_PTR(lParam);
      return TRUE;
    case LB_SETCURSEL:
      return SetCurSel(*lb, idx);
    case LB_GETCURSEL:
      if (lb->Multi()) return lb->Count() ? lb->caret : LB_ERR;
      return lb->current;
    case LB_SETSEL:
      if (!lb->Multi()) return LB_ERR;
      if (intptr_t(lParam) < -1 || intptr_t(lParam) >= lb->Count()) return LB_ERR;
      SetSelected(*lb, int(lParam), wParam != 0);
      if (lParam >= 0) SetCaret(*lb, int(lParam)), lb->anchor = int(lParam);
      return 0;
    case LB_GETSEL:
      if (!lb->Valid(idx)) return LB_ERR;
      return lb->items[std::size_t(idx)].selected ? 1 : 0;
    case LB_GETSELCOUNT: {
      if (!lb->Multi()) return LB_ERR;
      int count = 0;
      for (int i = 0; i < lb->Count(); ++i) count += lb->items[std::size_t(i)].selected;
      return count;
    }
    case LB_GETSELITEMS: {
      if (!lb->Multi()) return LB_ERR;
      auto* out = reinterpret_cast<int*>(lParam);
      if (!out && wParam) return LB_ERR;
      int count = 0;
      for (int i = 0; i < lb->Count() && count < int(wParam); ++i)
        if (lb->items[std::size_t(i)].selected) out[count++] = i;
      return count;
    }
    case LB_SELITEMRANGE:
      if (!lb->Multi()) return LB_ERR;
      SelectRange(*lb, LOWORD(uintptr_t(lParam)), HIWORD(uintptr_t(lParam)), wParam != 0);
      return 0;
    case LB_SELITEMRANGEEX:
      if (!lb->Multi()) return LB_ERR;
      if (idx <= int(lParam))
        SelectRange(*lb, idx, int(lParam), true);
      else
        SelectRange(*lb, int(lParam), idx, false);
      return 0;
    case LB_FINDSTRING:
      return Find(*lb, idx, lParam, false);
    case LB_FINDSTRINGEXACT:
      return Find(*lb, idx, lParam, true);
    case LB_SELECTSTRING:
      return SelectString(*lb, idx, lParam);
    case LB_GETTOPINDEX:
      return lb->top;
    case LB_SETTOPINDEX:
      if (idx < 0 || (idx >= lb->Count() && idx > 0)) return LB_ERR;
      SetTop(*lb, idx);
      return 0;
    case LB_GETITEMRECT: {
      if (!lb->Valid(idx) && !(idx == 0 && lb->Count() == 0)) return LB_ERR;
      if (lParam) *reinterpret_cast<RECT*>(lParam) = ItemRect(*lb, idx);
      return 1;
    }
    case LB_SETITEMHEIGHT: {
      int h = LOWORD(uintptr_t(lParam));
      if (h <= 0 || h > 255) return LB_ERR;
      if (lb->Variable()) {
        if (!lb->Valid(idx)) return LB_ERR;
        lb->items[std::size_t(idx)].height = h;
      } else {
        lb->itemHeight = h;
      }
      InvalidateRect(hwnd, nullptr, TRUE);
      UpdateScrollBars(*lb);
      return 0;
    }
    case LB_GETITEMHEIGHT:
      if (lb->Variable() && lb->Count()) return lb->Valid(idx) ? ItemHeightOf(*lb, idx) : LB_ERR;
      return lb->itemHeight;
    case LB_SETCARETINDEX:
      if (!lb->Valid(idx)) return LB_ERR;
      SetCaret(*lb, idx);
      if (!LOWORD(uintptr_t(lParam))) EnsureVisible(*lb, idx);
      return 0;
    case LB_GETCARETINDEX:
      return lb->Count() ? lb->caret : 0;
    case LB_SETANCHORINDEX:
      if (!lb->Valid(idx)) return LB_ERR;
      lb->anchor = idx;
      return 0;
    case LB_GETANCHORINDEX:
      return lb->anchor;
    case LB_ITEMFROMPOINT: {
      bool outside = false;
      int i = ItemAtY(*lb, GET_Y_LPARAM(lParam), &outside);
      RECT c = ClientRectOf(*lb);
      int x = GET_X_LPARAM(lParam);
      if (x < 0 || x >= c.right) outside = true;
      return MAKELRESULT(std::max(0, i), outside ? 1 : 0);
    }
    case LB_SETHORIZONTALEXTENT:
      lb->horzExtent = int(wParam);
      UpdateScrollBars(*lb);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case LB_GETHORIZONTALEXTENT:
      return lb->horzExtent;
    case LB_INITSTORAGE:
      return lb->Count() + int(wParam);
    case LB_SETTABSTOPS:
      return TRUE;
    case LB_SETCOLUMNWIDTH:
    case LB_SETLOCALE:
    case LB_GETLOCALE:
      return 0;
    case LB_SETCOUNT:
    case LB_DIR:
    case LB_ADDFILE:
      return LB_ERR;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace
}  // namespace qv::lb

namespace qv {

void RegisterListBoxClasses() {
  ctl::RegisterControlClass({.name = u"LISTBOX", .proc = lb::ListBoxProc, .wndExtra = sizeof(void*)});
  ctl::RegisterControlClass({.name = u"ComboLBox",
                             .proc = lb::ListBoxProc,
                             .style = CS_DBLCLKS | CS_SAVEBITS,
                             .wndExtra = sizeof(void*)});
}

}  // namespace qv
