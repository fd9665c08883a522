// The tab control class: tabs with text and images in one row (or several
// with TCS_MULTILINE), selection by mouse and arrow keys announced with
// TCN_SELCHANGING (which may refuse) and TCN_SELCHANGE, and the display
// area below the tabs (TCM_ADJUSTRECT).
#include <algorithm>
#include <vector>

#include "platform/comctl/ToolBarState.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"

namespace qv {
namespace {

struct Tab {
  std::u16string text;
  int image = -1;
  LPARAM data = 0;
  RECT rect;
};

struct TabControl {
  static constexpr const char16_t* kProp = u"QvTabControl";
  HWND hwnd = nullptr;
  std::vector<Tab> tabs;
  int current = -1;
  int focusTab = -1;
  bool focused = false;
  HIMAGELIST images = nullptr;
  int tabHeight = 0, rows = 1;

  DWORD Style() const { return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)); }

  void Layout() {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, ctl::ControlFont(hwnd));
    int ix = 0, iy = 0;
    if (images) ImageList_GetIconSize(images, &ix, &iy);
    // The room around text and images grows with them on a denser screen.
    tabHeight = std::max(int(bars::TextSize(dc, u"").cy) + ScaleToScreen(6), iy + ScaleToScreen(4));
    RECT client;
    GetClientRect(hwnd, &client);
    int x = 2, y = 2;
    rows = 1;
    for (auto& t : tabs) {
      int w = int(bars::TextSize(dc, t.text).cx) + ScaleToScreen(12);
      if (t.image >= 0 && images) w += ix + ScaleToScreen(4);
      if ((Style() & TCS_MULTILINE) && x > 2 && x + w > client.right - 2) {
        x = 2;
        y += tabHeight;
        ++rows;
      }
      t.rect = RECT{x, y, x + w, y + tabHeight};
      x += w;
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    InvalidateRect(hwnd, nullptr, TRUE);
  }

  int TabsBottom() const { return 2 + rows * tabHeight; }

  RECT DisplayRect() const {
    RECT r;
    GetClientRect(hwnd, &r);
    return RECT{r.left + 4, TabsBottom() + 4, std::max(r.left + 4, r.right - 4),
                std::max(TabsBottom() + 4, r.bottom - 4)};
  }

  int HitTest(POINT p) const {
    for (size_t i = 0; i < tabs.size(); ++i) {
      RECT r = tabs[i].rect;
      if (int(i) == current) InflateRect(&r, 2, 2);
      if (PtInRect(&r, p)) return int(i);
    }
    return -1;
  }

  // Asks the parent, then selects; false when the parent refused.
  bool Select(int index) {
    if (index < 0 || size_t(index) >= tabs.size() || index == current) return false;
    HWND self = hwnd;
    if (comctl::SimpleNotify(self, TCN_SELCHANGING) != 0 || !IsWindow(self)) return false;
    current = focusTab = index;
    InvalidateRect(hwnd, nullptr, TRUE);
    comctl::SimpleNotify(self, TCN_SELCHANGE);
    return true;
  }

  void PaintTab(HDC dc, int index) {
    const Tab& t = tabs[size_t(index)];
    RECT r = t.rect;
    bool selected = index == current;
    if (selected) {
      InflateRect(&r, 2, 0);
      r.top -= 2;
      r.bottom += 1;
      bars::FillSolid(dc, r, GetSysColor(COLOR_BTNFACE));
    }
    RECT frame = r;
    DrawEdge(dc, &frame, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT | BF_SOFT);
    RECT content = r;
    InflateRect(&content, -ScaleToScreen(6), 0);
    if (t.image >= 0 && images) {
      int ix = 0, iy = 0;
      ImageList_GetIconSize(images, &ix, &iy);
      ImageList_Draw(images, t.image, dc, content.left, content.top + (content.Height() - iy) / 2,
                     ILD_TRANSPARENT);
      content.left += ix + ScaleToScreen(4);
    }
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    ctl::DrawControlText(dc, t.text, content, DT_SINGLELINE | DT_VCENTER | DT_LEFT, IsWindowEnabled(hwnd));
    if (selected && focused) {
      RECT f = r;
      InflateRect(&f, -2, -2);  // around the image and caption, not across them
      DrawFocusRect(dc, &f);
    }
  }

