// Top-level windows as X windows: creation with the hints the desktop's window
// manager reads, showing, moving and stacking, window regions as shapes, and
// putting painted pixels on screen.
#include <X11/Xatom.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstdlib>

#include "platform/Utf.h"
#include "platform/backend/X11Backend.h"
#include "platform/backend/X11Connection.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Region.h"
#include "platform/window/BackendInput.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"

namespace qv {
namespace x11 {
namespace {

constexpr long kEventMask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask |
                            ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                            LeaveWindowMask | FocusChangeMask | PropertyChangeMask;

// Menus, hints and drop-downs: short-lived windows that the desktop's window
// manager must neither decorate nor place nor focus. A captioned popup is a
// dialog, and an unowned plain popup a skinned main window: both are managed.
bool WantsOverrideRedirect(HWND top, bool popup) {
  if (!popup) return false;
  DWORD style = DWORD(GetWindowLongPtrW(top, GWL_STYLE)), ex = DWORD(GetWindowLongPtrW(top, GWL_EXSTYLE));
  if ((style & WS_CAPTION) == WS_CAPTION || (ex & WS_EX_APPWINDOW)) return false;
  return GetWindow(top, GW_OWNER) || (ex & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE));
}

RECT Deflate(const RECT& r, const RECT& inset) {
  RECT g{r.left + inset.left, r.top + inset.top, r.right - inset.right, r.bottom - inset.bottom};
  g.right = std::max(g.right, g.left + 1);  // X windows are never empty
  g.bottom = std::max(g.bottom, g.top + 1);
  return g;
}

// _MOTIF_WM_HINTS: the frame the window manager draws offers what the style
// asks for and no more. A dialog gets neither minimise nor maximise, only a
// sizing frame resizes or maximises (the size hints fix the size of the
// others), and a window that paints its own frame gets no decoration.
void SetMotifDecorations(Connection& c, Window w, HWND hwnd) {
  enum : long { kFunctionsValid = 1, kDecorationsValid = 2 };
  enum : long { kFuncResize = 2, kFuncMove = 4, kFuncMinimize = 8, kFuncMaximize = 16, kFuncClose = 32 };
  enum : long {
    kDecBorder = 2,
    kDecResize = 4,
    kDecTitle = 8,
    kDecMenu = 16,
    kDecMinimize = 32,
    kDecMaximize = 64
  };
  const DWORD style = DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE));
  long hints[5] = {kDecorationsValid, 0, 0, 0, 0};
  if ((style & WS_CAPTION) == WS_CAPTION && !WindowHasOwnFrame(hwnd)) {
    long functions = kFuncMove, decorations = kDecBorder | kDecTitle;
    const bool sizing = style & WS_THICKFRAME;
    if (sizing) functions |= kFuncResize, decorations |= kDecResize;
    if (style & WS_SYSMENU) functions |= kFuncClose, decorations |= kDecMenu;
    if (style & WS_MINIMIZEBOX) functions |= kFuncMinimize, decorations |= kDecMinimize;
    if (sizing && (style & WS_MAXIMIZEBOX)) functions |= kFuncMaximize, decorations |= kDecMaximize;
    hints[0] = kFunctionsValid | kDecorationsValid, hints[1] = functions, hints[2] = decorations;
  }
  XChangeProperty(c.dpy, w, c.atoms.motifHints, c.atoms.motifHints, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(hints), 5);
}

void RequestGeometry(Connection& c, TopWindow& t, const RECT& g) {
  if (g == t.requested) return;
  t.requestSerial = NextRequest(c.dpy);
  XMoveResizeWindow(c.dpy, t.xid, g.left, g.top, unsigned(g.Width()), unsigned(g.Height()));
  t.requested = g;
  SetSizeHints(c, t);
}

// The style may change without a move (a form that starts painting its own
// frame): the decoration and the X window's extent follow.
void RefreshInset(Connection& c, TopWindow& t) {
  RECT inset = DecorationInset(t.hwnd, t.overrideRedirect);
  if (inset == t.inset) return;
  t.inset = inset;
  if (!t.overrideRedirect) {
    SetMotifDecorations(c, t.xid, t.hwnd);
  }
  RECT r;
  if (GetWindowRect(t.hwnd, &r)) RequestGeometry(c, t, Deflate(r, inset));
  SyncShape(c, t);
}

