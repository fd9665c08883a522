// What the desktop reads from our X windows: the process and host
// (_NET_WM_PID, WM_CLIENT_MACHINE), the class matching the desktop entry
// (WM_CLASS quirvane/Quirvane), the icon (_NET_WM_ICON), the window type
// (normal, dialog, utility, menu, drop-down, tooltip), the owner
// (WM_TRANSIENT_FOR) and size hints from the window's limits and geometry;
// popups kept above their forms when other clients restack windows; and the
// work area the desktop leaves to windows (_NET_WORKAREA).
#include <X11/Xatom.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <vector>

#include "platform/backend/X11Backend.h"
#include "platform/backend/X11Connection.h"
#include "platform/gdi/Icons.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/SizeMove.h"
#include "platform/window/StandardIcons.h"
#include "platform/window/Window.h"

namespace qv::x11 {
namespace {

std::string ClassNameOf(HWND h) {
  char16_t buf[128] = {};
  int n = GetClassNameW(h, buf, 128);
  std::string out;
  for (int i = 0; i < n; ++i) out += char(std::tolower(buf[i] < 128 ? int(buf[i]) : '_'));
  return out;
}

bool Contains(const std::string& s, const char* part) {
  return s.find(part) != std::string::npos;
}

}  // namespace

void SetIdentity(Connection& c, TopWindow& t) {
  long pid = long(getpid());
  XChangeProperty(c.dpy, t.xid, c.atoms.netWmPid, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  char host[HOST_NAME_MAX + 1] = {};
  if (gethostname(host, sizeof host - 1) == 0) {
    XTextProperty text;
    char* list[] = {host};
    if (XStringListToTextProperty(list, 1, &text)) {
      XSetWMClientMachine(c.dpy, t.xid, &text);
      XFree(text.value);
    }
  }
  XClassHint* cls = XAllocClassHint();
  char name[] = "quirvane", klass[] = "Quirvane";
  cls->res_name = name, cls->res_class = klass;
  XSetClassHint(c.dpy, t.xid, cls);
  XFree(cls);
  if (auto* owner = c.Find(GetWindow(t.hwnd, GW_OWNER))) XSetTransientForHint(c.dpy, t.xid, owner->xid);
}

// Popups by what they are for: menus, drop-downs and hints; framed windows
// are dialogs when owned or dialog-framed, else utility windows when they are
// tool windows.
void SetWindowType(Connection& c, TopWindow& t) {
  DWORD style = DWORD(GetWindowLongPtrW(t.hwnd, GWL_STYLE)),
        ex = DWORD(GetWindowLongPtrW(t.hwnd, GWL_EXSTYLE));
  std::string cls = ClassNameOf(t.hwnd);
  Atom type = c.atoms.typeNormal;
  if (t.overrideRedirect) {
    if (cls == "#32768" || Contains(cls, "menu"))
      type = c.atoms.typePopupMenu;
    else if (Contains(cls, "hint") || Contains(cls, "tooltip"))
      type = c.atoms.typeTooltip;
    else
      type = c.atoms.typeDropdownMenu;
  } else if ((style & WS_CAPTION) == WS_CAPTION &&
             (GetWindow(t.hwnd, GW_OWNER) || (ex & WS_EX_DLGMODALFRAME))) {
    // A dialog, also one with a tool window's small caption: it stays with
    // the window it belongs to and gets a dialog's frame.
    type = c.atoms.typeDialog;
  } else if (ex & WS_EX_TOOLWINDOW) {
    type = c.atoms.typeUtility;
  }
  XChangeProperty(c.dpy, t.xid, c.atoms.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&type), 1);
}

// The class's icon, else the standard application icon, as 32-bit ARGB.
void SetIcon(Connection& c, TopWindow& t) {
  if (t.overrideRedirect) return;
  WNDCLASSEXW wc;
  char16_t name[128] = {};
  GetClassNameW(t.hwnd, name, 128);
  HICON icon = nullptr;
  if (GetClassInfoExW(nullptr, name, &wc)) icon = wc.hIcon ? wc.hIcon : wc.hIconSm;
  if (!icon) icon = LoadIconW(nullptr, IDI_APPLICATION);
  Surface px;
  if (!icon || !IconPixels(icon, px) || px.Width <= 0 || px.Height <= 0) return;
  std::vector<long> data;
  data.reserve(2 + px.Pixels.size());
  data.push_back(px.Width);
  data.push_back(px.Height);
  for (uint32_t p : px.Pixels) data.push_back(long(p));
  XChangeProperty(c.dpy, t.xid, c.atoms.netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(data.data()), int(data.size()));
}

void ReadConstraints(TopWindow& t) {
  t.sizable = (GetWindowLongPtrW(t.hwnd, GWL_STYLE) & WS_THICKFRAME) != 0;
  if (!t.sizable) return;
  MINMAXINFO mm = GetMinMaxInfo(t.hwnd);
  int dw = t.inset.left + t.inset.right, dh = t.inset.top + t.inset.bottom;
  t.minSize = SIZE{std::max(1, int(mm.ptMinTrackSize.x) - dw), std::max(1, int(mm.ptMinTrackSize.y) - dh)};
  t.maxSize = SIZE{std::max(t.minSize.cx, int(mm.ptMaxTrackSize.x) - dw),
                   std::max(t.minSize.cy, int(mm.ptMaxTrackSize.y) - dh)};
}

// Our position is that of the client window itself (static gravity); the
// current geometry goes with the hints so a window shown again comes back
// where it was, and a window without a sizing frame keeps its size.
void SetSizeHints(Connection& c, const TopWindow& t) {
  if (t.overrideRedirect) return;
  XSizeHints* h = XAllocSizeHints();
  h->flags = USPosition | USSize | PWinGravity;
  h->win_gravity = StaticGravity;
  h->x = t.requested.left, h->y = t.requested.top;
  h->width = t.requested.Width(), h->height = t.requested.Height();
  h->flags |= PMinSize | PMaxSize;
  if (t.sizable) {
    h->min_width = t.minSize.cx, h->min_height = t.minSize.cy;
    h->max_width = t.maxSize.cx, h->max_height = t.maxSize.cy;
  } else {
    h->min_width = h->max_width = h->width;
    h->min_height = h->max_height = h->height;
  }
  XSetWMNormalHints(c.dpy, t.xid, h);
  XFree(h);
}

// Another client raised a window over ours: the shown popups (menus, hints,
// drop-downs) go back on top, in our own z-order.
void RaisePopups(Connection& c) {
  std::vector<HWND> order;
  EnumWindows([](HWND h, LPARAM p) { return reinterpret_cast<std::vector<HWND>*>(p)->push_back(h), TRUE; },
              LPARAM(&order));
  for (auto it = order.rbegin(); it != order.rend(); ++it)
    if (auto* t = c.Find(*it); t && t->overrideRedirect && t->shown && t->mapped) XRaiseWindow(c.dpy, t->xid);
}

namespace {

// A property of the root window as 32-bit values (longs, as Xlib returns them).
std::vector<long> RootCardinals(Connection& c, Atom property) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> out;
  if (XGetWindowProperty(c.dpy, c.root, property, 0, 1024, False, XA_CARDINAL, &type, &format, &count, &after,
                         &data) == Success &&
      data && type == XA_CARDINAL && format == 32) {
    auto* values = reinterpret_cast<long*>(data);
    out.assign(values, values + count);
  }
  if (data) XFree(data);
  return out;
}

}  // namespace