  void Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    bars::FillSolid(dc, client, GetSysColor(COLOR_BTNFACE));
    HGDIOBJ old = SelectObject(dc, ctl::ControlFont(hwnd));
    if (!(Style() & TCS_BUTTONS)) {
      RECT body{client.left, TabsBottom(), client.right, client.bottom};
      DrawEdge(dc, &body, EDGE_RAISED, BF_RECT | BF_SOFT);
    }
    for (size_t i = 0; i < tabs.size(); ++i)
      if (int(i) != current) PaintTab(dc, int(i));
    if (current >= 0) PaintTab(dc, current);  // drawn last: it overlaps its neighbours
    SelectObject(dc, old);
  }

  LRESULT SetItem(WPARAM index, const TCITEMW* in, bool insert) {
    if (!in) return -1;
    if (insert) {
      index = std::min(size_t(index), tabs.size());
      tabs.insert(tabs.begin() + long(index), Tab{});
      if (current >= int(index)) ++current;
      if (current < 0) current = 0;
    } else if (index >= tabs.size()) {
      return FALSE;
    }
    Tab& t = tabs[index];
    if ((in->mask & TCIF_TEXT) && in->pszText) t.text = in->pszText;
    if (in->mask & TCIF_IMAGE) t.image = in->iImage;
    if (in->mask & TCIF_PARAM) t.data = in->lParam;
    Layout();
    return insert ? LRESULT(index) : TRUE;
  }

  LRESULT Message(UINT msg, WPARAM w, LPARAM l) {
    LRESULT common = bars::CommonMessage(*this, msg, w, l);
    if (common != -1) {
      if (msg == WM_SETFONT) Layout();
      return common;
    }
    switch (msg) {
      case TCM_INSERTITEMW:
        return SetItem(w, reinterpret_cast<const TCITEMW*>(l), true);
      case TCM_SETITEMW:
        return SetItem(w, reinterpret_cast<const TCITEMW*>(l), false);
      case TCM_GETITEMW: {
        auto* out = reinterpret_cast<TCITEMW*>(l);
        if (!out || w >= tabs.size()) return FALSE;
        const Tab& t = tabs[w];
        if ((out->mask & TCIF_TEXT) && out->buffer && out->cchTextMax > 0) {
          size_t n = std::min(t.text.size(), size_t(out->cchTextMax - 1));
          std::copy_n(t.text.begin(), n, out->buffer);
          out->buffer[n] = 0;
        }
        out->iImage = t.image;
        out->lParam = t.data;
        return TRUE;
      }
      case TCM_DELETEITEM:
        if (w >= tabs.size()) return FALSE;
        tabs.erase(tabs.begin() + long(w));
        if (current >= int(tabs.size()) || current > int(w)) --current;
        if (current < 0 && !tabs.empty()) current = 0;
        focusTab = current;
        Layout();
        return TRUE;
      case TCM_DELETEALLITEMS:
        tabs.clear();
        current = focusTab = -1;
        Layout();
        return TRUE;
      case TCM_GETITEMCOUNT:
        return LRESULT(tabs.size());
      case TCM_GETCURSEL:
        return current;
      case TCM_SETCURSEL: {
        int old = current;
        if (int(w) < 0 || w >= tabs.size()) return -1;
        current = focusTab = int(w);
        InvalidateRect(hwnd, nullptr, TRUE);
        return old;
      }
      case TCM_GETCURFOCUS:
        return focusTab;
      case TCM_SETCURFOCUS:
        Select(int(w));
        return 0;
      case TCM_GETITEMRECT:
        if (w >= tabs.size() || !l) return FALSE;
        *reinterpret_cast<RECT*>(l) = tabs[w].rect;
        return TRUE;
      case TCM_HITTEST: {
        auto* info = reinterpret_cast<TCHITTESTINFO*>(l);
        if (!info) return -1;
        int i = HitTest(info->pt);
        info->flags = i < 0 ? TCHT_NOWHERE : TCHT_ONITEM;
        return i;
      }
      case TCM_ADJUSTRECT: {
        auto* r = reinterpret_cast<RECT*>(l);
        if (!r) return 0;
        RECT c;
        GetClientRect(hwnd, &c);
        RECT d = DisplayRect();
        if (w) {  // display rectangle -> window rectangle
          r->left -= d.left;
          r->top -= d.top;
          r->right += c.right - d.right;
          r->bottom += c.bottom - d.bottom;
        } else {
          r->left += d.left;
          r->top += d.top;
          r->right -= c.right - d.right;
          r->bottom -= c.bottom - d.bottom;
        }
        return 0;
      }
      case TCM_GETROWCOUNT:
        return rows;
      case TCM_SETIMAGELIST: {
        HIMAGELIST old = images;
        images = reinterpret_cast<HIMAGELIST>(l);
        Layout();
        return LRESULT(old);
      }
      case TCM_GETIMAGELIST:
        return LRESULT(images);
      case WM_SIZE:
      case WM_STYLECHANGED:
        Layout();
        return 0;
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        focused = msg == WM_SETFOCUS;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
      case WM_LBUTTONDOWN: {
        int i = HitTest(POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        if (i < 0) return 0;
        HWND self = hwnd;
        if (!(Style() & TCS_FOCUSNEVER) && GetFocus() != hwnd) SetFocus(hwnd);
        if (IsWindow(self)) Select(i);
        return 0;
      }
      case WM_KEYDOWN:
        if (w == VK_LEFT || w == VK_RIGHT) {
          int next = current + (w == VK_LEFT ? -1 : 1);
          if (next >= 0 && size_t(next) < tabs.size()) Select(next);
          return 0;
        }
        break;
    }
    return DefWindowProcW(hwnd, msg, w, l);
  }
};

}  // namespace

LRESULT TabControlProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return bars::StateProc<TabControl>(h, m, w, l);
}

}  // namespace qv
