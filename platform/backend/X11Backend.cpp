// The X11 backend's connection: opening the display, the clock, waiting for X
// events or a wake-up, cursors, the pointer, beeps, and reading a window back.
#include "platform/backend/X11Backend.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/backend/X11Connection.h"
#include "platform/window/MessageQueue.h"

namespace qv {
namespace {

// How long one step of making offered text ahead may keep the windows waiting.
constexpr std::chrono::milliseconds kRenderStep{8};

// Requests on windows that vanished meanwhile (a popup destroyed while its
// configure was in flight) are harmless; Xlib's default handler would exit.
int IgnoreXError(Display*, XErrorEvent*) {
  return 0;
}

// Xutf8LookupString and input methods need a locale whose text is UTF-8.
void EnsureUtf8Ctype() {
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  if (current && (std::strstr(current, "UTF-8") || std::strstr(current, "utf8"))) return;
  if (!std::setlocale(LC_CTYPE, "") || !std::strstr(std::setlocale(LC_CTYPE, nullptr), "UTF"))
    std::setlocale(LC_CTYPE, "C.UTF-8");
}

XIM OpenInputMethod(Display* dpy) {
  if (!XSupportsLocale()) return nullptr;
  XSetLocaleModifiers("");
  if (XIM im = XOpenIM(dpy, nullptr, nullptr, nullptr)) return im;
  XSetLocaleModifiers("@im=none");
  return XOpenIM(dpy, nullptr, nullptr, nullptr);
}

// True when the visual's 32-bit pixels have our surface's layout, so a
// backing surface can be sent to the server as it is.
bool SurfaceLayoutMatches(Display* dpy, Visual* v, int depth) {
  if (v->red_mask != 0xFF0000 || v->green_mask != 0xFF00 || v->blue_mask != 0xFF) return false;
  XImage* probe = XCreateImage(dpy, v, unsigned(depth), ZPixmap, 0, nullptr, 1, 1, 32, 0);
  if (!probe) return false;
  const uint16_t one = 1;
  bool hostLsb = *reinterpret_cast<const uint8_t*>(&one) == 1;
  bool ok = probe->bits_per_pixel == 32 && (probe->byte_order == LSBFirst) == hostLsb;
  XDestroyImage(probe);
  return ok;
}

x11::Atoms InternAtoms(Display* dpy) {
  x11::Atoms a{};
  a.wmProtocols = XInternAtom(dpy, "WM_PROTOCOLS", False);
  a.wmDeleteWindow = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
  a.motifHints = XInternAtom(dpy, "_MOTIF_WM_HINTS", False);
  a.netWmName = XInternAtom(dpy, "_NET_WM_NAME", False);
  a.utf8String = XInternAtom(dpy, "UTF8_STRING", False);
  a.clipboard = XInternAtom(dpy, "CLIPBOARD", False);
  a.targets = XInternAtom(dpy, "TARGETS", False);
  a.text = XInternAtom(dpy, "TEXT", False);
  a.selection = XInternAtom(dpy, "QV_SELECTION", False);
  a.compoundText = XInternAtom(dpy, "COMPOUND_TEXT", False);
  a.netWmPid = XInternAtom(dpy, "_NET_WM_PID", False);
  a.netWmIcon = XInternAtom(dpy, "_NET_WM_ICON", False);
  a.cardinal = XInternAtom(dpy, "CARDINAL", False);
  a.netWmWindowType = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE", False);
  a.typeNormal = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_NORMAL", False);
  a.typeDialog = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  a.typeUtility = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_UTILITY", False);
  a.typePopupMenu = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
  a.typeDropdownMenu = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", False);
  a.typeTooltip = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_TOOLTIP", False);
  a.netWorkarea = XInternAtom(dpy, "_NET_WORKAREA", False);
  a.netCurrentDesktop = XInternAtom(dpy, "_NET_CURRENT_DESKTOP", False);
  a.wmState = XInternAtom(dpy, "WM_STATE", False);
  a.multiple = XInternAtom(dpy, "MULTIPLE", False);
  a.atomPair = XInternAtom(dpy, "ATOM_PAIR", False);
  a.clipboardManager = XInternAtom(dpy, "CLIPBOARD_MANAGER", False);
  a.saveTargets = XInternAtom(dpy, "SAVE_TARGETS", False);
  a.savedTargets = XInternAtom(dpy, "QV_SAVED_TARGETS", False);
  return a;
}

unsigned FontCursorShape(int id) {
  switch (id) {
    case 32513:
      return XC_xterm;
    case 32514:
      return XC_watch;
    case 32515:
      return XC_crosshair;
    case 32516:
      return XC_sb_up_arrow;
    case 32642:
      return XC_bottom_right_corner;
    case 32643:
      return XC_bottom_left_corner;
    case 32644:
      return XC_sb_h_double_arrow;
    case 32645:
      return XC_sb_v_double_arrow;
    case 32646:
      return XC_fleur;
    case 32648:
      return XC_X_cursor;
    case 32649:
      return XC_hand2;
    case 32650:
      return XC_watch;
    case 32651:
      return XC_question_arrow;
    default:
      return XC_left_ptr;
  }
}

Cursor BlankCursor(Display* dpy, Window root) {
  char zero = 0;
  Pixmap empty = XCreateBitmapFromData(dpy, root, &zero, 1, 1);
  XColor black{};
  Cursor c = XCreatePixmapCursor(dpy, empty, empty, &black, &black, 0, 0);
  XFreePixmap(dpy, empty);
  return c;
}

void DrainPipe(int fd) {
  char buf[64];
  while (read(fd, buf, sizeof buf) > 0) {
  }
}

}  // namespace

X11Backend::X11Backend(std::unique_ptr<x11::Connection> connection) : x_(std::move(connection)) {
  Display* dpy = x_->dpy;
  XSetErrorHandler(IgnoreXError);
  Bool detectable = False;
  XkbSetDetectableAutoRepeat(dpy, True, &detectable);  // held keys repeat presses only
  int ev = 0, err = 0;
  x_->hasShape = XShapeQueryExtension(dpy, &ev, &err);
  x_->atoms = InternAtoms(dpy);
  x11::InternDndAtoms(*x_);
  x_->im = OpenInputMethod(dpy);
  XSetWindowAttributes attrs{};
  attrs.event_mask = PropertyChangeMask;
  x_->utility = XCreateWindow(dpy, x_->root, -10, -10, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                              CWEventMask, &attrs);
  x_->gc = XCreateGC(dpy, x_->root, 0, nullptr);
  // Restacking by other clients is seen here, so that popups stay above their
  // forms, and so are changes of the work area.
  XWindowAttributes rootAttrs;
  XGetWindowAttributes(dpy, x_->root, &rootAttrs);
  XSelectInput(dpy, x_->root, rootAttrs.your_event_mask | SubstructureNotifyMask | PropertyChangeMask);
  x11::FollowClipboardOwner(*x_);
  InstallBackend(this);
  x11::ReadWorkArea(*x_);
  x11::SyncLockKeys(*x_);
}

X11Backend::~X11Backend() {
  // Every program ends here, its windows gone: its copy outlives it.
  x11::HandOverClipboard(*x_);
  x11::DestroyDropWindow(*x_);
  if (CurrentBackend() == this) InstallBackend(nullptr);
  Display* dpy = x_->dpy;
  for (auto& [h, t] : x_->tops) {
    if (t.ic) XDestroyIC(t.ic);
    XDestroyWindow(dpy, t.xid);
  }
  for (auto& [id, cursor] : x_->cursors) XFreeCursor(dpy, cursor);
  if (x_->im) XCloseIM(x_->im);
  XFreeGC(dpy, x_->gc);
  XDestroyWindow(dpy, x_->utility);
  XCloseDisplay(dpy);
  close(x_->wakePipe[0]);
  close(x_->wakePipe[1]);
}

int DpiFromResources(const char* resources) {
  if (!resources) return 96;
  std::string_view text(resources);
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (line.substr(0, 8) != "Xft.dpi:") continue;
    std::string value(line.substr(8));
    char* rest = nullptr;
    double dpi = std::strtod(value.c_str(), &rest);
    // Densities outside what a screen has are a broken setting.
    if (rest != value.c_str() && dpi >= 24 && dpi <= 960) return int(dpi + 0.5);
    return 96;
  }
  return 96;
}

