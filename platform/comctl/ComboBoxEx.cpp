// The extended combo box class.
#include "platform/comctl/ComboBoxEx.h"

#include <algorithm>
#include <vector>

#include "platform/comctl/ToolBarState.h"
#include "platform/controls/ComboBox.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/OwnerDraw.h"
#include "platform/window/Input.h"

namespace qv {
namespace {

constexpr UINT kComboId = 1001;

struct ExItem {
  std::u16string text;
  int image = -1, selectedImage = -1, overlay = 0, indent = 0;
  LPARAM data = 0;
};

struct ComboEx {
  static constexpr const char16_t* kProp = u"QvComboBoxEx";
  HWND hwnd = nullptr;
  HWND combo = nullptr;
  std::vector<ExItem> items;
  HIMAGELIST images = nullptr;
  DWORD exStyle = 0;
  bool editChanged = false;

  void Create(const CREATESTRUCTW* cs) {
    DWORD kind = DWORD(cs->style & 3);
    if (!kind) kind = CBS_DROPDOWN;
    // The list style draws the images itself; the editable ones keep the child's edit.
    DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | kind | CBS_HASSTRINGS | CBS_AUTOHSCROLL;
    if (kind == CBS_DROPDOWNLIST) style |= CBS_OWNERDRAWFIXED;
    combo = CreateWindowExW(0, u"COMBOBOX", u"", style, 0, 0, cs->cx, std::max(cs->cy, 100), hwnd,
                            reinterpret_cast<HMENU>(uintptr_t(kComboId)), nullptr, nullptr);
    FitToChild();
  }

