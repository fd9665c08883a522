// The COMBOBOX window procedure: its children, the CB_* messages (items
// live in the list child), dropping the list down and closing it again by
// mouse and keyboard, the notifications to the parent, and the subclass of
// the edit child that hands the combo its keys.
#include "platform/controls/ComboBox.h"

#include <algorithm>
#include <string>

#include "platform/controls/ComboBoxImpl.h"
#include "platform/controls/ControlClass.h"
#include "platform/controls/ControlPaint.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/ListBoxImpl.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::cb {
namespace {

constexpr UINT kEditId = 1001, kListId = 1000;
constexpr const char16_t* kComboProp = u"QvComboOfEdit";
constexpr const char16_t* kDataProp = u"QvComboData";
constexpr int kDefaultDropItems = 8;

void NotifyParent(Combo& c, WORD code) {
  if (c.notify && IsWindow(c.notify))
    SendMessageW(c.notify, WM_COMMAND, MAKEWPARAM(c.id, code), LPARAM(c.hwnd));
}

std::u16string ItemText(const Combo& c, int index) {
  LRESULT len = SendMessageW(c.list, LB_GETTEXTLEN, WPARAM(index), 0);
  if (len < 0) return {};
  std::u16string text(std::size_t(len) + 1, u'\0');
  SendMessageW(c.list, LB_GETTEXT, WPARAM(index), LPARAM(text.data()));
  text.resize(std::size_t(len));
  return text;
}

// Shows the selected item in the field: the edit's text, or a repaint.
void UpdateField(Combo& c) {
  if (c.edit) {
    int sel = CurrentSelection(c);
    std::u16string text = sel >= 0 ? ItemText(c, sel) : std::u16string();
    // The user did not edit: no edit notifications reach the parent.
    c.settingEdit = true;
    SetWindowTextW(c.edit, text.c_str());
    c.settingEdit = false;
    if (c.focused) SendMessageW(c.edit, EM_SETSEL, 0, -1);
  }
  RECT f = FieldRect(c);
  InvalidateRect(c.hwnd, &f, TRUE);
}

int ListItemsHeight(const Combo& c) {
  int n = int(SendMessageW(c.list, LB_GETCOUNT, 0, 0)), h = 0;
  bool variable = c.style & CBS_OWNERDRAWVARIABLE;
  for (int i = 0; i < n && h < c.droppedHeight; ++i)
    h += int(SendMessageW(c.list, LB_GETITEMHEIGHT, variable ? WPARAM(i) : 0, 0));
  return std::max(h, int(SendMessageW(c.list, LB_GETITEMHEIGHT, 0, 0)));
}

void DropDown(Combo& c, bool byMouse) {
  if (c.dropped || c.Simple() || !c.list) return;
  HWND self = c.hwnd;
  NotifyParent(c, CBN_DROPDOWN);
  if (!IsWindow(self) || c.dropped) return;
  if (c.edit) {
    // The list opens on the item the edit's text names.
    int len = GetWindowTextLengthW(c.edit);
    std::u16string text(std::size_t(len) + 1, u'\0');
    GetWindowTextW(c.edit, text.data(), len + 1);
    text.resize(std::size_t(len));
    LRESULT i = SendMessageW(c.list, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(text.c_str()));
    SendMessageW(c.list, LB_SETCURSEL, WPARAM(i >= 0 ? i : -1), 0);
  }
  c.selBeforeDrop = CurrentSelection(c);
  RECT wr;
  GetWindowRect(c.hwnd, &wr);
  int width = std::max(int(wr.Width()), c.droppedWidth);
  int height = std::min(c.droppedHeight, ListItemsHeight(c) + 2);
  int x = wr.left, y = wr.top + c.fieldHeight;
  int screenH = GetSystemMetrics(SM_CYSCREEN);
  if (y + height > screenH && wr.top - height >= 0) y = wr.top - height;
  if (auto* lb = lb::Data(c.list)) {
    lb->comboPressed = byMouse;
    lb->comboIgnoreUp = byMouse;
  }
  c.dropped = true;
  c.buttonDown = byMouse;
  SetWindowPos(c.list, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  int sel = CurrentSelection(c);
  if (sel >= 0) SendMessageW(c.list, LB_SETCARETINDEX, WPARAM(sel), 0);
  SetCapture(c.list);
  InvalidateRect(c.hwnd, nullptr, TRUE);
}

void CloseUp(Combo& c, bool accept) {
  if (!c.dropped) return;
  HWND self = c.hwnd;
  c.dropped = false;
  c.buttonDown = false;
  if (GetCapture() == c.list) ReleaseCapture();
  ShowWindow(c.list, SW_HIDE);
  InvalidateRect(c.hwnd, nullptr, TRUE);
  if (accept) {
    NotifyParent(c, CBN_SELENDOK);
    if (!IsWindow(self)) return;
    UpdateField(c);
    NotifyParent(c, CBN_CLOSEUP);
    if (!IsWindow(self)) return;
    if (CurrentSelection(c) != c.selBeforeDrop) NotifyParent(c, CBN_SELCHANGE);
  } else {
    NotifyParent(c, CBN_SELENDCANCEL);
    if (!IsWindow(self)) return;
    SendMessageW(c.list, LB_SETCURSEL, WPARAM(c.selBeforeDrop), 0);
    UpdateField(c);
    NotifyParent(c, CBN_CLOSEUP);
  }
}

// Keys of the control or its edit; true when the combo used the key.
bool ComboKey(Combo& c, UINT vk, bool sys) {
  bool alt = GetKeyState(VK_MENU) < 0;
  if (c.Simple()) {
    if (vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR || vk == VK_NEXT ||
        (!c.edit && (vk == VK_HOME || vk == VK_END))) {
      SendMessageW(c.list, WM_KEYDOWN, vk, 0);
      return true;
    }
    return false;
  }
  if ((vk == VK_F4 && !sys) || ((vk == VK_DOWN || vk == VK_UP) && sys && alt)) {
    if (c.dropped)
      CloseUp(c, true);
    else
      DropDown(c, false);
    return true;
  }
  if (c.dropped && (vk == VK_RETURN || vk == VK_ESCAPE)) {
    CloseUp(c, vk == VK_RETURN);
    return true;
  }
  if (sys) return false;
  bool nav = vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR || vk == VK_NEXT;
  if (!c.edit) nav = nav || vk == VK_HOME || vk == VK_END || vk == VK_LEFT || vk == VK_RIGHT;
  if (!nav) return false;
  if (!c.dropped && c.extendedUI && vk == VK_DOWN) {
    DropDown(c, false);
    return true;
  }
  if (c.edit && CurrentSelection(c) < 0) {
    // Arrows from an edit's free text start at the item it names, if any.
    int len = GetWindowTextLengthW(c.edit);
    std::u16string text(std::size_t(len) + 1, u'\0');
    GetWindowTextW(c.edit, text.data(), len + 1);
    text.resize(std::size_t(len));
    LRESULT i = SendMessageW(c.list, LB_FINDSTRING, WPARAM(-1), LPARAM(text.c_str()));
    if (i >= 0) {
      SendMessageW(c.list, LB_SETCURSEL, WPARAM(i), 0);
      UpdateField(c);
      NotifyParent(c, CBN_SELCHANGE);
      return true;
    }
  }
  SendMessageW(c.list, WM_KEYDOWN, vk == VK_LEFT ? VK_UP : vk == VK_RIGHT ? VK_DOWN : vk, 0);
  return true;
}

LRESULT EditSubclass(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND combo = static_cast<HWND>(GetPropW(edit, kComboProp));
  Combo* c = combo ? Data(combo) : nullptr;
  WNDPROC old = c ? c->editProc : DefWindowProcW;
  if (!c) return CallWindowProcW(old ? old : DefWindowProcW, edit, msg, wParam, lParam);
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (ComboKey(*c, UINT(wParam), msg == WM_SYSKEYDOWN)) return 0;
      break;
    case WM_CHAR:
      if (c->dropped && (wParam == VK_RETURN || wParam == VK_ESCAPE)) return 0;
      break;
    case WM_SETFOCUS:
      if (!c->focused) {
        c->focused = true;
        LRESULT r = CallWindowProcW(old, edit, msg, wParam, lParam);
        NotifyParent(*c, CBN_SETFOCUS);
        return r;
      }
      break;
    case WM_KILLFOCUS: {
      HWND to = reinterpret_cast<HWND>(wParam);
      LRESULT r = CallWindowProcW(old, edit, msg, wParam, lParam);
      if (IsWindow(combo) && to != combo && to != c->list) {
        c->focused = false;
        CloseUp(*c, false);
        if (IsWindow(combo)) NotifyParent(*c, CBN_KILLFOCUS);
      }
      return r;
    }
    case WM_NCDESTROY:
      RemovePropW(edit, kComboProp);
      SetWindowLongPtrW(edit, GWLP_WNDPROC, LONG_PTR(old));
      return CallWindowProcW(old, edit, msg, wParam, lParam);
  }
  return CallWindowProcW(old, edit, msg, wParam, lParam);
}

void MakeChildren(Combo& c, const CREATESTRUCTW& cs) {
  DWORD lbStyle = LBS_COMBOBOX | LBS_NOTIFY | WS_VSCROLL | WS_BORDER;
  if (c.style & CBS_SORT) lbStyle |= LBS_SORT;
  if (c.style & CBS_OWNERDRAWFIXED) lbStyle |= LBS_OWNERDRAWFIXED;
  if (c.style & CBS_OWNERDRAWVARIABLE) lbStyle |= LBS_OWNERDRAWVARIABLE;
  if (c.style & CBS_HASSTRINGS) lbStyle |= LBS_HASSTRINGS;
  if (c.style & CBS_DISABLENOSCROLL) lbStyle |= LBS_DISABLENOSCROLL;
  HINSTANCE inst = cs.hInstance;
  if (c.Simple()) {
    c.list = CreateWindowExW(WS_EX_CLIENTEDGE, u"ComboLBox", u"", WS_CHILD | WS_VISIBLE | lbStyle, 0,
                             c.fieldHeight, cs.cx, std::max(0, cs.cy - c.fieldHeight), c.hwnd,
                             reinterpret_cast<HMENU>(uintptr_t(kListId)), inst, c.hwnd);
  } else {
    // A popup owned by the combo's top-level window; it reports to the combo.
    HWND owner = GetAncestor(c.hwnd, GA_ROOT);
    c.list = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, u"ComboLBox", u"", WS_POPUP | lbStyle, 0, 0,
                             cs.cx, 100, owner ? owner : c.hwnd, nullptr, inst, c.hwnd);
  }
  if (c.DropList() || c.OwnerDraw()) return;
  // The edit child; without an EDIT class the combo works as a drop-down list.
  RegisterEditClass();
  DWORD es = WS_CHILD | WS_VISIBLE | (c.style & CBS_AUTOHSCROLL ? 0x80u : 0u) |
             (c.style & CBS_UPPERCASE ? 0x8u : 0u) | (c.style & CBS_LOWERCASE ? 0x10u : 0u);
  c.edit = CreateWindowExW(0, u"EDIT", u"", es, 0, 0, 10, 10, c.hwnd,
                           reinterpret_cast<HMENU>(uintptr_t(kEditId)), inst, nullptr);
  if (!c.edit) return;
  SetPropW(c.edit, kComboProp, c.hwnd);
  c.editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(c.edit, GWLP_WNDPROC, LONG_PTR(&EditSubclass)));
}

