// The progress bar class: a range and a position, stepping, and the classic
// look (a sunken frame holding blocks, or a smooth bar, in the highlight
// colour; vertical bars fill from the bottom).
#include <algorithm>

#include "platform/comctl/BarState.h"

namespace qv {
namespace {

struct Progress {
  static constexpr const char16_t* kProp = u"QvProgress";
  HWND hwnd = nullptr;
  int low = 0, high = 100, pos = 0, step = 10;
  COLORREF bar = CLR_DEFAULT_BAR, back = CLR_DEFAULT_BAR;
  static constexpr COLORREF CLR_DEFAULT_BAR = 0xFF000000;

  DWORD Style() const { return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)); }

  // Sets the position clamped to the range; the previous one.
  LRESULT SetPos(int p) {
    int old = pos;
    p = std::clamp(p, std::min(low, high), std::max(low, high));
    if (p != pos) {
      pos = p;
      InvalidateRect(hwnd, nullptr, FALSE);
    }
    return old;
  }
  LRESULT SetRange(int lo, int hi) {
    LRESULT old = MAKELPARAM(low, high);
    low = lo;
    high = hi;
    SetPos(pos);
    InvalidateRect(hwnd, nullptr, FALSE);
    return old;
  }

  void Paint(HDC dc) {
    RECT r;
    GetClientRect(hwnd, &r);
    RECT frame = r;
    DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    bars::FillSolid(dc, frame, back == CLR_DEFAULT_BAR ? GetSysColor(COLOR_BTNFACE) : back);
    InflateRect(&frame, -1, -1);
    if (frame.right <= frame.left || frame.bottom <= frame.top || high == low) return;
    bool vertical = Style() & PBS_VERTICAL;
    int span = vertical ? frame.Height() : frame.Width();
    int filled = int(int64_t(pos - std::min(low, high)) * span / std::abs(high - low));
    COLORREF colour = bar == CLR_DEFAULT_BAR ? GetSysColor(COLOR_HIGHLIGHT) : bar;
    if (Style() & PBS_SMOOTH) {
      RECT f = frame;
      if (vertical)
        f.top = f.bottom - filled;
      else
        f.right = f.left + filled;
      bars::FillSolid(dc, f, colour);
      return;
    }
    // Blocks two thirds as wide as the bar is high, two pixels apart; a
    // block shows once the position reaches into it.
    int thick = vertical ? frame.Width() : frame.Height();
    int block = std::max(2, thick * 2 / 3), gap = 2;
    for (int at = 0; at < filled; at += block + gap) {
      int len = std::min(block, span - at);
      RECT b = frame;
      if (vertical) {
        b.bottom = frame.bottom - at;
        b.top = b.bottom - len;
      } else {
        b.left = frame.left + at;
        b.right = b.left + len;
      }
      bars::FillSolid(dc, b, colour);
    }
  }

  LRESULT Message(UINT msg, WPARAM w, LPARAM l) {
    LRESULT common = bars::CommonMessage(*this, msg, w, l);
    if (common != -1) return common;
    switch (msg) {
      case PBM_SETRANGE:
        return SetRange(LOWORD(uintptr_t(l)), HIWORD(uintptr_t(l)));
      case PBM_SETRANGE32:
        return SetRange(int(w), int(l));
      case PBM_GETRANGE: {
        if (auto* out = reinterpret_cast<PBRANGE*>(l)) *out = PBRANGE{low, high};
        return w ? low : high;
      }
      case PBM_SETPOS:
        return SetPos(int(w));
      case PBM_DELTAPOS:
        return SetPos(pos + int(w));
      case PBM_GETPOS:
        return pos;
      case PBM_SETSTEP: {
        int old = step;
        step = int(w);
        return old;
      }
      case PBM_STEPIT: {
        // Stepping past the end wraps to the start, as a busy indicator would.
        int next = pos + step;
        if (next > std::max(low, high)) next = std::min(low, high) + (next - std::max(low, high)) - 1;
        return SetPos(next);
      }
      case PBM_SETBARCOLOR: {
        COLORREF old = bar;
        bar = COLORREF(l);
        InvalidateRect(hwnd, nullptr, FALSE);
        return LRESULT(old);
      }
      case PBM_SETBKCOLOR: {
        COLORREF old = back;
        back = COLORREF(l);
        InvalidateRect(hwnd, nullptr, FALSE);
        return LRESULT(old);
      }
    }
    return DefWindowProcW(hwnd, msg, w, l);
  }
};

}  // namespace

LRESULT ProgressBarProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return bars::StateProc<Progress>(h, m, w, l);
}

}  // namespace qv
