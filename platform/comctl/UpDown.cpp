// The up-down class: two arrow buttons stepping a position within a range,
// with auto-repeat while held, UDN_DELTAPOS (which may refuse a step) and
// WM_VSCROLL/WM_HSCROLL to the parent, and a buddy window that shows the
// position as text, hosts the arrows at its edge and answers the arrow keys.
#include <algorithm>
#include <string>

#include "platform/comctl/BarState.h"
#include "platform/window/Input.h"

namespace qv {
namespace {

constexpr uintptr_t kRepeatTimer = 1;
constexpr const char16_t* kBuddyProp = u"QvUpDownBuddyProc";
constexpr const char16_t* kBuddyOwner = u"QvUpDownOwner";

LRESULT BuddyProc(HWND h, UINT m, WPARAM w, LPARAM l);

struct UpDown {
  static constexpr const char16_t* kProp = u"QvUpDown";
  HWND hwnd = nullptr;
  int low = 0, high = 100, pos = 0;
  HWND buddy = nullptr;
  int held = 0;  // +1 the up (or right) arrow, -1 the down one, 0 none
  bool heldInside = false;
  int base = 10;

  DWORD Style() const { return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
  bool Horizontal() const { return (Style() & UDS_HORZ) != 0; }

  RECT Half(int which) const {
    RECT r;
    GetClientRect(hwnd, &r);
    if (Horizontal()) {
      int mid = r.Width() / 2;
      return which > 0 ? RECT{mid, 0, r.right, r.bottom} : RECT{0, 0, mid, r.bottom};
    }
    int mid = r.Height() / 2;
    return which > 0 ? RECT{0, 0, r.right, mid} : RECT{0, mid, r.right, r.bottom};
  }
  int ArrowAt(POINT p) const {
    RECT up = Half(1), down = Half(-1);
    return PtInRect(&up, p) ? 1 : PtInRect(&down, p) ? -1 : 0;
  }

  void Paint(HDC dc) {
    for (int which : {1, -1}) {
      RECT r = Half(which);
      bool down = held == which && heldInside;
      UINT kind = Horizontal() ? (which > 0 ? DFCS_SCROLLRIGHT : DFCS_SCROLLLEFT)
                               : (which > 0 ? DFCS_SCROLLUP : DFCS_SCROLLDOWN);
      if (down) kind |= DFCS_PUSHED;
      if (!IsWindowEnabled(hwnd)) kind |= DFCS_INACTIVE;
      DrawFrameControl(dc, &r, DFC_SCROLL, kind);
    }
  }

  // The buddy's text read as a number (the user may have typed one).
  void ReadBuddy() {
    if (!buddy || !IsWindow(buddy) || !(Style() & UDS_SETBUDDYINT)) return;
    std::u16string t = ctl::WindowText(buddy);
    std::string digits;
    for (char16_t c : t)
      if ((c >= u'0' && c <= u'9') || (c == u'-' && digits.empty())) digits += char(c);
    if (digits.empty() || digits == "-") return;
    try {
      pos = std::clamp(std::stoi(digits, nullptr, base), std::min(low, high), std::max(low, high));
    } catch (...) {
    }
  }
  void WriteBuddy() {
    if (!buddy || !IsWindow(buddy) || !(Style() & UDS_SETBUDDYINT)) return;
    std::string s = base == 16 ? "0x" : "";
    char buf[32];
    snprintf(buf, sizeof buf, base == 16 ? "%X" : "%d", pos);
    s += buf;
    std::u16string text(s.begin(), s.end());
    SetWindowTextW(buddy, text.c_str());
  }

  // One step in a direction: asks the parent, moves (wrapping or stopping
  // at the ends), updates the buddy and reports the new position.
  void Step(int direction) {
    ReadBuddy();
    int delta = low <= high ? direction : -direction;
    NMUPDOWN n;
    n.iPos = pos;
    n.iDelta = delta;
    HWND self = hwnd;
    if (comctl::Notify(self, n.hdr, UDN_DELTAPOS) != 0 || !IsWindow(self)) return;
    int lo = std::min(low, high), hi = std::max(low, high);
    int next = pos + n.iDelta;
    if (next > hi) next = (Style() & UDS_WRAP) ? lo : hi;
    if (next < lo) next = (Style() & UDS_WRAP) ? hi : lo;
    if (next == pos) return;
    pos = next;
    WriteBuddy();
    UINT scroll = Horizontal() ? WM_HSCROLL : WM_VSCROLL;
    SendMessageW(GetParent(hwnd), scroll, MAKEWPARAM(SB_THUMBPOSITION, pos), LPARAM(hwnd));
  }

  void AttachBuddy(HWND b) {
    DetachBuddy();
    buddy = b;
    if (!b || !IsWindow(b)) {
      buddy = nullptr;
      return;
    }
    if (Style() & UDS_ARROWKEYS) {
      SetPropW(b, kBuddyOwner, hwnd);
      SetPropW(b, kBuddyProp,
               reinterpret_cast<HANDLE>(SetWindowLongPtrW(b, GWLP_WNDPROC, LONG_PTR(BuddyProc))));
    }
    if (Style() & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)) {
      // The arrows sit at the buddy's edge and the buddy gives up their room.
      RECT br, mine;
      GetWindowRect(b, &br);
      GetWindowRect(hwnd, &mine);
      POINT tl{br.left, br.top};
      ScreenToClient(GetParent(b), &tl);
      int w = mine.Width() > 0 ? mine.Width() : 16;
      int bw = std::max(0, int(br.Width()) - w);
      bool right = Style() & UDS_ALIGNRIGHT;
      SetWindowPos(b, nullptr, right ? tl.x : tl.x + w, tl.y, bw, br.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
      SetWindowPos(hwnd, nullptr, right ? tl.x + bw : tl.x, tl.y, w, br.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
    WriteBuddy();
  }
  void DetachBuddy() {
    if (buddy && IsWindow(buddy) && GetPropW(buddy, kBuddyProp)) {
      SetWindowLongPtrW(buddy, GWLP_WNDPROC, LONG_PTR(GetPropW(buddy, kBuddyProp)));
      RemovePropW(buddy, kBuddyProp);
      RemovePropW(buddy, kBuddyOwner);
    }
    buddy = nullptr;
  }

  void Release() {
    if (!held) return;
    held = 0;
    KillTimer(hwnd, kRepeatTimer);
    if (GetCapture() == hwnd) ReleaseCapture();
    InvalidateRect(hwnd, nullptr, FALSE);
  }

  LRESULT Message(UINT msg, WPARAM w, LPARAM l) {
    LRESULT common = bars::CommonMessage(*this, msg, w, l);
    if (common != -1) return common;
    switch (msg) {
      case UDM_SETRANGE:
        high = short(LOWORD(uintptr_t(l)));
        low = short(HIWORD(uintptr_t(l)));
        pos = std::clamp(pos, std::min(low, high), std::max(low, high));
        return 0;
      case UDM_GETRANGE:
        return MAKELRESULT(high, low);
      case UDM_SETRANGE32:
        low = int(w);
        high = int(l);
        pos = std::clamp(pos, std::min(low, high), std::max(low, high));
        return 0;
      case UDM_GETRANGE32:
        if (w) *reinterpret_cast<int*>(w) = low;
        if (l) *reinterpret_cast<int*>(l) = high;
        return 0;
      case UDM_SETPOS:
      case UDM_SETPOS32: {
        int old = pos;
        pos = std::clamp(int(msg == UDM_SETPOS ? short(LOWORD(uintptr_t(l))) : int(l)), std::min(low, high),
                         std::max(low, high));
        WriteBuddy();
        return old;
      }
      case UDM_GETPOS:
      case UDM_GETPOS32:
        ReadBuddy();
        return pos;
      case UDM_SETBUDDY: {
        HWND old = buddy;
        AttachBuddy(reinterpret_cast<HWND>(w));
        return LRESULT(old);
      }
      case UDM_GETBUDDY:
        return LRESULT(buddy);
      case UDM_SETBASE: {
        int old = base;
        if (w == 10 || w == 16) base = int(w);
        return old;
      }
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: {
        int which = ArrowAt(POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        if (!which) return 0;
        held = which;
        heldInside = true;
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
        HWND self = hwnd;
        Step(which);
        if (IsWindow(self) && held) SetTimer(hwnd, kRepeatTimer, 400, nullptr);
        return 0;
      }
      case WM_MOUSEMOVE:
        if (held) {
          bool inside = ArrowAt(POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}) == held;
          if (inside != heldInside) {
            heldInside = inside;
            InvalidateRect(hwnd, nullptr, FALSE);
          }
        }
        return 0;
      case WM_TIMER:
        if (w == kRepeatTimer && held) {
          SetTimer(hwnd, kRepeatTimer, 100, nullptr);
          if (heldInside) Step(held);
        }
        return 0;
      case WM_LBUTTONUP:
        Release();
        return 0;
      case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(l) != hwnd) Release();
        return 0;
      case WM_KEYDOWN:
        if ((Style() & UDS_ARROWKEYS) && (w == VK_UP || w == VK_DOWN)) {
          Step(w == VK_UP ? 1 : -1);
          return 0;
        }
        break;
      case WM_DESTROY:
        DetachBuddy();
        break;
    }
    return DefWindowProcW(hwnd, msg, w, l);
  }
};

// The buddy's window procedure while it belongs to an up-down: Up and Down
// step the up-down; everything else goes on to the buddy's own procedure.
LRESULT BuddyProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  auto old = reinterpret_cast<WNDPROC>(GetPropW(h, kBuddyProp));
  auto owner = reinterpret_cast<HWND>(GetPropW(h, kBuddyOwner));
  if (m == WM_KEYDOWN && (w == VK_UP || w == VK_DOWN) && owner && IsWindow(owner)) {
    if (auto* s = bars::StateOf<UpDown>(owner)) {
      s->Step(w == VK_UP ? 1 : -1);
      return 0;
    }
  }
  if (m == WM_NCDESTROY && owner && IsWindow(owner)) {
    if (auto* s = bars::StateOf<UpDown>(owner)) s->DetachBuddy();
  }
  return old ? CallWindowProcW(old, h, m, w, l) : DefWindowProcW(h, m, w, l);
}

}  // namespace

LRESULT UpDownProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return bars::StateProc<UpDown>(h, m, w, l);
}

}  // namespace qv