int X11Backend::ScreenDpi() {
  int dpi = dpi_.load(std::memory_order_relaxed);
  if (!dpi) dpi_.store(dpi = DpiFromResources(XResourceManagerString(x_->dpy)), std::memory_order_relaxed);
  return dpi;
}

// The root window's pixels as the server shows them now, once it has carried
// out what we asked (a hint hidden just before is gone from them).
bool X11Backend::ReadDesktop(Surface& area, POINT origin) {
  const SIZE size = ScreenSize();
  // Only the part on the screen is asked for: the server refuses the rest.
  const int x0 = std::max<int>(origin.x, 0), y0 = std::max<int>(origin.y, 0);
  const int x1 = std::min<int>(origin.x + area.Width, size.cx),
            y1 = std::min<int>(origin.y + area.Height, size.cy);
  const int w = x1 - x0, h = y1 - y0;
  if (w <= 0 || h <= 0) return false;
  XSync(x_->dpy, False);
  XImage* image = XGetImage(x_->dpy, x_->root, x0, y0, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
  if (!image) return false;
  const bool direct = image->bits_per_pixel == 32 && image->red_mask == 0xFF0000 &&
                      image->green_mask == 0xFF00 && image->blue_mask == 0xFF &&
                      image->byte_order == LSBFirst;
  for (int y = 0; y < h; ++y) {
    uint32_t* row = area.Row(y0 - int(origin.y) + y) + (x0 - int(origin.x));
    if (direct) {
      const auto* src =
          reinterpret_cast<const uint32_t*>(image->data + std::ptrdiff_t(y) * image->bytes_per_line);
      for (int x = 0; x < w; ++x) row[x] = src[x] | 0xFF000000u;
      continue;
    }
    for (int x = 0; x < w; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      auto channel = [p](unsigned long mask) {
        if (!mask) return uint8_t(0);
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        const unsigned long max = mask >> shift;
        return uint8_t(((p & mask) >> shift) * 255 / max);
      };
      row[x] = PixelRGB(channel(image->red_mask), channel(image->green_mask), channel(image->blue_mask));
    }
  }
  XDestroyImage(image);
  return true;
}

// The frame the window manager draws around a decorated window stands
// where our window rectangle has its own caption and borders.
RECT X11Backend::DesktopFrame(HWND top) {
  const auto* t = x_->Find(top);
  return t && !t->overrideRedirect ? t->inset : RECT{};
}

SIZE X11Backend::ScreenSize() {
  return SIZE{DisplayWidth(x_->dpy, x_->screen), DisplayHeight(x_->dpy, x_->screen)};
}

DWORD X11Backend::Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return DWORD(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

void X11Backend::Drain() {
  x11::DrainEvents(*x_);
  x11::ReadsDue(*x_);
}

void X11Backend::PollEvents() {
  Drain();
}

void X11Backend::WaitForEvents(DWORD timeoutMs) {
  auto& c = *x_;
  auto drain = [&] { Drain(); };
  c.injected = false;
  drain();
  // The caller looks at its queue next, so a wake-up is spent only when the
  // wait ends. Emptied before the wait, the pipe would lose the wake-up of a
  // message another thread posted since the queue was last looked at, and
  // the wait would sleep through it until the next event or timer.
  if (c.injected) return DrainPipe(c.wakePipe[0]);
  int timeout = timeoutMs == INFINITE ? -1 : int(std::min<DWORD>(timeoutMs, 0x7FFFFFFF));
  // Text offered to other programs is made ahead, a short step at a time,
  // while there is nothing else to do; the loop comes back for the next step.
  if (x11::RenderAhead(c, kRenderStep)) timeout = 0;
  // A read ends when its owner stays silent too long.
  if (int due = x11::ReadWait(c); due >= 0 && (timeout < 0 || due < timeout)) timeout = due;
  XFlush(c.dpy);
  // Xlib may have read events off the connection since the drain (a flush
  // that has to wait reads what comes meanwhile, into Xlib's queue or the
  // connection's buffer, and so do round trips): the socket would not wake
  // the wait for them. A requestor that deletes a piece in the same request
  // as it reads it answers within microseconds, so its deletion was often
  // among them, and a transfer waited for good for what it already had.
  // This looks at both without waiting.
  if (XEventsQueued(c.dpy, QueuedAfterReading) > 0) timeout = 0;
  pollfd fds[2] = {{ConnectionNumber(c.dpy), POLLIN, 0}, {c.wakePipe[0], POLLIN, 0}};
  while (poll(fds, 2, timeout) < 0 && errno == EINTR) {
  }
  DrainPipe(c.wakePipe[0]);
  drain();
}

void X11Backend::Wake() {
  char b = 1;
  // A full pipe already holds a wake-up, so a failed write loses nothing.
  [[maybe_unused]] ssize_t n = write(x_->wakePipe[1], &b, 1);
}

void X11Backend::SetCursorShape(int standardId, HCURSOR custom) {
  auto& c = *x_;
  // Custom cursor images are not reachable from here yet: they show as the arrow.
  int key = standardId ? standardId : (custom ? 32512 : -1);
  auto it = c.cursors.find(key);
  if (it == c.cursors.end())
    it = c.cursors
             .emplace(key,
                      key < 0 ? BlankCursor(c.dpy, c.root) : XCreateFontCursor(c.dpy, FontCursorShape(key)))
             .first;
  if (c.current == it->second) return;
  c.current = it->second;
  for (auto& [h, t] : c.tops) x11::ApplyCursor(c, t.xid);
}

bool X11Backend::SetCursorPos(POINT screen) {
  XWarpPointer(x_->dpy, None, x_->root, 0, 0, 0, 0, screen.x, screen.y);
  XFlush(x_->dpy);
  return true;
}

std::u16string X11Backend::GetClipboardText() {
  return x11::ReadClipboard(*x_);
}

void X11Backend::SetClipboardText(const std::u16string& text) {
  x11::OwnClipboard(*x_, text);
}

bool X11Backend::OfferClipboardText(std::unique_ptr<TextReader>& text) {
  x11::OwnClipboard(*x_, std::move(text));
  return true;
}

std::u16string X11Backend::GetPrimaryText() {
  return x11::ReadPrimary(*x_);
}

unsigned X11Backend::BeginTextRead(DesktopSelection from, HWND notify, UINT message) {
  auto& c = *x_;
  // Ours is at hand.
  if (from == DesktopSelection::Clipboard ? c.ownsClipboard : c.primary.owned) return 0;
  return x11::BeginPasteRead(c, from == DesktopSelection::Clipboard ? c.atoms.clipboard : XA_PRIMARY, notify,
                             message);
}

std::optional<std::u16string> X11Backend::TakeTextRead(unsigned id) {
  return x11::TakePasteRead(*x_, id);
}

void X11Backend::CancelTextRead(unsigned id) {
  x11::CancelPasteRead(*x_, id);
}

void X11Backend::SetPrimaryText(const std::u16string& text) {
  x11::OwnPrimary(*x_, text);
}

bool X11Backend::OwnsClipboard() {
  return x_->ownsClipboard;
}

unsigned X11Backend::ClipboardLosses() {
  return x_->clipboardLosses;
}

ClipboardOffer X11Backend::OfferedOnClipboard(HWND notify) {
  return x11::AskClipboardTypes(*x_, notify);
}

ClipboardOffer X11Backend::AwaitClipboardOffer() {
  return x11::AwaitClipboardTypes(*x_);
}

void X11Backend::Beep(UINT) {
  XBell(x_->dpy, 0);
  XFlush(x_->dpy);
}

bool X11Backend::IsOnScreen(HWND top) const {
  auto* t = x_->Find(top);
  return t && t->mapped && t->exposed;
}

// Read from the root window at the window's place, so that what lies above
// it (our popups) is included, as the user sees it.
bool X11Backend::CaptureWindow(HWND top, Surface& out) {
  auto* t = x_->Find(top);
  if (!t || !t->mapped) return false;
  Display* dpy = x_->dpy;
  XWindowAttributes wa{};
  int x = 0, y = 0;
  Window child;
  if (!XGetWindowAttributes(dpy, t->xid, &wa) ||
      !XTranslateCoordinates(dpy, t->xid, x_->root, 0, 0, &x, &y, &child))
    return false;
  SIZE screen = ScreenSize();
  if (x < 0 || y < 0 || x + wa.width > screen.cx || y + wa.height > screen.cy) return false;
  XImage* img = XGetImage(dpy, x_->root, x, y, unsigned(wa.width), unsigned(wa.height), AllPlanes, ZPixmap);
  if (!img) return false;
  out = Surface(wa.width, wa.height);
  Visual* v = x_->visual;
  auto channel = [](unsigned long pixel, unsigned long mask) {
    if (!mask) return uint8_t(0);
    int shift = __builtin_ctzl(mask);
    unsigned long max = mask >> shift;
    return uint8_t(((pixel & mask) >> shift) * 255 / max);
  };
  for (int py = 0; py < wa.height; ++py)
    for (int px = 0; px < wa.width; ++px) {
      unsigned long p = XGetPixel(img, px, py);
      out.Set(px, py, PixelRGB(channel(p, v->red_mask), channel(p, v->green_mask), channel(p, v->blue_mask)));
    }
  XDestroyImage(img);
  return true;
}

std::unique_ptr<Backend> OpenX11Backend(std::string* error) {
  auto fail = [&](std::string message) -> std::unique_ptr<Backend> {
    if (error) *error = std::move(message);
    return nullptr;
  };
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return fail("Quirvane needs a graphical display (the DISPLAY variable is not set)");
  EnsureUtf8Ctype();
  Display* dpy = XOpenDisplay(name);
  if (!dpy)
    return fail(std::string("Quirvane cannot open the display \"") + name +
                "\" (is the X server running, and may this user connect to it?)");
  auto c = std::make_unique<x11::Connection>();
  c->dpy = dpy;
  c->screen = DefaultScreen(dpy);
  c->root = RootWindow(dpy, c->screen);
  c->visual = DefaultVisual(dpy, c->screen);
  c->depth = DefaultDepth(dpy, c->screen);
  if (c->visual->c_class != TrueColor || c->depth < 24) {
    XCloseDisplay(dpy);
    return fail("Quirvane needs a true-colour display of 24 or 32 bits per pixel");
  }
  c->directPixels = SurfaceLayoutMatches(dpy, c->visual, c->depth);
  if (pipe2(c->wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) {
    XCloseDisplay(dpy);
    return fail(std::string("Quirvane cannot create a pipe: ") + std::strerror(errno));
  }
  return std::make_unique<X11Backend>(std::move(c));
}

}  // namespace qv
