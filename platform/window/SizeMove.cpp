// The modal move and size loop behind WM_SYSCOMMAND SC_MOVE and SC_SIZE
// (also 0xF012 and the SC_SIZE + WMSZ_* variants the frame sends): mouse
// dragging, keyboard moving and sizing with the arrow keys, Enter to keep
// and Esc to go back, WM_ENTERSIZEMOVE/WM_EXITSIZEMOVE around it,
// WM_MOVING/WM_SIZING for every step, and the size limits of
// WM_GETMINMAXINFO. Windows follow the pointer as it moves (full dragging).
#include "platform/window/SizeMove.h"

#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {
namespace {

// Which edges a WMSZ_* code drags.
struct Edges {
  bool left = false, right = false, top = false, bottom = false;
  bool any() const { return left || right || top || bottom; }
};

Edges EdgesOf(WPARAM wmsz) {
  Edges e;
  e.left = wmsz == WMSZ_LEFT || wmsz == WMSZ_TOPLEFT || wmsz == WMSZ_BOTTOMLEFT;
  e.right = wmsz == WMSZ_RIGHT || wmsz == WMSZ_TOPRIGHT || wmsz == WMSZ_BOTTOMRIGHT;
  e.top = wmsz == WMSZ_TOP || wmsz == WMSZ_TOPLEFT || wmsz == WMSZ_TOPRIGHT;
  e.bottom = wmsz == WMSZ_BOTTOM || wmsz == WMSZ_BOTTOMLEFT || wmsz == WMSZ_BOTTOMRIGHT;
  return e;
}

WPARAM CodeOf(const Edges& e) {
  if (e.top) return e.left ? WMSZ_TOPLEFT : e.right ? WMSZ_TOPRIGHT : WMSZ_TOP;
  if (e.bottom) return e.left ? WMSZ_BOTTOMLEFT : e.right ? WMSZ_BOTTOMRIGHT : WMSZ_BOTTOM;
  return e.left ? WMSZ_LEFT : e.right ? WMSZ_RIGHT : 0;
}

// The window rectangle in its parent's client coordinates (screen for top-level).
RECT ParentRect(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  if (HWND p = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr)
    MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Keeps the dragged edges inside the tracking limits.
void Clamp(RECT& r, const Edges& e, const MINMAXINFO& mm) {
  auto fit = [](int size, int lo, int hi) { return std::max(lo, std::min(size, std::max(lo, hi))); };
  int w = fit(r.Width(), mm.ptMinTrackSize.x, mm.ptMaxTrackSize.x);
  int h = fit(r.Height(), mm.ptMinTrackSize.y, mm.ptMaxTrackSize.y);
  if (e.left)
    r.left = r.right - w;
  else
    r.right = r.left + w;
  if (e.top)
    r.top = r.bottom - h;
  else
    r.bottom = r.top + h;
}

class SizeMoveLoop {
 public:
  SizeMoveLoop(HWND hwnd, WPARAM command, POINT pt)
      : hwnd_(hwnd), moving_((command & 0xFFF0) == SC_MOVE), start_(pt), origin_(ParentRect(hwnd)) {
    WPARAM low = command & 0x000F;
    // SC_MOVE + HTCAPTION and SC_SIZE + WMSZ_* come from a mouse press on the frame.
    byMouse_ = moving_ ? low == HTCAPTION : low != 0;
    if (!moving_) edges_ = EdgesOf(low);
    minMax_ = GetMinMaxInfo(hwnd);
    current_ = origin_;
  }

  void Run() {
    SendMessageW(hwnd_, WM_ENTERSIZEMOVE, 0, 0);
    if (!IsWindow(hwnd_)) return;
    SetCapture(hwnd_);
    if (!byMouse_) PlacePointer();
    MSG m;
    bool quit = false;
    while (!done_ && IsWindow(hwnd_) && GetCapture() == hwnd_) {
      if (GetMessageW(&m, nullptr, 0, 0) <= 0) {
        quit = true;
        break;
      }
      if (!Handle(m)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
    }
    if (quit) PostQuitMessage(int(m.wParam));  // the outer loop must end too
    if (!IsWindow(hwnd_)) return;
    if (cancelled_) Apply(origin_);
    if (GetCapture() == hwnd_) ReleaseCapture();
    SendMessageW(hwnd_, WM_EXITSIZEMOVE, 0, 0);
  }

 private:
  // True when the message belongs to the loop and is used up.
  bool Handle(const MSG& m) {
    switch (m.message) {
      case WM_MOUSEMOVE:
        Track(m.pt);
        return true;
      case WM_LBUTTONUP:
        if (byMouse_) done_ = true;
        return true;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
        if (!byMouse_) done_ = true;
        return true;
      case WM_RBUTTONUP:
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDBLCLK:
        return true;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        Key(UINT(m.wParam));
        return true;
      case WM_KEYUP:
      case WM_SYSKEYUP:
      case WM_CHAR:
      case WM_SYSCHAR:
        return true;
    }
    return false;
  }

  void Key(UINT vk) {
    if (vk == VK_RETURN) {
      done_ = true;
      return;
    }
    if (vk == VK_ESCAPE) {
      done_ = cancelled_ = true;
      return;
    }
    int dx = vk == VK_LEFT ? -1 : vk == VK_RIGHT ? 1 : 0, dy = vk == VK_UP ? -1 : vk == VK_DOWN ? 1 : 0;
    if (!dx && !dy) return;
    if (!moving_ && !edges_.any()) {
      // The first arrow chooses the edge that the next ones move.
      edges_.left = dx<0, edges_.right = dx> 0, edges_.top = dy<0, edges_.bottom = dy> 0;
      PlacePointer();
      return;
    }
    int step = (GetKeyState(VK_CONTROL) & 0x8000) ? 1 : kKeyMoveStep;
    POINT p = last_;
    p.x += dx * step, p.y += dy * step;
    Track(p);
    SetCursorPos(p.x, p.y);
  }

  // Keyboard mode: the pointer goes to the caption's middle (moving) or to
  // the chosen edge (sizing), where the mouse would have grabbed the window.
  void PlacePointer() {
    RECT r;
    GetWindowRect(hwnd_, &r);
    POINT p{(r.left + r.right) / 2,
            moving_ ? r.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 4 : (r.top + r.bottom) / 2};
    if (edges_.left) p.x = r.left;
    if (edges_.right) p.x = r.right - 1;
    if (edges_.top) p.y = r.top;
    if (edges_.bottom) p.y = r.bottom - 1;
    start_ = last_ = p;
    origin_ = current_;
    SetCursorPos(p.x, p.y);
  }

  void Track(POINT pt) {
    if (!moving_ && !edges_.any()) return;  // keyboard sizing waits for an edge
    last_ = pt;
    int dx = pt.x - start_.x, dy = pt.y - start_.y;
    RECT r = origin_;
    if (moving_) {
      OffsetRect(&r, dx, dy);
      SendMessageW(hwnd_, WM_MOVING, 0, LPARAM(&r));
    } else {
      if (edges_.left) r.left += dx;
      if (edges_.right) r.right += dx;
      if (edges_.top) r.top += dy;
      if (edges_.bottom) r.bottom += dy;
      Clamp(r, edges_, minMax_);
      SendMessageW(hwnd_, WM_SIZING, CodeOf(edges_), LPARAM(&r));
    }
    if (IsWindow(hwnd_)) Apply(r);
  }

  void Apply(const RECT& r) {
    if (EqualRect(&r, &current_)) return;
    current_ = r;
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (moving_ ? SWP_NOSIZE : 0);
    RECT before;
    GetWindowRect(hwnd_, &before);
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.Width(), r.Height(), flags);
    RECT after;
    if (GetWindowRect(hwnd_, &after) && !(GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CHILD))
      MoveOwnedPopups(hwnd_, after.left - before.left, after.top - before.top);
    UpdateWindow(hwnd_);
  }

  HWND hwnd_;
  bool moving_;
  bool byMouse_ = false;
  Edges edges_;
  POINT start_, last_;
  RECT origin_, current_;
  MINMAXINFO minMax_;
  bool done_ = false, cancelled_ = false;
};

}  // namespace

void RunSizeMoveLoop(HWND hwnd, WPARAM command, POINT pt) {
  auto w = Get(hwnd);
  if (!w || w->maximized || w->minimized) return;
  // A window that took the mouse capture before passing the command on
  // tracks the drag itself (a skin's outline drag): no second loop.
  if (GetCapture() == hwnd) return;
  if ((command & 0xFFF0) == SC_SIZE && !(w->style & WS_THICKFRAME)) return;
  SizeMoveLoop(hwnd, command, pt).Run();
}

// The sizing-border hit codes start SC_SIZE with their WMSZ_* edge, the
// caption starts SC_MOVE + HTCAPTION.
bool StartFrameDrag(HWND hwnd, LRESULT hit, LPARAM pos) {
  if (hit == HTCAPTION) {
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_DRAGMOVE, pos);
    return true;
  }
  if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) {
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_SIZE + WPARAM(hit - HTLEFT + 1), pos);
    return true;
  }
  return false;
}

}  // namespace wm