// Our top-level windows in the window manager's z-order, top first.
std::vector<Window> StackingOrder(Connection& c) {
  std::vector<HWND> order;
  EnumWindows([](HWND h, LPARAM p) { return reinterpret_cast<std::vector<HWND>*>(p)->push_back(h), TRUE; },
              LPARAM(&order));
  std::vector<Window> out;
  for (HWND h : order)
    if (auto* t = c.Find(h); t && t->shown) out.push_back(t->xid);
  return out;
}

void Restack(Connection& c) {
  auto order = StackingOrder(c);
  if (order.empty()) return;
  XRaiseWindow(c.dpy, order.front());
  XRestackWindows(c.dpy, order.data(), int(order.size()));
}

void CreateInputContext(Connection& c, TopWindow& t) {
  if (!c.im || t.overrideRedirect) return;
  t.ic = XCreateIC(c.im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, t.xid,
                   XNFocusWindow, t.xid, nullptr);
  if (!t.ic) return;
  long filter = 0;
  if (!XGetICValues(t.ic, XNFilterEvents, &filter, nullptr)) XSelectInput(c.dpy, t.xid, kEventMask | filter);
}

void SetManagedProperties(Connection& c, TopWindow& t) {
  XSetWMProtocols(c.dpy, t.xid, &c.atoms.wmDeleteWindow, 1);
  XWMHints* wm = XAllocWMHints();
  wm->flags = InputHint | StateHint;
  wm->input = True;
  wm->initial_state = NormalState;
  XSetWMHints(c.dpy, t.xid, wm);
  XFree(wm);
  SetMotifDecorations(c, t.xid, t.hwnd);
  ReadConstraints(t);
  SetSizeHints(c, t);
  SetIcon(c, t);
}

void PutPixels(Connection& c, const TopWindow& t, const Surface& s, const RECT& r) {
  int w = r.Width(), h = r.Height();
  int dx = r.left - t.inset.left, dy = r.top - t.inset.top;
  if (c.directPixels) {
    auto* data = reinterpret_cast<char*>(const_cast<uint32_t*>(s.Pixels.data()));
    XImage* img = XCreateImage(c.dpy, c.visual, unsigned(c.depth), ZPixmap, 0, data, unsigned(s.Width),
                               unsigned(s.Height), 32, s.Width * 4);
    if (!img) return;
    XPutImage(c.dpy, t.xid, c.gc, img, r.left, r.top, dx, dy, unsigned(w), unsigned(h));
    img->data = nullptr;  // the surface's memory is not the image's to free
    XDestroyImage(img);
    return;
  }
  // Another pixel layout: convert through the visual's channel masks.
  XImage* img =
      XCreateImage(c.dpy, c.visual, unsigned(c.depth), ZPixmap, 0, nullptr, unsigned(w), unsigned(h), 32, 0);
  if (!img) return;
  img->data = static_cast<char*>(std::malloc(size_t(img->bytes_per_line) * size_t(h)));
  auto scale = [](uint8_t v, unsigned long mask) {
    if (!mask) return 0ul;
    int shift = __builtin_ctzl(mask);
    return ((unsigned long)v * (mask >> shift) / 255) << shift;
  };
  Visual* v = c.visual;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t p = s.At(r.left + x, r.top + y);
      XPutPixel(
          img, x, y,
          scale(PixelR(p), v->red_mask) | scale(PixelG(p), v->green_mask) | scale(PixelB(p), v->blue_mask));
    }
  XPutImage(c.dpy, t.xid, c.gc, img, 0, 0, dx, dy, unsigned(w), unsigned(h));
  XDestroyImage(img);
}

}  // namespace