void ReadWorkArea(Connection& c) {
  const int width = DisplayWidth(c.dpy, c.screen), height = DisplayHeight(c.dpy, c.screen);
  RECT area{0, 0, width, height};
  std::vector<long> desktop = RootCardinals(c, c.atoms.netCurrentDesktop);
  std::vector<long> areas = RootCardinals(c, c.atoms.netWorkarea);
  size_t index = desktop.empty() || desktop[0] < 0 ? 0 : size_t(desktop[0]);
  if (4 * index + 4 > areas.size()) index = 0;  // no area for that desktop: the first one's
  if (areas.size() >= 4 * index + 4) {
    const long* a = &areas[4 * index];
    RECT announced{int(a[0]), int(a[1]), int(a[0] + a[2]), int(a[1] + a[3])}, inside;
    // Only an area that lies on the screen and has room is taken.
    if (IntersectRect(&inside, &announced, &area) && inside.Width() >= 100 && inside.Height() >= 100)
      area = inside;
  }
  SystemParametersInfoW(SPI_SETWORKAREA, 0, &area, 0);
}

bool FocusIsOurs(Connection& c) {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(c.dpy, &focus, &revert);
  if (focus != PointerRoot) return c.FindX(focus) != nullptr;
  // The focus follows the pointer: ours when the pointer is over one of our windows.
  Window root, child;
  int rx, ry, wx, wy;
  unsigned mask;
  if (!XQueryPointer(c.dpy, c.root, &root, &child, &rx, &ry, &wx, &wy, &mask)) return false;
  return child && c.FindX(child);
}

}  // namespace qv::x11
