// The STATIC window class: text (aligned, wrapped or simple, with ellipses
// and mnemonics), icons and bitmaps, filled and framed rectangles, etched
// lines and frames, the sunken edge, owner drawing and STN_* notifications.
#include <algorithm>

#include "platform/controls/ControlClass.h"
#include "platform/controls/ControlPaint.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/SystemColors.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/OwnerDraw.h"
#include "platform/window/Paint.h"

namespace qv {
namespace statics {
namespace {

constexpr const char16_t* kImageProp = u"QvStaticImage";

HGDIOBJ Image(HWND hwnd) {
  return static_cast<HGDIOBJ>(GetPropW(hwnd, kImageProp));
}

SIZE ImageSize(HGDIOBJ image, bool icon) {
  if (icon) {
    ICONINFO ii{};
    SIZE s{32, 32};
    if (GetIconInfo(reinterpret_cast<HICON>(image), &ii)) {
      BITMAP bm{};
      if (ii.hbmColor && GetObjectW(ii.hbmColor, sizeof bm, &bm)) s = SIZE{bm.bmWidth, bm.bmHeight};
      if (ii.hbmColor) DeleteObject(ii.hbmColor);
      if (ii.hbmMask) DeleteObject(ii.hbmMask);
    }
    return s;
  }
  BITMAP bm{};
  GetObjectW(image, sizeof bm, &bm);
  return SIZE{bm.bmWidth, bm.bmHeight};
}

void DrawImage(HWND hwnd, HDC dc, RECT r, bool icon, DWORD style) {
  HGDIOBJ image = Image(hwnd);
  if (!image) return;
  SIZE s = ImageSize(image, icon);
  int x = r.left, y = r.top;
  if (style & SS_CENTERIMAGE) x = (r.left + r.right - s.cx) / 2, y = (r.top + r.bottom - s.cy) / 2;
  if (icon) {
    DrawIconEx(dc, x, y, reinterpret_cast<HICON>(image), s.cx, s.cy, 0, nullptr, DI_NORMAL);
    return;
  }
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, image);
  BitBlt(dc, x, y, s.cx, s.cy, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

void DrawTextStatic(HWND hwnd, HDC dc, RECT r, DWORD style, DWORD type) {
  UINT format = DT_EXPANDTABS;
  if (type == SS_CENTER) format |= DT_CENTER;
  if (type == SS_RIGHT) format |= DT_RIGHT;
  if (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP)
    format |= DT_SINGLELINE;
  else
    format |= DT_WORDBREAK;
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  if (style & SS_CENTERIMAGE) format |= DT_SINGLELINE | DT_VCENTER;
  switch (style & SS_WORDELLIPSIS) {
    case SS_ENDELLIPSIS:
      format |= DT_END_ELLIPSIS;
      break;
    case SS_PATHELLIPSIS:
      format |= DT_PATH_ELLIPSIS;
      break;
    case SS_WORDELLIPSIS:
      format |= DT_WORD_ELLIPSIS;
      break;
  }
  ctl::DrawControlText(dc, ctl::WindowText(hwnd), r, format, IsWindowEnabled(hwnd));
}

void Paint(HWND hwnd, HDC dc) {
  DWORD style = DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE));
  DWORD type = style & SS_TYPEMASK;
  RECT r;
  GetClientRect(hwnd, &r);
  int saved = SaveDC(dc);
  SelectObject(dc, ctl::ControlFont(hwnd));
  HBRUSH brush = ctl::ParentColours(hwnd, dc, WM_CTLCOLORSTATIC, COLOR_BTNFACE);
  switch (type) {
    case SS_OWNERDRAW: {
      DRAWITEMSTRUCT dis;
      dis.CtlType = ODT_STATIC;
      dis.CtlID = UINT(GetWindowLongPtrW(hwnd, GWLP_ID));
      dis.itemAction = ODA_DRAWENTIRE;
      dis.itemState = IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED;
      dis.hwndItem = hwnd, dis.hDC = dc, dis.rcItem = r;
      if (HWND parent = GetParent(hwnd)) SendMessageW(parent, WM_DRAWITEM, dis.CtlID, LPARAM(&dis));
      break;
    }
    case SS_BLACKRECT:
    case SS_GRAYRECT:
    case SS_WHITERECT:
      FillRect(dc, &r,
               ctl::SysBrush(type == SS_BLACKRECT  ? COLOR_WINDOWFRAME
                             : type == SS_GRAYRECT ? COLOR_BTNSHADOW
                                                   : COLOR_WINDOW));
      break;
    case SS_BLACKFRAME:
    case SS_GRAYFRAME:
    case SS_WHITEFRAME:
      FillRect(dc, &r, brush);
      FrameRect(dc, &r,
                ctl::SysBrush(type == SS_BLACKFRAME  ? COLOR_WINDOWFRAME
                              : type == SS_GRAYFRAME ? COLOR_BTNSHADOW
                                                     : COLOR_WINDOW));
      break;
    case SS_ETCHEDHORZ:
    case SS_ETCHEDVERT:
    case SS_ETCHEDFRAME: {
      FillRect(dc, &r, brush);
      RECT e = r;
      DrawEdge(dc, &e, EDGE_ETCHED,
               type == SS_ETCHEDHORZ   ? BF_TOP
               : type == SS_ETCHEDVERT ? BF_LEFT
                                       : BF_RECT);
      break;
    }
    case SS_ICON:
    case SS_BITMAP:
      FillRect(dc, &r, brush);
      DrawImage(hwnd, dc, r, type == SS_ICON, style);
      break;
    default:
      FillRect(dc, &r, brush);
      DrawTextStatic(hwnd, dc, r, style, type);
  }
  if (style & SS_SUNKEN) {
    RECT e = r;
    DrawEdge(dc, &e, BDR_SUNKENOUTER, BF_RECT);
  }
  RestoreDC(dc, saved);
}

LRESULT SetImage(HWND hwnd, HGDIOBJ image) {
  HGDIOBJ old = Image(hwnd);
  SetPropW(hwnd, kImageProp, image);
  InvalidateRect(hwnd, nullptr, TRUE);
  return LRESULT(old);
}

LRESULT StaticWindowProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (auto r = ctl::PaintMessage(hwnd, msg, w, [hwnd](HDC dc) { Paint(hwnd, dc); })) return *r;
  if (auto r = ctl::TextControlMessage(hwnd, msg, w, l)) return *r;
  DWORD style = DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE));
  switch (msg) {
    case WM_NCHITTEST:
      // A static takes the mouse only when it notifies its parent.
      return (style & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_LBUTTONDOWN:
      if (style & SS_NOTIFY) ctl::NotifyParent(hwnd, STN_CLICKED);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (style & SS_NOTIFY) ctl::NotifyParent(hwnd, STN_DBLCLK);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case STM_SETICON:
      return SetImage(hwnd, reinterpret_cast<HGDIOBJ>(w));
    case STM_GETICON:
      return LRESULT(Image(hwnd));
    case STM_SETIMAGE:
      return SetImage(hwnd, reinterpret_cast<HGDIOBJ>(l));
    case STM_GETIMAGE:
      return LRESULT(Image(hwnd));
    case WM_NCDESTROY:
      RemovePropW(hwnd, kImageProp);
      ctl::ForgetControlFont(hwnd);
      break;
  }
  return DefWindowProcW(hwnd, msg, w, l);
}

}  // namespace
}  // namespace statics

void RegisterStaticClass() {
  ctl::RegisterControlClass(
      {.name = u"STATIC", .proc = statics::StaticWindowProc, .style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW});
}

}  // namespace qv
