// The rebar class (the cool bar): bands in rows, each with a gripper and a
// child window (usually a tool bar) that the bar places and sizes. The bar
// fits its own height to its rows unless told not to, and tells its parent
// with RBN_HEIGHTCHANGE.
#include <algorithm>
#include <vector>

#include "platform/comctl/BarState.h"

namespace qv {
namespace {

constexpr int kGripper = 10;

struct Band {
  REBARBANDINFOW info;
  std::u16string text;
  RECT rect;
  bool Gripper() const { return !(info.fStyle & (RBBS_NOGRIPPER | RBBS_FIXEDSIZE)); }
};

struct Rebar {
  static constexpr const char16_t* kProp = u"QvRebar";
  HWND hwnd = nullptr;
  std::vector<Band> bands;
  int height = 0;
  int rows = 0;
  bool sizing = false;

  DWORD Style() const { return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)); }

  int ChildHeight(const Band& b) const {
    int h = int(b.info.cyMinChild);
    if (b.info.hwndChild && !h) {
      RECT r;
      GetWindowRect(b.info.hwndChild, &r);
      h = r.Height();
    }
    return h;
  }
  int BandWidth(const Band& b) const {
    if (b.info.cx) return int(b.info.cx);
    int w = int(b.info.cxMinChild);
    if (b.info.hwndChild && !w) {
      RECT r;
      GetWindowRect(b.info.hwndChild, &r);
      w = r.Width();
    }
    return w + (b.Gripper() ? kGripper : 0) + 4;
  }

  // Rows break where a band asks for it or the width runs out; the last band
  // of a row takes what is left of it.
  void Layout() {
    RECT client;
    GetClientRect(hwnd, &client);
    int y = 0, x = 0;
    rows = 0;
    size_t rowStart = 0;
    int rowHeight = 0;
    auto finishRow = [&](size_t end) {
      if (end == rowStart) return;
      for (size_t i = rowStart; i < end; ++i) {
        bands[i].rect.top = y;
        bands[i].rect.bottom = y + rowHeight;
      }
      bands[end - 1].rect.right = std::max(bands[end - 1].rect.right, LONG(client.right));
      y += rowHeight + ((Style() & RBS_BANDBORDERS) ? 2 : 0);
      ++rows;
      rowStart = end;
      rowHeight = 0;
      x = 0;
    };
    for (size_t i = 0; i < bands.size(); ++i) {
      Band& b = bands[i];
      if (b.info.fStyle & RBBS_HIDDEN) {
        b.rect = RECT{0, 0, 0, 0};
        continue;
      }
      int w = BandWidth(b);
      if (i > rowStart && ((b.info.fStyle & RBBS_BREAK) || x + w > client.right)) finishRow(i);
      b.rect = RECT{x, 0, x + w, 0};
      x += w;
      rowHeight = std::max(rowHeight, ChildHeight(b) + 4);
    }
    finishRow(bands.size());
    for (auto& b : bands) PlaceChild(b);
    InvalidateRect(hwnd, nullptr, TRUE);
    SetHeight(y);
  }

  void PlaceChild(const Band& b) {
    HWND c = b.info.hwndChild;
    if (!c || !IsWindow(c)) return;
    if (b.info.fStyle & RBBS_HIDDEN) {
      ShowWindow(c, SW_HIDE);
      return;
    }
    int left = b.rect.left + (b.Gripper() ? kGripper : 2);
    SetWindowPos(c, nullptr, left, b.rect.top + 2, std::max(0, int(b.rect.right) - left - 2), ChildHeight(b),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(c, SW_SHOWNA);
  }

  void SetHeight(int h) {
    if (h == height) return;
    height = h;
    if (!(Style() & CCS_NORESIZE) && !sizing) {
      sizing = true;
      RECT r;
      GetWindowRect(hwnd, &r);
      SetWindowPos(hwnd, nullptr, 0, 0, r.Width(), h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      sizing = false;
    }
    comctl::SimpleNotify(hwnd, RBN_HEIGHTCHANGE);
  }

  void Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    bars::FillSolid(dc, client, GetSysColor(COLOR_BTNFACE));
    for (auto& b : bands) {
      if ((b.info.fStyle & RBBS_HIDDEN) || b.rect.right <= b.rect.left) continue;
      RECT edge = b.rect;
      if (Style() & RBS_BANDBORDERS) DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
      if (b.Gripper()) {
        RECT g{b.rect.left + 3, b.rect.top + 3, b.rect.left + 6, b.rect.bottom - 3};
        DrawEdge(dc, &g, BDR_RAISEDINNER, BF_RECT);
      }
    }
  }

  void Apply(Band& b, const REBARBANDINFOW& in) {
    if (in.fMask & RBBIM_STYLE) b.info.fStyle = in.fStyle;
    if (in.fMask & RBBIM_CHILD) {
      b.info.hwndChild = in.hwndChild;
      if (in.hwndChild) SetParent(in.hwndChild, hwnd);
    }
    if (in.fMask & RBBIM_CHILDSIZE) {
      b.info.cxMinChild = in.cxMinChild;
      b.info.cyMinChild = in.cyMinChild;
    }
    if (in.fMask & RBBIM_SIZE) b.info.cx = in.cx;
    if (in.fMask & RBBIM_ID) b.info.wID = in.wID;
    if ((in.fMask & RBBIM_TEXT) && in.lpText) b.text = in.lpText;
  }

  LRESULT Message(UINT msg, WPARAM w, LPARAM l) {
    LRESULT common = bars::CommonMessage(*this, msg, w, l);
    if (common != -1) return common;
    switch (msg) {
      case RB_INSERTBANDW: {
        auto* in = reinterpret_cast<const REBARBANDINFOW*>(l);
        if (!in) return FALSE;
        size_t at = int(w) < 0 ? bands.size() : std::min(size_t(w), bands.size());
        Band b;
        Apply(b, *in);
        bands.insert(bands.begin() + long(at), b);
        Layout();
        return TRUE;
      }
      case RB_SETBANDINFOW: {
        auto* in = reinterpret_cast<const REBARBANDINFOW*>(l);
        if (!in || w >= bands.size()) return FALSE;
        Apply(bands[w], *in);
        Layout();
        return TRUE;
      }
      case RB_GETBANDINFOW: {
        auto* out = reinterpret_cast<REBARBANDINFOW*>(l);
        if (!out || w >= bands.size()) return FALSE;
        UINT mask = out->fMask;
        *out = bands[w].info;
        out->fMask = mask;
        out->lpText = bands[w].text.c_str();
        return TRUE;
      }
      case RB_DELETEBAND:
        if (w >= bands.size()) return FALSE;
        bands.erase(bands.begin() + long(w));
        Layout();
        return TRUE;
      case RB_GETBANDCOUNT:
        return LRESULT(bands.size());
      case RB_GETROWCOUNT:
        return rows;
      case RB_GETBARHEIGHT:
        return height;
      case RB_GETRECT:
        if (w >= bands.size() || !l) return FALSE;
        *reinterpret_cast<RECT*>(l) = bands[w].rect;
        return TRUE;
      case WM_SIZE:
        if (!sizing) Layout();
        return 0;
      case WM_NOTIFY:
      case WM_COMMAND:
        // The bands' children talk to the window the bar sits in.
        return SendMessageW(GetParent(hwnd), msg, w, l);
    }
    return DefWindowProcW(hwnd, msg, w, l);
  }
};

}  // namespace

LRESULT RebarProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return bars::StateProc<Rebar>(h, m, w, l);
}

}  // namespace qv