  // The extended combo is as high as its child's closed field.
  void FitToChild() {
    if (!combo) return;
    RECT c, mine;
    GetWindowRect(combo, &c);
    GetClientRect(hwnd, &mine);
    if (mine.bottom != c.Height())
      SetWindowPos(hwnd, nullptr, 0, 0, mine.right, c.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void Apply(ExItem& item, const COMBOBOXEXITEMW& in) {
    if ((in.mask & CBEIF_TEXT) && in.pszText) item.text = in.pszText;
    if (in.mask & CBEIF_IMAGE) item.image = in.iImage;
    if (in.mask & CBEIF_SELECTEDIMAGE) item.selectedImage = in.iSelectedImage;
    if (in.mask & CBEIF_OVERLAY) item.overlay = in.iOverlay;
    if (in.mask & CBEIF_INDENT) item.indent = std::max(0, in.iIndent);
    if (in.mask & CBEIF_LPARAM) item.data = in.lParam;
  }

  LRESULT Insert(const COMBOBOXEXITEMW* in) {
    if (!in || !combo) return -1;
    size_t at = in->iItem < 0 ? items.size() : std::min(size_t(in->iItem), items.size());
    ExItem item;
    Apply(item, *in);
    items.insert(items.begin() + long(at), item);
    return SendMessageW(combo, CB_INSERTSTRING, at, LPARAM(item.text.c_str()));
  }

  LRESULT Set(const COMBOBOXEXITEMW* in) {
    if (!in) return FALSE;
    int sel = int(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    size_t index = in->iItem < 0 ? size_t(sel) : size_t(in->iItem);
    if (in->iItem < 0 && sel < 0) return FALSE;
    if (index >= items.size()) return FALSE;
    Apply(items[index], *in);
    if (in->mask & CBEIF_TEXT) {
      SendMessageW(combo, CB_DELETESTRING, index, 0);
      SendMessageW(combo, CB_INSERTSTRING, index, LPARAM(items[index].text.c_str()));
      if (int(index) == sel) SendMessageW(combo, CB_SETCURSEL, index, 0);
    }
    InvalidateRect(combo, nullptr, TRUE);
    return TRUE;
  }

  LRESULT Get(COMBOBOXEXITEMW* out) {
    if (!out) return FALSE;
    size_t index = out->iItem < 0 ? size_t(SendMessageW(combo, CB_GETCURSEL, 0, 0)) : size_t(out->iItem);
    if (index >= items.size()) return FALSE;
    const ExItem& item = items[index];
    if ((out->mask & CBEIF_TEXT) && out->buffer && out->cchTextMax > 0) {
      size_t n = std::min(item.text.size(), size_t(out->cchTextMax - 1));
      std::copy_n(item.text.begin(), n, out->buffer);
      out->buffer[n] = 0;
    }
    out->iImage = item.image;
    out->iSelectedImage = item.selectedImage;
    out->iOverlay = item.overlay;
    out->iIndent = item.indent;
    out->lParam = item.data;
    return TRUE;
  }

  // An item in the list is indented by its level; in the field it is not.
  void DrawItem(DRAWITEMSTRUCT& d) {
    bool selected = d.itemState & ODS_SELECTED;
    bars::FillSolid(d.hDC, d.rcItem, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (d.itemID >= items.size()) return;
    const ExItem& item = items[d.itemID];
    int x = d.rcItem.left + 2 + ((d.itemState & ODS_COMBOBOXEDIT) ? 0 : item.indent * kComboExIndent);
    int cx = 0, cy = 0;
    if (images) ImageList_GetIconSize(images, &cx, &cy);
    int image = selected && item.selectedImage >= 0 ? item.selectedImage : item.image;
    int y = d.rcItem.top + (d.rcItem.Height() - cy) / 2;
    if (images && image >= 0) ImageList_Draw(images, image, d.hDC, x, y, ILD_TRANSPARENT);
    // The overlay is the one-based index of an image drawn over the item's own.
    if (images && item.overlay > 0) ImageList_Draw(images, item.overlay - 1, d.hDC, x, y, ILD_TRANSPARENT);
    if (images) x += cx + 4;
    RECT t{x, d.rcItem.top, d.rcItem.right, d.rcItem.bottom};
    SetTextColor(d.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    HGDIOBJ old = SelectObject(d.hDC, ctl::ControlFont(hwnd));
    ctl::DrawControlText(d.hDC, item.text, t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS,
                         true);
    SelectObject(d.hDC, old);
    if ((d.itemState & ODS_FOCUS) && !(d.itemState & ODS_COMBOBOXEDIT)) DrawFocusRect(d.hDC, &d.rcItem);
  }

  LRESULT Message(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
      case WM_CREATE:
        Create(reinterpret_cast<const CREATESTRUCTW*>(l));
        return combo ? 0 : -1;
      case WM_SIZE:
        if (combo) {
          RECT c;
          GetWindowRect(combo, &c);
          SetWindowPos(combo, nullptr, 0, 0, LOWORD(uintptr_t(l)), c.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
      case WM_SETFONT:
        ctl::SetControlFont(hwnd, reinterpret_cast<HFONT>(w));
        if (combo) SendMessageW(combo, WM_SETFONT, w, l);
        FitToChild();
        return 0;
      case WM_GETFONT:
        return LRESULT(ctl::ControlFont(hwnd));
      case WM_SETFOCUS:
        if (combo) SetFocus(combo);
        return 0;
      case WM_ENABLE:
        if (combo) EnableWindow(combo, BOOL(w));
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_MEASUREITEM: {
        auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
        HDC dc = GetDC(hwnd);
        HGDIOBJ old = SelectObject(dc, ctl::ControlFont(hwnd));
        int h = int(bars::TextSize(dc, u"").cy) + 2;
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
        int cx = 0, cy = 0;
        if (images) ImageList_GetIconSize(images, &cx, &cy);
        m->itemHeight = UINT(std::max(h, cy + 2));
        return TRUE;
      }
      case WM_DRAWITEM:
        DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(l));
        return TRUE;
      case WM_COMMAND:
        // The child's notifications become the extended combo's own.
        if (reinterpret_cast<HWND>(l) == combo) {
          if (HIWORD(w) == CBN_EDITCHANGE) editChanged = true;
          return SendMessageW(GetParent(hwnd), WM_COMMAND,
                              MAKEWPARAM(int(GetWindowLongPtrW(hwnd, GWLP_ID)), HIWORD(w)), LPARAM(hwnd));
        }
        return 0;
      case CBEM_INSERTITEMW:
        return Insert(reinterpret_cast<const COMBOBOXEXITEMW*>(l));
      case CBEM_SETITEMW:
        return Set(reinterpret_cast<const COMBOBOXEXITEMW*>(l));
      case CBEM_GETITEMW:
        return Get(reinterpret_cast<COMBOBOXEXITEMW*>(l));
      case CBEM_DELETEITEM:
        if (w >= items.size()) return CB_ERR;
        items.erase(items.begin() + long(w));
        return SendMessageW(combo, CB_DELETESTRING, w, 0);
      case CB_RESETCONTENT:
        items.clear();
        return SendMessageW(combo, CB_RESETCONTENT, 0, 0);
      case CBEM_SETIMAGELIST: {
        HIMAGELIST old = images;
        images = reinterpret_cast<HIMAGELIST>(l);
        InvalidateRect(combo, nullptr, TRUE);
        return LRESULT(old);
      }
      case CBEM_GETIMAGELIST:
        return LRESULT(images);
      case CBEM_GETCOMBOCONTROL:
        return LRESULT(combo);
      case CBEM_GETEDITCONTROL: {
        COMBOBOXINFO info;
        if (!combo || !GetComboBoxInfo(combo, &info) || info.hwndItem == combo) return 0;
        return LRESULT(info.hwndItem);
      }
      case CBEM_SETEXTENDEDSTYLE: {
        DWORD old = exStyle;
        exStyle = w ? (exStyle & ~DWORD(w)) | (DWORD(l) & DWORD(w)) : DWORD(l);
        return LRESULT(old);
      }
      case CBEM_GETEXTENDEDSTYLE:
        return LRESULT(exStyle);
      case CBEM_HASEDITCHANGED: {
        bool changed = editChanged;
        editChanged = false;
        return changed;
      }
      case WM_SETTEXT:
      case WM_GETTEXT:
      case WM_GETTEXTLENGTH:
        return combo ? SendMessageW(combo, msg, w, l) : 0;
    }
    // The rest of the combo box messages go to the child.
    if (msg >= CB_GETEDITSEL && msg <= CB_GETCOMBOBOXINFO && combo) return SendMessageW(combo, msg, w, l);
    return DefWindowProcW(hwnd, msg, w, l);
  }
};

LRESULT ComboBoxExProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return bars::StateProc<ComboEx>(h, m, w, l);
}

}  // namespace

void RegisterComboBoxExClass() {
  RegisterComboBoxClass();
  bars::RegisterBarClass(WC_COMBOBOXEXW, ComboBoxExProc, CS_DBLCLKS, COLOR_WINDOW);
}

}  // namespace qv