RECT DecorationInset(HWND top, bool overrideRedirect) {
  DWORD style = DWORD(GetWindowLongPtrW(top, GWL_STYLE)), ex = DWORD(GetWindowLongPtrW(top, GWL_EXSTYLE));
  if (overrideRedirect || (style & WS_CAPTION) != WS_CAPTION || WindowHasOwnFrame(top)) return RECT{};
  RECT r{};
  AdjustWindowRectEx(&r, style & ~(WS_VSCROLL | WS_HSCROLL), FALSE,
                     ex & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
  return RECT{-r.left, -r.top, r.right, r.bottom};
}

void ApplyConfigure(Connection& c, TopWindow& t, const XConfigureEvent& ev) {
  // Events from before our latest request describe a geometry already replaced.
  if (ev.serial < t.requestSerial) return;
  int x = ev.x, y = ev.y;
  Window child;
  if (!t.overrideRedirect) XTranslateCoordinates(c.dpy, t.xid, c.root, 0, 0, &x, &y, &child);
  RECT g{x, y, x + ev.width, y + ev.height};
  if (g == t.requested) return;
  t.requested = g;
  SetSizeHints(c, t);  // a window shown again comes back where the user left it
  RECT r{g.left - t.inset.left, g.top - t.inset.top, g.right + t.inset.right, g.bottom + t.inset.bottom};
  // The desktop moved or sized the window: the window manager follows, in
  // order with the input, with the usual messages (WM_WINDOWPOSCHANGED,
  // WM_MOVE, WM_SIZE, a repaint). Window code does not run inside the drain.
  // Always queued, even when the window has that rectangle now: an earlier
  // move still in the queue (the window manager places a frame it has just
  // made at the screen's origin first) would otherwise be the last word.
  InjectTopLevelMoved(t.hwnd, r);
}

void SyncShape(Connection& c, TopWindow& t) {
  if (!c.hasShape) return;
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  std::vector<RECT> rects;
  bool shaped = GetWindowRgn(t.hwnd, rgn) != ERROR;
  if (shaped) {
    DWORD size = GetRegionData(rgn, 0, nullptr);
    std::vector<char> buf(std::max<DWORD>(size, sizeof(RGNDATA)));
    auto* data = reinterpret_cast<RGNDATA*>(buf.data());
    if (GetRegionData(rgn, size, data)) {
      auto* r = reinterpret_cast<const RECT*>(data->Buffer);
      for (DWORD i = 0; i < data->rdh.nCount; ++i) {
        RECT q = r[i];
        OffsetRect(&q, -t.inset.left, -t.inset.top);
        rects.push_back(q);
      }
    }
  }
  DeleteObject(rgn);
  if (shaped == t.shaped && rects == t.shape) return;
  t.shaped = shaped;
  t.shape = rects;
  if (!shaped) {
    XShapeCombineMask(c.dpy, t.xid, ShapeBounding, 0, 0, None, ShapeSet);
    return;
  }
  std::vector<XRectangle> xr;
  for (auto& r : rects)
    xr.push_back(
        XRectangle{short(r.left), short(r.top), (unsigned short)r.Width(), (unsigned short)r.Height()});
  XShapeCombineRectangles(c.dpy, t.xid, ShapeBounding, 0, 0, xr.data(), int(xr.size()), ShapeSet, YXBanded);
}

void SyncTitle(Connection& c, TopWindow& t) {
  if (t.overrideRedirect) return;
  int n = GetWindowTextLengthW(t.hwnd);
  std::u16string title(size_t(n) + 1, u'\0');
  title.resize(size_t(GetWindowTextW(t.hwnd, title.data(), n + 1)));
  if (title == t.title && !title.empty()) return;
  t.title = title;
  std::string utf8 = Utf16ToUtf8(title);
  auto* bytes = reinterpret_cast<const unsigned char*>(utf8.c_str());
  XChangeProperty(c.dpy, t.xid, c.atoms.netWmName, c.atoms.utf8String, 8, PropModeReplace, bytes,
                  int(utf8.size()));
  XStoreName(c.dpy, t.xid, utf8.c_str());
}

void RefuseIconic(Connection& c, TopWindow& t) {
  if (!t.shown || t.overrideRedirect) return;
  if (GetWindowLongPtrW(t.hwnd, GWL_STYLE) & WS_MINIMIZEBOX) return;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool iconic = XGetWindowProperty(c.dpy, t.xid, c.atoms.wmState, 0, 2, False, c.atoms.wmState, &type,
                                   &format, &count, &after, &data) == Success &&
                data && format == 32 && count >= 1 && reinterpret_cast<long*>(data)[0] == IconicState;
  if (data) XFree(data);
  if (iconic) XMapWindow(c.dpy, t.xid);
}

void ApplyCursor(Connection& c, Window w) {
  if (c.current) XDefineCursor(c.dpy, w, c.current);
}

}  // namespace x11