void PlaceMaximizedChild(HWND hwnd, MINMAXINFO& mm) {
  using namespace wm;
  auto w = Get(hwnd);
  if (!w) return;
  RECT area{0, 0, 0, 0};
  GetClientRect(w->parent, &area);
  NcLayout l = ComputeNcLayout(*w, 1000, 1000);
  mm.ptMaxPosition = POINT{area.left - l.client.left, area.top - l.client.top};
  mm.ptMaxSize = POINT{area.Width() + 1000 - l.client.Width(), area.Height() + 1000 - l.client.Height()};
}

MINMAXINFO GetMinMaxInfo(HWND hwnd) {
  using namespace wm;
  MINMAXINFO mm{};
  auto w = Get(hwnd);
  if (!w) return mm;
  // A maximised top-level window fills the work area. A maximised MDI child
  // fills its client window with its frame and caption just outside, so
  // that only its client area shows.
  RECT area{0, 0, 0, 0};
  if (w->style & WS_CHILD) {
    GetClientRect(w->parent, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    if (IsRectEmpty(&area) && S().backend) {
      SIZE s = S().backend->ScreenSize();
      area = RECT{0, 0, s.cx, s.cy};
    }
  }
  NcLayout l = ComputeNcLayout(*w, 1000, 1000);
  mm.ptMaxPosition = POINT{area.left, area.top};
  mm.ptMaxSize = POINT{area.Width(), area.Height()};
  if (w->style & WS_CHILD) PlaceMaximizedChild(hwnd, mm);
  int frame = l.frame;
  if (w->style & WS_CAPTION) {
    mm.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  } else {
    mm.ptMinTrackSize = POINT{2 * frame, 2 * frame};
  }
  mm.ptMaxTrackSize = POINT{std::max(GetSystemMetrics(SM_CXMAXTRACK), int(mm.ptMaxSize.x)),
                            std::max(GetSystemMetrics(SM_CYMAXTRACK), int(mm.ptMaxSize.y))};
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, LPARAM(&mm));
  return mm;
}

}  // namespace qv