LRESULT Create(Combo& c, const CREATESTRUCTW* cs) {
  c.style = DWORD(cs->style);
  // Scroll-bar styles are meant for the list: the combo itself shows none.
  if (c.style & (WS_VSCROLL | WS_HSCROLL)) {
    SetWindowLongPtrW(c.hwnd, GWL_STYLE, LONG_PTR(c.style & ~DWORD(WS_VSCROLL | WS_HSCROLL)));
    SetWindowPos(c.hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  if (c.OwnerDraw() && !c.Simple()) c.style = (c.style & ~3u) | CBS_DROPDOWNLIST;
  c.id = UINT(GetWindowLongPtrW(c.hwnd, GWLP_ID));
  c.notify = GetParent(c.hwnd);
  c.fieldItemHeight = ctl::FontHeight(nullptr);
  if (c.OwnerDraw()) {
    MEASUREITEMSTRUCT mis;
    mis.CtlType = ODT_COMBOBOX;
    mis.CtlID = c.id;
    mis.itemID = UINT(-1);
    mis.itemHeight = UINT(c.fieldItemHeight);
    SendMessageW(c.notify, WM_MEASUREITEM, c.id, LPARAM(&mis));
    c.fieldItemHeight = std::max(1, int(mis.itemHeight));
  }
  c.fieldHeight = c.fieldItemHeight + 8;
  c.droppedHeight = cs->cy - c.fieldHeight;
  if (c.droppedHeight <= 0) c.droppedHeight = c.fieldItemHeight * kDefaultDropItems + 2;
  MakeChildren(c, *cs);
  if (!c.list) return -1;
  if (c.edit && cs->lpszName && *cs->lpszName) {
    c.settingEdit = true;
    SetWindowTextW(c.edit, cs->lpszName);
    c.settingEdit = false;
  }
  if (!c.Simple())
    SetWindowPos(c.hwnd, nullptr, 0, 0, cs->cx, c.fieldHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout(c);
  return 0;
}

void SetFont(Combo& c, HFONT font, bool redraw) {
  c.font = font;
  if (c.edit) SendMessageW(c.edit, WM_SETFONT, WPARAM(font), FALSE);
  SendMessageW(c.list, WM_SETFONT, WPARAM(font), FALSE);
  if (!c.OwnerDraw()) {
    c.fieldItemHeight = ctl::FontHeight(font);
    c.fieldHeight = c.fieldItemHeight + 8;
    if (!c.Simple()) {
      RECT r;
      GetClientRect(c.hwnd, &r);
      SetWindowPos(c.hwnd, nullptr, 0, 0, r.right, c.fieldHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  Layout(c);
  if (redraw) InvalidateRect(c.hwnd, nullptr, TRUE);
}

// Notifications and owner-draw requests of the children.
LRESULT FromChild(Combo& c, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND: {
      HWND from = reinterpret_cast<HWND>(lParam);
      WORD code = HIWORD(wParam);
      if (from == c.edit && c.edit) {
        if (c.settingEdit) return 0;
        if (code == EN_CHANGE) NotifyParent(c, CBN_EDITCHANGE);
        if (code == EN_UPDATE) NotifyParent(c, CBN_EDITUPDATE);
      } else if (from == c.list) {
        if (code == LBN_SELCHANGE) {
          UpdateField(c);
          NotifyParent(c, CBN_SELCHANGE);
        } else if (code == LBN_DBLCLK && c.Simple()) {
          NotifyParent(c, CBN_DBLCLK);
        }
      }
      return 0;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      dis->CtlType = ODT_COMBOBOX, dis->CtlID = c.id, dis->hwndItem = c.hwnd;
      return SendMessageW(c.notify, msg, c.id, lParam);
    }
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      mis->CtlType = ODT_COMBOBOX, mis->CtlID = c.id;
      return SendMessageW(c.notify, msg, c.id, lParam);
    }
    case WM_COMPAREITEM: {
      auto* cis = reinterpret_cast<COMPAREITEMSTRUCT*>(lParam);
      cis->CtlType = ODT_COMBOBOX, cis->CtlID = c.id, cis->hwndItem = c.hwnd;
      return SendMessageW(c.notify, msg, c.id, lParam);
    }
    case WM_DELETEITEM: {
      auto* dis = reinterpret_cast<DELETEITEMSTRUCT*>(lParam);
      dis->CtlType = ODT_COMBOBOX, dis->CtlID = c.id, dis->hwndItem = c.hwnd;
      return SendMessageW(c.notify, msg, c.id, lParam);
    }
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
      // The combo answers for its children, so a control wrapping it hears of them.
      return SendMessageW(c.notify, msg, wParam, LPARAM(c.hwnd));
  }
  return 0;
}

LRESULT GetText(Combo& c, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (c.edit) return SendMessageW(c.edit, msg, wParam, lParam);
  int sel = CurrentSelection(c);
  std::u16string text = sel >= 0 ? ItemText(c, sel) : std::u16string();
  if (msg == WM_GETTEXTLENGTH) return LRESULT(text.size());
  if (!lParam || wParam == 0) return 0;
  std::size_t n = std::min<std::size_t>(text.size(), wParam - 1);
  auto* out = reinterpret_cast<char16_t*>(lParam);
  std::copy_n(text.data(), n, out);
  out[n] = 0;
  return LRESULT(n);
}

LRESULT SetText(Combo& c, LPARAM lParam) {
  if (c.edit) return SendMessageW(c.edit, WM_SETTEXT, 0, lParam);
  LRESULT i = SendMessageW(c.list, LB_FINDSTRINGEXACT, WPARAM(-1), lParam);
  if (i < 0) return CB_ERR;
  SendMessageW(c.list, LB_SETCURSEL, WPARAM(i), 0);
  UpdateField(c);
  return TRUE;
}

LRESULT ComboMessage(Combo& c, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case CB_ADDSTRING:
      return SendMessageW(c.list, LB_ADDSTRING, 0, lParam);
    case CB_INSERTSTRING:
      return SendMessageW(c.list, LB_INSERTSTRING, wParam, lParam);
    case CB_DELETESTRING: {
      bool wasSelected = int(intptr_t(wParam)) == CurrentSelection(c);
      LRESULT r = SendMessageW(c.list, LB_DELETESTRING, wParam, 0);
      if (wasSelected && r >= 0) UpdateField(c);
      return r;
    }
    case CB_RESETCONTENT:
      SendMessageW(c.list, LB_RESETCONTENT, 0, 0);
      if (!c.edit) UpdateField(c);
      return CB_OKAY;
    case CB_GETCOUNT:
      return SendMessageW(c.list, LB_GETCOUNT, 0, 0);
    case CB_GETCURSEL:
      return CurrentSelection(c);
    case CB_SETCURSEL: {
      LRESULT r = SendMessageW(c.list, LB_SETCURSEL, wParam, 0);
      UpdateField(c);
      return r;
    }
    case CB_SELECTSTRING: {
      LRESULT r = SendMessageW(c.list, LB_SELECTSTRING, wParam, lParam);
      if (r >= 0) UpdateField(c);
      return r;
    }
    case CB_GETLBTEXT:
      return SendMessageW(c.list, LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN:
      return SendMessageW(c.list, LB_GETTEXTLEN, wParam, 0);
    case CB_FINDSTRING:
      return SendMessageW(c.list, LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT:
      return SendMessageW(c.list, LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_GETITEMDATA:
      return SendMessageW(c.list, LB_GETITEMDATA, wParam, 0);
    case CB_SETITEMDATA:
      return SendMessageW(c.list, LB_SETITEMDATA, wParam, lParam);
    case CB_GETTOPINDEX:
      return SendMessageW(c.list, LB_GETTOPINDEX, 0, 0);
    case CB_SETTOPINDEX:
      return SendMessageW(c.list, LB_SETTOPINDEX, wParam, 0);
    case CB_GETHORIZONTALEXTENT:
      return SendMessageW(c.list, LB_GETHORIZONTALEXTENT, 0, 0);
    case CB_SETHORIZONTALEXTENT:
      return SendMessageW(c.list, LB_SETHORIZONTALEXTENT, wParam, 0);
    case CB_INITSTORAGE:
      return SendMessageW(c.list, LB_INITSTORAGE, wParam, lParam);
    case CB_SHOWDROPDOWN:
      if (wParam)
        DropDown(c, false);
      else
        CloseUp(c, true);
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return c.dropped;
    case CB_GETDROPPEDCONTROLRECT: {
      RECT wr;
      GetWindowRect(c.hwnd, &wr);
      if (lParam)
        *reinterpret_cast<RECT*>(lParam) =
            RECT{wr.left, wr.top, wr.left + std::max(int(wr.Width()), c.droppedWidth),
                 wr.top + c.fieldHeight + c.droppedHeight};
      return TRUE;
    }
    case CB_SETITEMHEIGHT: {
      int h = int(lParam);
      if (h <= 0 || h > 255) return CB_ERR;
      if (int(intptr_t(wParam)) == -1) {
        c.fieldItemHeight = h;
        c.fieldHeight = h + 8;
        if (!c.Simple()) {
          RECT r;
          GetClientRect(c.hwnd, &r);
          SetWindowPos(c.hwnd, nullptr, 0, 0, r.right, c.fieldHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        Layout(c);
        InvalidateRect(c.hwnd, nullptr, TRUE);
        return 0;
      }
      return SendMessageW(c.list, LB_SETITEMHEIGHT, wParam, MAKELPARAM(h, 0));
    }
    case CB_GETITEMHEIGHT:
      if (int(intptr_t(wParam)) == -1) return c.fieldItemHeight;
      return SendMessageW(c.list, LB_GETITEMHEIGHT, wParam, 0);
    case CB_SETEXTENDEDUI:
      c.extendedUI = wParam != 0;
      return CB_OKAY;
    case CB_GETEXTENDEDUI:
      return c.extendedUI;
    case CB_LIMITTEXT:
      if (!c.edit) return FALSE;
      SendMessageW(c.edit, EM_LIMITTEXT, wParam, 0);
      return TRUE;
    case CB_SETEDITSEL:
      if (!c.edit) return CB_ERR;
      SendMessageW(c.edit, EM_SETSEL, WPARAM(short(LOWORD(uintptr_t(lParam)))),
                   LPARAM(short(HIWORD(uintptr_t(lParam)))));
      return TRUE;
    case CB_GETEDITSEL:
      if (!c.edit) return CB_ERR;
      return SendMessageW(c.edit, EM_GETSEL, wParam, lParam);
    case CB_SETDROPPEDWIDTH:
      c.droppedWidth = int(wParam);
      return c.droppedWidth;
    case CB_GETDROPPEDWIDTH: {
      RECT wr;
      GetWindowRect(c.hwnd, &wr);
      return std::max(int(wr.Width()), c.droppedWidth);
    }
    case CB_GETCOMBOBOXINFO:
      return GetComboBoxInfo(c.hwnd, reinterpret_cast<COMBOBOXINFO*>(lParam));
    case CB_SETLOCALE:
    case CB_GETLOCALE:
      return 0;
    case CB_DIR:
      return CB_ERR;
  }
  return 0;
}

LRESULT ComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* c = new Combo;
    c->hwnd = hwnd;
    SetPropW(hwnd, kDataProp, c);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  Combo* c = Data(hwnd);
  if (!c) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg >= CB_GETEDITSEL && msg <= CB_GETCOMBOBOXINFO) return ComboMessage(*c, msg, wParam, lParam);
  switch (msg) {
    case WM_CREATE:
      return Create(*c, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_DESTROY:
      if (c->list && IsWindow(c->list) && !c->Simple()) {
        HWND list = c->list;
        c->dropped = false;
        c->list = nullptr;
        DestroyWindow(list);
        c->list = nullptr;
      }
      return 0;
    case WM_NCDESTROY:
      RemovePropW(hwnd, kDataProp);
      delete c;
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_WINDOWPOSCHANGING: {
      // A drop-down style keeps its field's height; a taller request sizes the dropped list.
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!c->Simple() && wp && !(wp->flags & SWP_NOSIZE) && wp->cy != c->fieldHeight) {
        if (wp->cy > c->fieldHeight) c->droppedHeight = wp->cy - c->fieldHeight;
        wp->cy = c->fieldHeight;
      }
      return 0;
    }
    case WM_SIZE:
      Layout(*c);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      Paint(*c, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      SetFont(*c, reinterpret_cast<HFONT>(wParam), lParam != 0);
      return 0;
    case WM_GETFONT:
      return LRESULT(c->font);
    case WM_SETTEXT:
      return SetText(*c, lParam);
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
      return GetText(*c, msg, wParam, lParam);
    case WM_ENABLE:
      if (c->edit) EnableWindow(c->edit, wParam != 0);
      if (c->Simple()) EnableWindow(c->list, wParam != 0);
      if (!wParam) CloseUp(*c, false);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS:
      if (c->edit) {
        SetFocus(c->edit);
        return 0;
      }
      if (!c->focused) {
        c->focused = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParent(*c, CBN_SETFOCUS);
      }
      return 0;
    case WM_KILLFOCUS: {
      HWND to = reinterpret_cast<HWND>(wParam);
      if (c->edit && (to == c->edit)) return 0;
      if (to == c->list && c->list) return 0;
      if (!c->focused) return 0;
      c->focused = false;
      CloseUp(*c, false);
      if (!IsWindow(hwnd)) return 0;
      InvalidateRect(hwnd, nullptr, TRUE);
      NotifyParent(*c, CBN_KILLFOCUS);
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS | (c->dropped ? DLGC_WANTALLKEYS : 0);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (ComboKey(*c, UINT(wParam), msg == WM_SYSKEYDOWN)) return 0;
      return msg == WM_SYSKEYDOWN ? DefWindowProcW(hwnd, msg, wParam, lParam) : 0;
    case WM_CHAR:
      if (c->DropList() || (!c->edit && !c->Simple())) SendMessageW(c->list, WM_CHAR, wParam, lParam);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (c->Simple()) return 0;
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT b = ButtonRect(*c);
      if (!c->edit || PtInRect(&b, p)) {
        HWND focusTo = c->edit ? c->edit : hwnd;
        if (GetFocus() != focusTo) SetFocus(focusTo);
        if (!IsWindow(hwnd)) return 0;
        if (c->dropped)
          CloseUp(*c, true);
        else
          DropDown(*c, true);
      }
      return 0;
    }
    case WM_MOUSEWHEEL:
      if (!c->dropped && c->focused && !c->Simple()) {
        ComboKey(*c, short(HIWORD(wParam)) > 0 ? VK_UP : VK_DOWN, false);
        return 0;
      }
      return c->dropped ? SendMessageW(c->list, msg, wParam, lParam) : 0;
    case WM_CANCELMODE:
      CloseUp(*c, false);
      return 0;
    case lb::kComboListClose:
      CloseUp(*c, wParam != 0);
      return 0;
    case lb::kComboListHit:
      return 0;
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
      return FromChild(*c, msg, wParam, lParam);
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

Combo* Data(HWND hwnd) {
  return static_cast<Combo*>(GetPropW(hwnd, kDataProp));
}

int CurrentSelection(const Combo& c) {
  return c.list ? int(SendMessageW(c.list, LB_GETCURSEL, 0, 0)) : -1;
}

}  // namespace qv::cb

namespace qv {

BOOL GetComboBoxInfo(HWND combo, COMBOBOXINFO* info) {
  if (!info || !IsWindow(combo)) return FALSE;
  auto* c = cb::Data(combo);
  if (!c || c->hwnd != combo) return FALSE;
  info->rcItem = cb::FieldRect(*c);
  info->rcButton = cb::ButtonRect(*c);
  info->stateButton = c->Simple() ? STATE_SYSTEM_INVISIBLE : c->buttonDown ? STATE_SYSTEM_PRESSED : 0;
  info->hwndCombo = combo;
  info->hwndItem = c->edit ? c->edit : combo;
  info->hwndList = c->list;
  return TRUE;
}

void RegisterComboBoxClass() {
  RegisterListBoxClasses();
  ctl::RegisterControlClass({.name = u"COMBOBOX",
                             .proc = cb::ComboProc,
                             .style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                             .wndExtra = sizeof(void*)});
}

}  // namespace qv