void X11Backend::WindowCreated(HWND top, const RECT& screenRect, bool popup) {
  auto& c = *x_;
  x11::TopWindow t;
  t.hwnd = top;
  t.overrideRedirect = x11::WantsOverrideRedirect(top, popup);
  t.inset = x11::DecorationInset(top, t.overrideRedirect);
  t.requested = x11::Deflate(screenRect, t.inset);
  XSetWindowAttributes a{};
  a.override_redirect = t.overrideRedirect;
  a.event_mask = x11::kEventMask;
  a.background_pixmap = None;  // no clearing: the next Present paints it
  a.bit_gravity = NorthWestGravity;
  a.border_pixel = 0;
  t.requestSerial = NextRequest(c.dpy);
  t.xid = XCreateWindow(c.dpy, c.root, t.requested.left, t.requested.top, unsigned(t.requested.Width()),
                        unsigned(t.requested.Height()), 0, c.depth, InputOutput, c.visual,
                        CWOverrideRedirect | CWEventMask | CWBackPixmap | CWBitGravity | CWBorderPixel, &a);
  if (!t.overrideRedirect) x11::SetManagedProperties(c, t);
  if (!t.overrideRedirect) x11::SetDropAware(c, t.xid);
  x11::SetIdentity(c, t);
  x11::SetWindowType(c, t);
  x11::CreateInputContext(c, t);
  x11::ApplyCursor(c, t.xid);
  c.byXid[t.xid] = top;
  auto& stored = c.tops[top] = std::move(t);
  x11::SyncTitle(c, stored);
}

void X11Backend::WindowDestroyed(HWND top) {
  auto& c = *x_;
  auto* t = c.Find(top);
  if (!t) return;
  if (t->ic) XDestroyIC(t->ic);
  XDestroyWindow(c.dpy, t->xid);
  c.byXid.erase(t->xid);
  c.tops.erase(top);
  c.configured.erase(top);
  if (c.activate == top) c.activate = nullptr;
}

void X11Backend::WindowShown(HWND top, bool visible) {
  auto& c = *x_;
  auto* t = c.Find(top);
  if (!t || t->shown == visible) return;
  t->shown = visible;
  if (visible) {
    x11::ReadConstraints(*t);
    x11::SetSizeHints(c, *t);
    x11::SetIcon(c, *t);
    x11::RefreshInset(c, *t);
    x11::SyncTitle(c, *t);
    x11::SyncShape(c, *t);
    XMapWindow(c.dpy, t->xid);
    x11::Restack(c);
  } else if (t->overrideRedirect) {
    XUnmapWindow(c.dpy, t->xid);
  } else {
    XWithdrawWindow(c.dpy, t->xid, c.screen);
  }
  XFlush(c.dpy);
}

void X11Backend::WindowMoved(HWND top, const RECT& screenRect) {
  auto& c = *x_;
  auto* t = c.Find(top);
  if (!t) return;
  x11::ReadConstraints(*t);
  x11::RefreshInset(c, *t);
  x11::RequestGeometry(c, *t, x11::Deflate(screenRect, t->inset));
  x11::SyncShape(c, *t);  // a new window region arrives this way too
}

void X11Backend::WindowRaised(HWND top) {
  auto& c = *x_;
  auto* t = c.Find(top);
  if (!t || !t->shown) return;
  x11::Restack(c);
  // Activation inside the program moves the keyboard focus along, but only
  // while the program has it: focus is never taken from other programs.
  if (t->overrideRedirect || !t->mapped) return;
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(c.dpy, &focus, &revert);
  if (focus != t->xid && c.FindX(focus)) {
    XSetInputFocus(c.dpy, t->xid, RevertToParent, CurrentTime);
  } else if (!x11::FocusIsOurs(c)) {
    // Active inside the program but not on the desktop: it looks inactive
    // until the desktop gives it the focus.
    InjectActivate(top, false);
  }
}

void X11Backend::Present(HWND top, const Surface& backing, const RECT& dirty) {
  auto& c = *x_;
  auto* t = c.Find(top);
  if (!t) return;
  x11::RefreshInset(c, *t);
  x11::SyncTitle(c, *t);
  if (!t->mapped) return;  // the Expose after mapping repaints everything
  RECT shown{t->inset.left, t->inset.top, backing.Width - t->inset.right, backing.Height - t->inset.bottom},
      r;
  if (!IntersectRect(&r, &shown, &dirty)) return;
  x11::PutPixels(c, *t, backing, r);
}

}  // namespace qv
