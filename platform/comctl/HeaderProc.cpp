// The header window class: items and their order, hit testing, divider
// tracking, caption dragging, clicks, and painting with custom draw.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/comctl/Header.h"
#include "platform/controls/ControlClass.h"
#include "platform/controls/ControlPaint.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/gdi/SystemColors.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv {
namespace header {
namespace {

constexpr int kDivider = 4;  // half the width of a divider's grip

struct Column {
  std::u16string text;
  int width = 50;
  int fmt = HDF_LEFT | HDF_STRING;
  LPARAM param = 0;
  int image = -1;
};

struct HeaderState {
  HWND hwnd = nullptr;
  std::vector<Column> items;
  std::vector<int> order;  // order[position] = item index
  HIMAGELIST images = nullptr;
  HFONT font = nullptr;
  int hot = -1;
  int pressed = -1;
  bool pressedInside = false;
  int tracking = -1;  // the item whose divider is dragged
  int trackStartX = 0, trackStartWidth = 0;
  bool dragging = false;
  POINT downPoint;
  int dragX = 0;
  bool mouseTracked = false;

  DWORD Style() const { return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
  int Count() const { return int(items.size()); }
};

HeaderState* Get(HWND hwnd) {
  // The state lives in the window's extra bytes: found without a name lookup.
  return reinterpret_cast<HeaderState*>(GetWindowLongPtrW(hwnd, 0));
}

RECT ItemRect(HeaderState& s, int index) {
  RECT client;
  GetClientRect(s.hwnd, &client);
  int x = 0;
  for (int item : s.order) {
    if (item == index) return RECT{x, 0, x + s.items[size_t(item)].width, client.bottom};
    x += s.items[size_t(item)].width;
  }
  return RECT{};
}

int PositionOf(HeaderState& s, int index) {
  auto it = std::find(s.order.begin(), s.order.end(), index);
  return it == s.order.end() ? -1 : int(it - s.order.begin());
}

UINT HitTest(HeaderState& s, POINT p, int* item) {
  *item = -1;
  RECT client;
  GetClientRect(s.hwnd, &client);
  UINT flags = 0;
  if (p.y < 0) flags |= HHT_ABOVE;
  if (p.y >= client.bottom) flags |= HHT_BELOW;
  if (p.x < 0) flags |= HHT_TOLEFT;
  if (p.x >= client.right) flags |= HHT_TORIGHT;
  if (flags) return flags;
  // Dividers first, from the right, so a zero-width item's divider is found.
  int x = 0;
  std::vector<int> rights;
  for (int i : s.order) rights.push_back(x += s.items[size_t(i)].width);
  for (int pos = int(s.order.size()) - 1; pos >= 0; --pos) {
    int right = rights[size_t(pos)];
    if (p.x >= right - kDivider && p.x < right + kDivider) {
      int index = s.order[size_t(pos)];
      // The divider of a hidden (zero-width) item lies right of the visible one.
      if (s.items[size_t(index)].width == 0 && p.x >= right) {
        *item = index;
        return HHT_ONDIVOPEN;
      }
      if (s.items[size_t(index)].width == 0) continue;
      *item = index;
      return HHT_ONDIVIDER;
    }
  }
  x = 0;
  for (int i : s.order) {
    int w = s.items[size_t(i)].width;
    if (p.x >= x && p.x < x + w) {
      *item = i;
      return HHT_ONHEADER;
    }
    x += w;
  }
  return HHT_NOWHERE;
}

LRESULT Notify(HeaderState& s, UINT code, int item, HDITEMW* pitem = nullptr, int button = 0) {
  NMHEADERW nm;
  nm.iItem = item;
  nm.iButton = button;
  nm.pitem = pitem;
  return comctl::Notify(s.hwnd, nm.hdr, code);
}

void FillItem(HeaderState& s, int index, HDITEMW& out) {
  const Column& c = s.items[size_t(index)];
  if (out.mask & HDI_WIDTH) out.cxy = c.width;
  if (out.mask & HDI_TEXT) comctl::CopyText(c.text, out.pszText, out.cchTextMax);
  if (out.mask & HDI_FORMAT) out.fmt = c.fmt;
  if (out.mask & HDI_LPARAM) out.lParam = c.param;
  if (out.mask & HDI_IMAGE) out.iImage = c.image;
  if (out.mask & HDI_ORDER) out.iOrder = PositionOf(s, index);
}

void MoveToPosition(HeaderState& s, int index, int position) {
  auto it = std::find(s.order.begin(), s.order.end(), index);
  if (it == s.order.end()) return;
  s.order.erase(it);
  position = std::clamp(position, 0, int(s.order.size()));
  s.order.insert(s.order.begin() + position, index);
}

// Applies an item record; HDN_ITEMCHANGING may refuse it when `notify`.
bool ApplyItem(HeaderState& s, int index, const HDITEMW& in, bool notify) {
  HDITEMW copy = in;
  HWND hwnd = s.hwnd;
  if (notify && Notify(s, HDN_ITEMCHANGINGW, index, &copy) != 0) return false;
  if (!IsWindow(hwnd) || index >= s.Count()) return false;
  Column& c = s.items[size_t(index)];
  if (in.mask & HDI_WIDTH) c.width = std::max(0, in.cxy);
  if (in.mask & HDI_TEXT) c.text = in.pszText && in.pszText != LPSTR_TEXTCALLBACKW ? in.pszText : u"";
  if (in.mask & HDI_FORMAT) c.fmt = in.fmt;
  if (in.mask & HDI_LPARAM) c.param = in.lParam;
  if (in.mask & HDI_IMAGE) c.image = in.iImage;
  if (in.mask & HDI_ORDER) MoveToPosition(s, index, in.iOrder);
  InvalidateRect(hwnd, nullptr, TRUE);
  if (notify) Notify(s, HDN_ITEMCHANGEDW, index, &copy);
  return true;
}

LRESULT InsertItem(HeaderState& s, int index, const HDITEMW* in) {
  if (!in) return -1;
  index = std::clamp(index, 0, s.Count());
  s.items.insert(s.items.begin() + index, Column{});
  for (int& o : s.order)
    if (o >= index) ++o;
  s.order.push_back(index);
  HDITEMW copy = *in;
  if (!(copy.mask & HDI_ORDER)) copy.iOrder = index, copy.mask |= HDI_ORDER;
  ApplyItem(s, index, copy, false);
  return index;
}

LRESULT DeleteItem(HeaderState& s, int index) {
  if (index < 0 || index >= s.Count()) return FALSE;
  s.items.erase(s.items.begin() + index);
  s.order.erase(std::find(s.order.begin(), s.order.end(), index));
  for (int& o : s.order)
    if (o > index) --o;
  if (s.hot >= s.Count()) s.hot = -1;
  s.pressed = s.tracking = -1;
  InvalidateRect(s.hwnd, nullptr, TRUE);
  return TRUE;
}

int HeaderHeight(HeaderState& s) {
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, s.font ? s.font : ctl::ControlFont(s.hwnd));
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  DeleteDC(dc);
  return tm.tmHeight + 6;
}

void PaintArrow(HDC dc, const RECT& r, bool up) {
  int cx = r.right - 10, cy = (r.top + r.bottom) / 2;
  COLORREF c = GetSysColor(COLOR_BTNSHADOW);
  for (int i = 0; i < 4; ++i) {
    int y = up ? cy - 2 + i : cy + 1 - i;
    for (int x = cx - i; x <= cx + i; ++x) SetPixelV(dc, x, y, c);
  }
}

void PaintItem(HeaderState& s, HDC dc, int index, RECT r) {
  const Column& c = s.items[size_t(index)];
  bool down = index == s.pressed && s.pressedInside && !s.dragging && (s.Style() & HDS_BUTTONS);
  FillRect(dc, &r, reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1)));
  RECT edge = r;
  DrawEdge(dc, &edge, down ? BDR_SUNKENOUTER : EDGE_RAISED, BF_RECT | (down ? BF_FLAT : 0));
  RECT text = r;
  InflateRect(&text, -6, 0);
  if (down) OffsetRect(&text, 1, 1);
  if ((c.fmt & HDF_IMAGE) && s.images && c.image >= 0) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(s.images, &cx, &cy);
    ImageList_Draw(s.images, c.image, dc, text.left, (r.top + r.bottom - cy) / 2 + (down ? 1 : 0),
                   ILD_TRANSPARENT);
    text.left += cx + 4;
  }
  if (c.fmt & (HDF_SORTUP | HDF_SORTDOWN)) {
    PaintArrow(dc, r, c.fmt & HDF_SORTUP);
    text.right -= 14;
  }
  UINT align = (c.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT    ? DT_RIGHT
               : (c.fmt & HDF_JUSTIFYMASK) == HDF_CENTER ? DT_CENTER
                                                         : DT_LEFT;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(s.hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawTextW(dc, c.text.data(), int(c.text.size()), &text,
            align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void Paint(HeaderState& s, HDC dc) {
  HWND hwnd = s.hwnd;
  RECT client;
  GetClientRect(hwnd, &client);
  SelectObject(dc, s.font ? s.font : ctl::ControlFont(hwnd));
  NMCUSTOMDRAW cd;
  cd.dwDrawStage = CDDS_PREPAINT;
  cd.hdc = dc;
  cd.rc = client;
  LRESULT answer = comctl::Notify(hwnd, cd.hdr, NM_CUSTOMDRAW);
  if (!IsWindow(hwnd) || (answer & CDRF_SKIPDEFAULT)) return;
  int x = 0;
  std::vector<int> order = s.order;
  for (int index : order) {
    if (index >= s.Count()) break;
    RECT r{x, 0, x + s.items[size_t(index)].width, client.bottom};
    x = r.right;
    if (r.right <= r.left) continue;
    LRESULT itemAnswer = CDRF_DODEFAULT;
    if (answer & CDRF_NOTIFYITEMDRAW) {
      cd.dwDrawStage = CDDS_ITEMPREPAINT;
      cd.rc = r;
      cd.dwItemSpec = uintptr_t(index);
      cd.lItemlParam = s.items[size_t(index)].param;
      cd.uItemState = (index == s.pressed ? CDIS_SELECTED : 0) | (index == s.hot ? CDIS_HOT : 0);
      itemAnswer = comctl::Notify(hwnd, cd.hdr, NM_CUSTOMDRAW);
      if (!IsWindow(hwnd) || index >= s.Count()) return;
    }
    if (!(itemAnswer & CDRF_SKIPDEFAULT)) PaintItem(s, dc, index, r);
    if (itemAnswer & CDRF_NOTIFYPOSTPAINT) {
      cd.dwDrawStage = CDDS_ITEMPOSTPAINT;
      comctl::Notify(hwnd, cd.hdr, NM_CUSTOMDRAW);
      if (!IsWindow(hwnd)) return;
    }
  }
  // The empty area right of the last item.
  if (x < client.right) {
    RECT rest{x, 0, client.right, client.bottom};
    FillRect(dc, &rest, reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1)));
    DrawEdge(dc, &rest, EDGE_RAISED, BF_RECT);
  }
  if (s.dragging) {
    // Where the dragged caption would land.
    RECT mark{s.dragX - 1, 0, s.dragX + 1, client.bottom};
    FillRect(dc, &mark, reinterpret_cast<HBRUSH>(uintptr_t(COLOR_HIGHLIGHT + 1)));
  }
  if (answer & CDRF_NOTIFYPOSTPAINT) {
    cd.dwDrawStage = CDDS_POSTPAINT;
    cd.rc = client;
    comctl::Notify(hwnd, cd.hdr, NM_CUSTOMDRAW);
  }
}

// The order position a caption dropped at x takes.
int DropPosition(HeaderState& s, int x) {
  int left = 0, pos = 0;
  for (int index : s.order) {
    int w = s.items[size_t(index)].width;
    if (x < left + w / 2) return pos;
    left += w;
    ++pos;
  }
  return int(s.order.size()) - 1;
}

int DropMarkX(HeaderState& s, int x) {
  int pos = DropPosition(s, x), left = 0;
  for (int i = 0; i < pos; ++i) left += s.items[size_t(s.order[size_t(i)])].width;
  return left;
}

void TrackTo(HeaderState& s, int x) {
  int index = s.tracking;
  HDITEMW it;
  it.mask = HDI_WIDTH;
  it.cxy = std::max(0, s.trackStartWidth + x - s.trackStartX);
  HWND hwnd = s.hwnd;
  if (Notify(s, HDN_TRACKW, index, &it) != 0 || !IsWindow(hwnd) || s.tracking != index) return;
  if (it.cxy != s.items[size_t(index)].width) ApplyItem(s, index, it, true);
}

void EndTrack(HeaderState& s, bool cancel) {
  int index = s.tracking;
  s.tracking = -1;
  if (GetCapture() == s.hwnd) ReleaseCapture();
  if (index < 0 || index >= s.Count()) return;
  HDITEMW it;
  it.mask = HDI_WIDTH;
  if (cancel) {
    it.cxy = s.trackStartWidth;
    ApplyItem(s, index, it, true);
    if (!IsWindow(s.hwnd)) return;
  }
  it.cxy = s.items[size_t(index)].width;
  Notify(s, HDN_ENDTRACKW, index, &it);
}

void LeftDown(HeaderState& s, POINT p, bool dbl) {
  int item = -1;
  UINT where = HitTest(s, p, &item);
  if (where & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) {
    if (dbl) {
      Notify(s, HDN_DIVIDERDBLCLICKW, item);
      return;
    }
    HDITEMW it;
    it.mask = HDI_WIDTH;
    it.cxy = s.items[size_t(item)].width;
    if (Notify(s, HDN_BEGINTRACKW, item, &it) != 0 || !IsWindow(s.hwnd)) return;
    s.tracking = item;
    s.trackStartX = p.x;
    s.trackStartWidth = s.items[size_t(item)].width;
    SetCapture(s.hwnd);
    return;
  }
  if (!(where & HHT_ONHEADER)) return;
  if (dbl) {
    Notify(s, HDN_ITEMDBLCLICKW, item);
    return;
  }
  s.pressed = item;
  s.pressedInside = true;
  s.downPoint = p;
  s.dragging = false;
  SetCapture(s.hwnd);
  InvalidateRect(s.hwnd, nullptr, TRUE);
}

void MouseMove(HeaderState& s, POINT p) {
  if (s.tracking >= 0) return TrackTo(s, p.x);
  if (s.pressed >= 0) {
    int item = -1;
    UINT where = HitTest(s, p, &item);
    bool inside = (where & HHT_ONHEADER) && item == s.pressed;
    if (!s.dragging && (s.Style() & HDS_DRAGDROP) &&
        std::abs(p.x - s.downPoint.x) > GetSystemMetrics(SM_CXDRAG)) {
      HWND hwnd = s.hwnd;
      if (Notify(s, HDN_BEGINDRAG, s.pressed) == 0 && IsWindow(hwnd) && s.pressed >= 0) s.dragging = true;
      if (!IsWindow(hwnd)) return;
    }
    if (s.dragging) s.dragX = DropMarkX(s, p.x);
    if (inside != s.pressedInside || s.dragging) {
      s.pressedInside = inside;
      InvalidateRect(s.hwnd, nullptr, TRUE);
    }
    return;
  }
  if (s.Style() & HDS_HOTTRACK) {
    int item = -1;
    UINT where = HitTest(s, p, &item);
    int hot = (where & HHT_ONHEADER) ? item : -1;
    if (hot != s.hot) {
      s.hot = hot;
      InvalidateRect(s.hwnd, nullptr, TRUE);
    }
    if (!s.mouseTracked) {
      TRACKMOUSEEVENT tme;
      tme.dwFlags = TME_LEAVE;
      tme.hwndTrack = s.hwnd;
      s.mouseTracked = TrackMouseEvent(&tme);
    }
  }
}

void LeftUp(HeaderState& s, POINT p) {
  HWND hwnd = s.hwnd;
  if (s.tracking >= 0) return EndTrack(s, false);
  int item = s.pressed;
  if (item < 0) return;
  bool dragged = s.dragging, inside = s.pressedInside;
  s.pressed = -1;
  s.dragging = false;
  if (GetCapture() == hwnd) ReleaseCapture();
  InvalidateRect(hwnd, nullptr, TRUE);
  if (dragged) {
    HDITEMW it;
    it.mask = HDI_ORDER;
    it.iOrder = DropPosition(s, p.x);
    if (Notify(s, HDN_ENDDRAG, item, &it) == 0 && IsWindow(hwnd) && item < s.Count()) {
      MoveToPosition(s, item, it.iOrder);
      InvalidateRect(hwnd, nullptr, TRUE);
    }
    return;
  }
  if (inside && (s.Style() & HDS_BUTTONS)) Notify(s, HDN_ITEMCLICKW, item);
}

LRESULT HeaderMessage(HeaderState& s, HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case HDM_GETITEMCOUNT:
      return s.Count();
    case HDM_INSERTITEMW:
      return InsertItem(s, int(w), reinterpret_cast<const HDITEMW*>(l));
    case HDM_DELETEITEM:
      return DeleteItem(s, int(w));
    case HDM_GETITEMW: {
      auto* it = reinterpret_cast<HDITEMW*>(l);
      if (!it || int(w) < 0 || int(w) >= s.Count()) return FALSE;
      FillItem(s, int(w), *it);
      return TRUE;
    }
    case HDM_SETITEMW: {
      auto* it = reinterpret_cast<const HDITEMW*>(l);
      if (!it || int(w) < 0 || int(w) >= s.Count()) return FALSE;
      return ApplyItem(s, int(w), *it, true);
    }
    case HDM_LAYOUT: {
      auto* layout = reinterpret_cast<HDLAYOUT*>(l);
      if (!layout || !layout->prc || !layout->pwpos) return FALSE;
      int h = (s.Style() & HDS_HIDDEN) ? 0 : HeaderHeight(s);
      RECT* r = layout->prc;
      *layout->pwpos = WINDOWPOS{hwnd, nullptr, r->left, r->top, r->right - r->left, h, SWP_NOZORDER};
      r->top += h;
      return TRUE;
    }
    case HDM_HITTEST: {
      auto* info = reinterpret_cast<HDHITTESTINFO*>(l);
      if (!info) return -1;
      info->flags = HitTest(s, info->pt, &info->iItem);
      return info->iItem;
    }
    case HDM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(l);
      if (!r || int(w) < 0 || int(w) >= s.Count()) return FALSE;
      *r = ItemRect(s, int(w));
      return TRUE;
    }
    case HDM_SETIMAGELIST: {
      HIMAGELIST old = s.images;
      s.images = reinterpret_cast<HIMAGELIST>(l);
      InvalidateRect(hwnd, nullptr, TRUE);
      return LRESULT(old);
    }
    case HDM_GETIMAGELIST:
      return LRESULT(s.images);
    case HDM_ORDERTOINDEX:
      return int(w) >= 0 && int(w) < s.Count() ? s.order[w] : int(w);
    case HDM_GETORDERARRAY: {
      auto* out = reinterpret_cast<int*>(l);
      if (!out || int(w) != s.Count()) return FALSE;
      std::copy(s.order.begin(), s.order.end(), out);
      return TRUE;
    }
    case HDM_SETORDERARRAY: {
      auto* in = reinterpret_cast<const int*>(l);
      if (!in || int(w) != s.Count()) return FALSE;
      std::vector<int> order(in, in + w), check = order;
      std::sort(check.begin(), check.end());
      for (int i = 0; i < s.Count(); ++i)
        if (check[size_t(i)] != i) return FALSE;  // not a permutation
      s.order = order;
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
  }
  return 0;
}

LRESULT WindowMessage(HeaderState& s, HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = w ? reinterpret_cast<HDC>(w) : BeginPaint(hwnd, &ps);
      Paint(s, dc);
      if (!w && IsWindow(hwnd)) EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(s, reinterpret_cast<HDC>(w));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      s.font = reinterpret_cast<HFONT>(w);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return LRESULT(s.font);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      LeftDown(s, p, msg == WM_LBUTTONDBLCLK);
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(s, p);
      return 0;
    case WM_LBUTTONUP:
      LeftUp(s, p);
      return 0;
    case WM_MOUSELEAVE:
      s.mouseTracked = false;
      if (s.hot >= 0) {
        s.hot = -1;
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    case WM_RBUTTONUP:
      comctl::SimpleNotify(hwnd, NM_RCLICK);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(l) != hwnd) {
        if (s.tracking >= 0) EndTrack(s, false);
        if (IsWindow(hwnd) && s.pressed >= 0) {
          s.pressed = -1;
          s.dragging = false;
          InvalidateRect(hwnd, nullptr, TRUE);
        }
      }
      return 0;
    case WM_KEYDOWN:
      if (w == VK_ESCAPE && s.tracking >= 0) EndTrack(s, true);
      return 0;
    case WM_SETCURSOR: {
      POINT c;
      GetCursorPos(&c);
      ScreenToClient(hwnd, &c);
      int item = -1;
      UINT where = s.tracking >= 0 ? HHT_ONDIVIDER : HitTest(s, c, &item);
      if (where & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) {
        SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        return TRUE;
      }
      break;
    }
  }
  if (msg >= HDM_FIRST && msg < HDM_FIRST + 0x100) return HeaderMessage(s, hwnd, msg, w, l);
  return DefWindowProcW(hwnd, msg, w, l);
}

LRESULT HeaderWindowProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_CREATE) {
    auto* s = new HeaderState;
    s->hwnd = hwnd;
    SetWindowLongPtrW(hwnd, 0, LONG_PTR(s));
    return 0;
  }
  if (msg == WM_NCDESTROY) {
    delete Get(hwnd);
    SetWindowLongPtrW(hwnd, 0, 0);
    return DefWindowProcW(hwnd, msg, w, l);
  }
  HeaderState* s = Get(hwnd);
  if (!s) return DefWindowProcW(hwnd, msg, w, l);
  return WindowMessage(*s, hwnd, msg, w, l);
}

}  // namespace
}  // namespace header

void RegisterHeaderClass() {
  ctl::RegisterControlClass({.name = WC_HEADER, .proc = header::HeaderWindowProc, .wndExtra = sizeof(void*)});
}

}  // namespace qv
